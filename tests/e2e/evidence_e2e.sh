#!/usr/bin/env bash
# The evidence of three hot-key captures as another tool checks it: after
# Save As, `sha256sum -c` on the manifest beside the history passes from
# the Linux side, the manifest's digests are those of the files' bytes, and
# the chained log holds one capture line per record and the save, each
# pinning the line before it. Then one byte of a picture is changed and
# sha256sum names that file. With another picture deleted and two records
# swapped by hand in the CSV, ツール → 証跡の検証 names exactly those.
# The HTML report and the workbook made after the save print each record's
# SHA-256 (the report's copies hash to it) and the manifest's on the cover.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    "保存先=$winwork" '画像ファイル名=ev' '画像ファイル開始番号=1' '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' \
    '[HTML]' "出力先=$winwork\\out" 'ファイル名=rep' '表紙作成=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5
hot_key_captures "$E2E_WORK/ev" 3 >/dev/null
save_history_as "$window" "$winwork\\hist.csv" "$E2E_WORK/hist.csv" || fail "the history was not saved"
sleep 0.5
manifest="$E2E_WORK/hist.sha256"
log="$E2E_WORK/hist.zlog"
[ -s "$manifest" ] && [ -s "$log" ] && pass "the manifest and the log beside the history" ||
    { fail "no manifest or log: $(ls "$E2E_WORK")"; e2e_finish; }
(cd "$E2E_WORK" && LC_ALL=C sha256sum -c --strict "$(basename "$manifest")") >"$E2E_WORK/check.txt" 2>&1 &&
    pass "sha256sum -c passes: $(tr '\n' ' ' <"$E2E_WORK/check.txt")" ||
    fail "sha256sum -c: $(cat "$E2E_WORK/check.txt")"
names=$(cut -c 67- "$manifest" | tr '\n' ' ')
[ "$names" = "ev1.bmp ev2.bmp ev3.bmp hist.zlog " ] && pass "the manifest lists the pictures and the log" ||
    fail "manifest names: $names"
result=$(/usr/bin/python3 - "$log" <<'PY'
import hashlib, sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
if lines[-1] != b"":
    print("no CR LF at the end"); sys.exit()
lines = lines[:-1]
bad = []
previous = "0" * 64
for i, line in enumerate(lines, 1):
    f = line.split(b"\t")
    if len(f) != 6:
        bad.append(f"line {i}: {len(f)} fields"); continue
    if f[5].decode() != previous:
        bad.append(f"line {i}: chain")
    previous = hashlib.sha256(line).hexdigest()
events = [l.split(b"\t")[1].decode() for l in lines]
if events != ["capture", "capture", "capture", "save"]:
    bad.append(f"events {events}")
print("; ".join(bad) if bad else "ok")
PY
)
[ "$result" = ok ] && pass "the log: three captures and the save, chained" || fail "log: $result"

mkdir -p "$E2E_WORK/out"
export_report "$window" "$E2E_WORK/out/rep.htm" || fail "no report written"
caption=$(export_workbook "$window" 60)
[ "$caption" = 確認 ] || fail "the workbook export ended with ${caption:-no message}"
result=$(/usr/bin/python3 - "$E2E_WORK" <<'PY'
import hashlib, re, sys
import openpyxl
work = sys.argv[1]
digest = lambda path: hashlib.sha256(open(path, "rb").read()).hexdigest()
pictures = [digest(f"{work}/ev{n}.bmp") for n in (1, 2, 3)]
manifest = digest(f"{work}/hist.sha256")
bad = []
html = open(f"{work}/out/rep.htm", "rb").read().decode("cp932")
if re.findall(r"SHA-256: ([0-9a-f]{64})</tt>", html) != pictures:
    bad.append("report: the records' digests")
if [digest(f"{work}/out/ev{n}.bmp") for n in (1, 2, 3)] != pictures:
    bad.append("report: the copies")
if f"マニフェスト hist.sha256  SHA-256: {manifest}" not in html:
    bad.append("report: the manifest on the cover")
book = openpyxl.load_workbook(f"{work}/hist.xlsx")
cover = book["表紙"]
if [cover.cell(row=5 + i, column=6).value for i in range(3)] != pictures:
    bad.append("workbook: the cover's digests")
if cover["A3"].value != f"マニフェスト hist.sha256  SHA-256: {manifest}":
    bad.append(f"workbook: the manifest line {cover['A3'].value!r}")
for ws, want in zip(book.worksheets[1:], pictures):
    found = [r[1] for r in ws.iter_rows(values_only=True) if r[0] == "SHA-256"]
    if found != [want]:
        bad.append(f"workbook: sheet {ws.title} {found}")
print("; ".join(bad) if bad else "ok")
PY
)
[ "$result" = ok ] && pass "the report and the workbook print the records' and the manifest's SHA-256" ||
    fail "digests: $result"

printf 'X' | dd of="$E2E_WORK/ev2.bmp" bs=1 seek=100 conv=notrunc status=none
(cd "$E2E_WORK" && LC_ALL=C sha256sum -c "$(basename "$manifest")") >"$E2E_WORK/check.txt" 2>&1
grep -qx 'ev2.bmp: FAILED' "$E2E_WORK/check.txt" && [ "$(grep -c ': OK$' "$E2E_WORK/check.txt")" = 3 ] &&
    pass "a changed byte: sha256sum names ev2.bmp" || fail "after the change: $(cat "$E2E_WORK/check.txt")"

focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"

rm "$E2E_WORK/ev3.bmp"
/usr/bin/python3 - "$E2E_WORK/hist.csv" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
lines[1], lines[2] = lines[2], lines[1]
open(sys.argv[1], "wb").write(b"\r\n".join(lines))
PY
start_zelcap
window=$(open_history "$E2E_WORK/hist.csv") || { fail "the history did not open again"; e2e_finish; }
focus "$window"
xdotool key --clearmodifiers alt+t
sleep 0.3
xdotool key v
wait_for_window "証跡の検証" >/dev/null || fail "no verify list"
sleep 0.5
list=$("$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" edits 2>/dev/null | iconv -f CP932 -t UTF-8 |
    tr -d '\r' | sed -n 's/^edit [0-9]* //p' | tr '\t' ' ')
expected="変更あり 1 画像 ev2.bmp
一致 2 画像 ev1.bmp
見つかりません 3 画像 ev3.bmp
一致 - ログ hist.zlog
記録 1: ログでは 2 番目の記録です: ev2.bmp
記録 2: ログでは 1 番目の記録です: ev1.bmp
ログの連鎖: 正常"
[ "$list" = "$expected" ] && pass "the verify list names the changed, the deleted and the swapped records" ||
    fail "verify list: $(printf '%s' "$list" | tr '\n' '|')"
xdotool key Escape
sleep 0.5
focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit
e2e_finish
