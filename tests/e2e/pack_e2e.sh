#!/usr/bin/env bash
# The one-file pack through the real Zelcap.exe: a history of three
# captures in a Japanese-named folder (one annotated with a mask, one with a
# test case) packed by ツール → 1ファイルにまとめる and by /pack:, which take
# one road and give the same page; the page opened in headless Chromium
# with the network shut, and in Firefox, (every picture loads, no script, the masked area
# black on the screen); then the pack verified clean, and after one byte of
# its embedded manifest is changed, the damage named; the PDF likewise.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"
here=$(cd "$(dirname "$0")" && pwd)

folder="$E2E_WORK/証跡フォルダ"
mkdir -p "$folder"
/usr/bin/python3 - "$folder" <<'PY'
import hashlib, sys
from PIL import Image
folder = sys.argv[1]
MAGENTA, GREY = (255, 0, 255), (200, 200, 200)
original = Image.new("RGB", (120, 80), GREY)
original.paste(MAGENTA, (20, 20, 80, 60))
original.save(f"{folder}/注釈.png")
flattened = original.copy()
flattened.paste((0, 0, 0), (20, 20, 80, 60))
flattened.save(f"{folder}/注釈_ann.png")
open(f"{folder}/注釈.png.zan", "wb").write(b"ZAN 1\r\nmask 20 20 79 59 000000\r\n")
Image.new("RGB", (64, 48), (40, 160, 40)).save(f"{folder}/試験.png")
Image.new("RGB", (90, 60), (30, 60, 200)).save(f"{folder}/画面.png")
names = ["注釈.png", "試験.png", "画面.png"]
previous, log = "0" * 64, b""
for record, name in enumerate(names, 1):
    digest = hashlib.sha256(open(f"{folder}/{name}", "rb").read()).hexdigest()
    line = f"2026/12/10 10:00:0{record}\tcapture\t{record}\t{name}\t{digest}\t{previous}".encode("cp932")
    previous = hashlib.sha256(line).hexdigest()
    log += line + b"\r\n"
open(f"{folder}/records.zlog", "wb").write(log)
case = "\t".join(["試験.png", "2026/12/10 10:00:02", "0", "T-001", "1", "画面が出る", "出た",
                  "OK", "試験者", "2026/12/10", ""])
open(f"{folder}/records.zcase", "wb").write(("ZCASE\t1\r\n" + case + "\r\n").encode("cp932"))
PY
(cd "$folder" && sha256sum 注釈.png 注釈_ann.png 注釈.png.zan 試験.png 画面.png records.zlog \
    >records.sha256)
write_history "$folder/records.csv" <<EOF
2026/12/10 10:00:01,マスクした画面,\\注釈.png,
2026/12/10 10:00:02,試験の画面,\\試験.png,
2026/12/10 10:00:03,そのままの画面,\\画面.png,
EOF
winfolder=$(winpath "$folder")
printf '%s\r\n' '[Pack]' "出力先=$winfolder\\まとめ.html" | iconv -f UTF-8 -t CP932 >"$folder/Zelcap.ini"

