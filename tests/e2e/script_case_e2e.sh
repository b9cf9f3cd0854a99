#!/usr/bin/env bash
# The test case on the command line, with the stamp on: /case alone sets the
# current case in the settings file; a capture with /case /stepno /verdict:ng
# /expected answers its case in the JSON, its picture keeps the digest the
# JSON gives while its flattened picture carries the stamp in the chosen
# corner; a test ID with no CP932 form is refused naming its argument; an
# expected result over its limit is cut with a message.
. "$(dirname "$0")/e2e-lib.sh" "$1"

caps="$E2E_WORK/証跡 ケース"
mkdir -p "$caps"
wincaps="Z:${caps//\//\\}"
printf '%s\r\n' '[File_Set]' "保存先=$wincaps" '画像ファイル名=tc' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=400' \
    '[TestCase]' '実施者=試験者' 'スタンプ=1' 'スタンプ位置=0' 'スタンプ文字高=16' \
    'スタンプ文字色=FFFF00' 'スタンプ背景色=0000C0' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

. "$(dirname "$0")/script-lib.sh"

expect 0 none "/case alone sets the current case" -- "/case:TC-現在"
same "its result" "$(field '[.command, .testId, .nextStep] | join(" ")')" "case TC-現在 1"
ini=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/Zelcap.ini" | tr -d '\r')
printf '%s\n' "$ini" | grep -qx 'テストID=TC-現在' && printf '%s\n' "$ini" | grep -qx '次の手順=1' &&
    pass "the settings file keeps the current case" || fail "settings: $ini"

expect 0 none "a capture with its case" -- /capture:screen /case:TC-001 /stepno:3 /verdict:ng \
    "/expected:ログイン画面が表示される"
same "the case in the result" \
    "$(field '.case | [.testId, .step, .verdict, .tester, .expected] | join(" ")')" \
    "TC-001 3 ng 試験者 ログイン画面が表示される"
same "the case's date is the capture's" "$(field .case.date)" "$(field '.time[0:10]')"
picture="$caps/$(field .file | sed 's/.*\\//')"
same "the picture as captured has the digest of the result" \
    "$(sha256sum "$picture" | cut -d' ' -f1)" "$(field .sha256)"
zan=$(iconv -f CP932 -t UTF-8 "$picture.zan" 2>/dev/null | tr -d '\r')
printf '%s\n' "$zan" | grep -q "^stamp .* FFFF00 0000C0 16 	$(field .time)  実施者: 試験者  テストID: TC-001\$" &&
    pass "the sidecar holds the stamp" || fail "sidecar: $zan"
result=$(/usr/bin/python3 - "$picture" "${picture%.*}_ann.png" "$zan" <<'PY'
import sys
from PIL import Image
original = Image.open(sys.argv[1]).convert("RGB")
flat = Image.open(sys.argv[2]).convert("RGB")
line = [l for l in sys.argv[3].splitlines() if l.startswith("stamp ")][0].split(" ")
x1, y1, x2, y2 = map(int, line[1:5])
bad = []
w, h = original.size
if flat.size != original.size:
    bad.append(f"size {flat.size}")
elif (x2, y2) != (w - 5, h - 5):
    bad.append(f"box {x1} {y1} {x2} {y2} in {w} x {h}: not the bottom right corner")
else:
    o, f = original.load(), flat.load()
    outside = sum(o[x, y] != f[x, y] for x in range(w) for y in range(h)
                  if not (x1 <= x <= x2 and y1 <= y <= y2))
    inside = [f[x, y] for x in range(x1, x2 + 1) for y in range(y1, y2 + 1)]
    text = inside.count((255, 255, 0))
    back = inside.count((0, 0, 192))
    if outside:
        bad.append(f"{outside} pixels changed outside the stamp")
    if text < 50 or back < text or text + back != len(inside):
        bad.append(f"stamp pixels: {text} text, {back} background of {len(inside)}")
print("; ".join(bad) if bad else "ok")
PY
)
same "the flattened picture carries the stamp in its corner alone" "$result" ok

expect 2 bad-argument "a test ID with no CP932 form" -- /capture:screen "/case:絵文字😀"
field .message | grep -q '^引数 /case:絵文字?: テストIDにシフトJISで表せない文字があります。$' &&
    pass "the refusal names the argument" || fail "message: $(field .message)"

long=$(printf 'x%.0s' $(seq 4100))
expect 0 none "an expected result over its limit" -- /capture:screen /case:TC-002 "/expected:$long"
same "it is cut, and said so" \
    "$(field '[(.case.expected | length), (.case.cut | join(","))] | join(" ")')" "4000 expected"
field .case.message | grep -q '期待結果' && pass "the message names the field" ||
    fail "message: $(field .case.message)"

# The cases' file beside the history is written with the history by its
# own part; until then the save is what lets the window quit.
expect 0 none "save" -- "/save:$wincaps\\試験履歴.csv"
expect 0 none "quit" -- /quit
e2e_finish