# Started in the Japanese folder: the settings file is there, and the open
# dialog starts there, so that only the history's ASCII name is typed.
(cd "$folder" && exec "$ZELCAP_WINE" "$ZELCAP_BUILD/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
E2E_PID=$!
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no window"; e2e_finish; }
sleep 1
focus "$window"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key o
dialog=$(wait_for_window "開くファイル名を指定して下さい") ||
    { fail "no open dialog: $(for w in $(xdotool search --name . 2>/dev/null); do xdotool getwindowname "$w"; done | tr '\n' '|')"; e2e_finish; }
focus "$dialog"
sleep 0.3
xdotool type --delay 10 records.csv
xdotool key Return
window=$(wait_for_window "records.csv - Zelcap Ver2.3 - [$winfolder\\records.csv]") ||
    { fail "the history did not open"; e2e_finish; }

# The menu: the dialog shows the stored target; Enter takes it.
focus "$window"
xdotool key --clearmodifiers alt+t
sleep 0.3
xdotool key p
dialog=$(wait_for_window "1ファイルにまとめる") || { fail "no pack dialog"; e2e_finish; }
focus "$dialog"
sleep 0.3
xdotool key Return
for _ in $(seq 100); do [ -s "$folder/まとめ.html" ] && break; sleep 0.2; done
sleep 1
box=$(wait_for_window "1ファイルにまとめる")
[ -n "$box" ] && focus "$box" && xdotool key Return
[ -s "$folder/まとめ.html" ] && pass "the menu wrote the pack" || fail "no pack from the menu"
ls "$folder" | grep -q '^zpk' && fail "a temporary file was left" || pass "no temporary file left"

exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
call() { (cd "$folder" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null 2>/dev/null); }
field() { jq -r "$2" "$folder/$1" 2>/dev/null; }
call "/pack:$winfolder\\スクリプト.html" /result:pack.json >/dev/null; rc=$?
[ $rc = 0 ] && [ "$(field pack.json .ok)" = true ] && [ "$(field pack.json .unreadable)" = 0 ] &&
    pass "/pack: wrote the pack" || fail "/pack: rc $rc, $(cat "$folder/pack.json" 2>/dev/null)"
# One road: the two differ in the time they were made alone.
same() { grep -v '作成日時' "$1"; }
if cmp -s <(same "$folder/まとめ.html") <(same "$folder/スクリプト.html"); then
    pass "the menu and the script write the same pack"
else
    fail "the two packs differ: $(diff <(same "$folder/まとめ.html") <(same "$folder/スクリプト.html") | head -5)"
fi

# The same history as an archival PDF, through the same road: checked as a
# reviewer's tools read it.
call "/pack:$winfolder\\証跡.pdf" /result:pdf.json >/dev/null; rc=$?
pdf="$folder/証跡.pdf"
if [ $rc = 0 ] && [ "$(field pdf.json .ok)" = true ] && qpdf --check "$pdf" >"$E2E_WORK/qpdf.txt" 2>&1 &&
    ! grep -qi warning "$E2E_WORK/qpdf.txt"; then
    pass "/pack: wrote a PDF that qpdf finds clean"
else
    fail "the PDF: rc $rc, $(cat "$folder/pdf.json" "$E2E_WORK/qpdf.txt" 2>/dev/null | head -5)"
fi
pdffonts "$pdf" 2>/dev/null | tail -n +3 | awk 'NF < 5 || $(NF-4) != "yes" || $(NF-3) != "yes" { bad = 1 } END { exit bad || NR == 0 }' &&
    pass "every font of the PDF embedded and subset" || fail "fonts: $(pdffonts "$pdf" 2>&1)"
text=$(pdftotext "$pdf" - 2>/dev/null)
for heading in マスクした画面 試験の画面 そのままの画面 T-001; do
    grep -qF "$heading" <<<"$text" || fail "the PDF's text lacks $heading"
done
[ "$(pdfimages -list "$pdf" 2>/dev/null | tail -n +3 | awk '{ printf "%sx%s ", $4, $5 }')" = "120x80 64x48 90x60 " ] &&
    pass "the PDF holds the three pictures at their sizes" || fail "images: $(pdfimages -list "$pdf" 2>&1)"
mkdir -p "$E2E_WORK/pdf"
pdfimages -png "$pdf" "$E2E_WORK/pdf/px" 2>/dev/null
/usr/bin/python3 -c 'import sys; from PIL import Image; sys.exit(Image.open(sys.argv[1]).convert("RGB").getpixel((50, 40)) != (0, 0, 0))' \
    "$E2E_WORK/pdf/px-000.png" && pass "the masked picture is black in the PDF" || fail "the mask is not black in the PDF"
pdfdetach -saveall -o "$E2E_WORK/pdf" "$pdf" 2>/dev/null
for f in records.csv records.sha256 records.zlog; do
    cmp -s "$E2E_WORK/pdf/$f" "$folder/$f" || fail "the PDF's attached $f is not the file: $(pdfdetach -list "$pdf" 2>&1 | tr '\n' '|')"
done

# The PDF verified by itself: clean, then with one hex digit of 試験.png's
# line changed in the attached manifest (an embedded file held as it is).
tab=$'\t'
call "/verify:$winfolder\\証跡.pdf" /result:pdfclean.json >/dev/null; rc=$?
[ "$(field pdfclean.json .verdict)" = clean ] && pass "the PDF verifies clean" ||
    fail "verify the PDF: rc $rc, $(field pdfclean.json .findings | tr '\t\n' '>|')"
# A PDF under another name is known by its first bytes.
cp "$pdf" "$folder/中身はPDF.html"
call "/verify:$winfolder\\中身はPDF.html" /result:pdfnamed.json >/dev/null; rc=$?
[ "$(field pdfnamed.json .verdict)" = clean ] && pass "a PDF named .html is checked as a PDF" ||
    fail "the PDF named .html: rc $rc, $(field pdfnamed.json .findings | tr '\t\n' '>|')"
/usr/bin/python3 - "$pdf" "$folder/records.sha256" "$folder/試験.png" <<'PY'
import hashlib, sys
pdf, manifest, picture = sys.argv[1:]
data = open(pdf, "rb").read()
start = data.index(open(manifest, "rb").read())
digest = hashlib.sha256(open(picture, "rb").read()).hexdigest().encode()
at = data.index(digest, start)
data = data[:at] + (b"0" if digest[:1] != b"0" else b"1") + data[at + 1:]
open(pdf, "wb").write(data)
PY
call "/verify:$winfolder\\証跡.pdf" /result:pdfdamaged.json >/dev/null
if [ "$(field pdfdamaged.json .ok)" = false ] &&
    field pdfdamaged.json .findings | tr -d '\r' | grep -qx "変更あり${tab}2${tab}画像${tab}試験.png"; then
    pass "a byte of the PDF's attached manifest changed: the damage is named"
else
    fail "the PDF after the change: $(field pdfdamaged.json .findings | tr '\t\n' '>|')"
fi

# A target that cannot be written (a folder of that name: as root under
# Wine a read-only file would be written all the same) is refused and kept,
# a missing folder gets nothing, and neither leaves a temporary file.
mkdir "$folder/フォルダ.html"
printf 'old' >"$folder/フォルダ.html/中身"
call "/pack:$winfolder\\フォルダ.html" /result:locked.json >/dev/null; rc=$?
[ $rc != 0 ] && [ "$(cat "$folder/フォルダ.html/中身")" = old ] && [ "$(field locked.json .ok)" = false ] &&
    pass "a target that cannot be replaced is refused and kept" ||
    fail "target that cannot be replaced: rc $rc, $(cat "$folder/locked.json")"
call "/pack:$winfolder\\ない\\x.html" /result:nofolder.json >/dev/null; rc=$?
[ $rc != 0 ] && [ ! -e "$folder/ない" ] && pass "a missing folder is refused" ||
    fail "missing folder: rc $rc, $(cat "$folder/nofolder.json")"
ls "$folder" | grep -qi '^zpk' && fail "a refused pack left a temporary file" ||
    pass "no temporary file after the refusals"

probe=$(/usr/bin/python3 "$here/pack_probe.py" "$folder/まとめ.html" "$E2E_WORK/shot.png")
if /usr/bin/python3 - "$probe" "$E2E_WORK/shot.png" <<'PY'; then
import json, sys
from PIL import Image
found = json.loads(sys.argv[1])
failures = []
def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")
images = found.get("images", [])
expect("pictures", [(i["name"], i["width"], i["height"]) for i in images],
       [("注釈_ann.png", 120, 80), ("試験.png", 64, 48), ("画面.png", 90, 60)])
expect("scripts", found.get("scripts"), 0)
expect("references outside the page", found.get("references"), [])
expect("the evidence files as text", found.get("texts"), ["records.csv", "records.sha256", "records.zlog"])
shot = Image.open(sys.argv[2]).convert("RGB")
if images:
    i = images[0]
    scale = i["shownWidth"] / i["width"]
    def at(x, y):
        return shot.getpixel((round(i["x"] + x * scale), round(i["y"] + y * scale)))
    expect("the masked area black on the screen",
           {at(x, y) for x in range(22, 78, 4) for y in range(22, 58, 4)}, {(0, 0, 0)})
    expect("the picture beside the mask", at(8, 8), (200, 200, 200))
for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
PY
    pass "the pack opens offline: every picture, no script, the mask black"
else
    fail "the pack in Chromium: $probe"
fi

# Firefox too, headless with a profile of its own: the page's screenshot
# holds each picture in its colours and the masked one black inside its grey.
profile="$E2E_WORK/firefox"; mkdir -p "$profile"
HOME="$profile" timeout 120 firefox-esr --headless --no-remote --profile "$profile" --window-size=1200,4000 \
    --screenshot "$E2E_WORK/firefox.png" "file://$folder/まとめ.html" >/dev/null 2>&1
if ff=$(/usr/bin/python3 - "$E2E_WORK/firefox.png" <<'PY'
import sys
from PIL import Image
shot = Image.open(sys.argv[1]).convert("RGB")
w, h = shot.size
px = shot.load()
def box(colour):
    xs = [x for y in range(h) for x in range(w) if px[x, y] == colour]
    ys = [y for y in range(h) for x in range(w) if px[x, y] == colour]
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None
green, blue = box((40, 160, 40)), box((30, 60, 200))
GREY, BLACK = (200, 200, 200), (0, 0, 0)
def masked_at(x, y):
    # The flattened picture: 120 x 80 of grey with the mask's 60 x 40 black.
    if x + 120 > w or y + 80 > h or px[x, y] != GREY or px[x + 119, y + 79] != GREY:
        return False
    return all(px[i, j] == (BLACK if 20 <= i - x < 80 and 20 <= j - y < 60 else GREY)
               for i in range(x, x + 120, 3) for j in range(y, y + 80, 3))
mask = next(((x, y) for y in range(h - 79) for x in range(w - 119)
             if px[x + 20, y + 20] == BLACK and masked_at(x, y)), None)
ok = bool(green and green[2] - green[0] == 64 and blue and blue[2] - blue[0] == 90 and mask)
print(shot.size, mask, green, blue)
sys.exit(0 if ok else 1)
PY
); then
    pass "the pack opens in Firefox: every picture, the mask black"
else
    fail "the pack in Firefox: $ff"
fi

call "/verify:$winfolder\\まとめ.html" /result:clean.json >/dev/null; rc=$?
[ "$(field clean.json .verdict)" = clean ] && pass "the pack verifies clean" ||
    fail "verify: rc $rc, $(field clean.json .findings)"
# One hex digit of 試験.png's line in the embedded manifest.
/usr/bin/python3 - "$folder/まとめ.html" <<'PY'
import hashlib, sys
path = sys.argv[1]
page = open(path, "rb").read()
digest = hashlib.sha256(open(path.replace("まとめ.html", "試験.png"), "rb").read()).hexdigest().encode()
start = page.index(b'data-name="records.sha256"')
at = page.index(digest, start)
page = page[:at] + (b"0" if digest[:1] != b"0" else b"1") + page[at + 1:]
open(path, "wb").write(page)
PY
call "/verify:$winfolder\\まとめ.html" /result:damaged.json >/dev/null
tab=$'\t'
if [ "$(field damaged.json .ok)" = false ] &&
    field damaged.json .findings | tr -d '\r' | grep -qx "変更あり${tab}2${tab}画像${tab}試験.png"; then
    pass "a byte of the embedded manifest changed: the damage is named"
else
    fail "after the change: $(field damaged.json .findings | tr '\t\n' '>|')"
fi

# ツール → 証跡の検証 without a saved history asks for a pack and lists
# what it found.
probe() { "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" "$1" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
cp "$folder/スクリプト.html" "$folder/pack.html"
focus "$window"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key n
window=$(wait_for_window "新規 - Zelcap Ver2.3") || fail "no new history"
focus "$window"
xdotool key --clearmodifiers alt+t
sleep 0.3
xdotool key v
if dialog=$(wait_for_window "検証する1ファイル"); then
    focus "$dialog"
    sleep 0.3
    xdotool type --delay 10 pack.html
    xdotool key Return
    list=$(wait_for_window "証跡の検証") || fail "no list after choosing the pack"
    sleep 0.5
    lines=$(probe edits | sed -n 's/^edit [0-9]* //p')
    expected="一致${tab}1${tab}画像${tab}注釈_ann.png
一致${tab}2${tab}画像${tab}試験.png
一致${tab}3${tab}画像${tab}画面.png
一致${tab}-${tab}ログ${tab}records.zlog
ログの連鎖: 正常"
    [ "$lines" = "$expected" ] && pass "the menu checks a chosen pack" ||
        fail "the menu's list: $(printf '%s' "$lines" | tr '\t\n' '>|')"
    focus "$list"
    xdotool key Escape
else
    fail "証跡の検証 without a history asked for no pack"
fi

call /quit /result:quit.json >/dev/null
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
