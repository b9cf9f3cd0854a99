#!/usr/bin/env bash
# The mask proposals as the user meets them, by keys alone: a record whose
# read text (its .ocr) shows an e-mail address, a phone number and a card
# number among harmless text; 編集 → 個人情報のマスク候補 opens the editor
# with the list focused, Down and Delete take the phone number away, Enter
# keeps the rest, Ctrl+S saves. The sidecar holds exactly the two masks
# and the flattened picture is black there and nowhere else.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

E2E_TYPE_DELAY=150
folder="$E2E_WORK/証跡"
mkdir -p "$folder"
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=700' '高さ=600' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
/usr/bin/python3 - "$folder" <<'PY'
import sys
from PIL import Image
Image.new("RGB", (400, 200), (30, 160, 90)).save(f"{sys.argv[1]}/画面.bmp")
# Ten pixels a byte, so that each hit's box is exact.
lines = [(10, 10, 230, 24, "連絡先 taro@example.jp"),
         (10, 40, 180, 54, "電話 03-1234-5678"),
         (10, 70, 270, 84, "カード 4111-1111-1111-1111"),
         (10, 95, 150, 109, "今日は晴れです")]
text = "ZOCR\t1\r\n" + "".join("%d\t%d\t%d\t%d\t%s\r\n" % l for l in lines)
open(f"{sys.argv[1]}/画面.bmp.ocr", "wb").write(text.encode("cp932"))
PY
write_history "$folder/記録.csv" <<CSV
2026/12/10 10:00:01,画面,\\画面.bmp,
CSV

start_zelcap
window=$(open_history "$folder/記録.csv") || { fail "the history did not open"; e2e_finish; }
focus "$window"
xdotool mousemove --window "$window" 80 130 click 1
sleep 0.3
xdotool key --clearmodifiers Home
sleep 0.3
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key p
editor=$(wait_for_window "注釈 - 画面.bmp") || { fail "no editor after 編集 → 個人情報のマスク候補"; e2e_finish; }
pass "編集 → 個人情報のマスク候補 opened the editor"
focus "$editor"
sleep 0.5
xdotool key Down Delete Return ctrl+s
sleep 1
masks=$(tr -d '\r' <"$folder/画面.bmp.zan" 2>/dev/null | grep -c '^mask')
[ "$masks" = 2 ] && pass "the sidecar holds two masks" || fail "masks in the sidecar: $masks"
result=$(/usr/bin/python3 - "$folder/画面_ann.png" <<'PY'
import sys
from PIL import Image
try:
    im = Image.open(sys.argv[1]).convert("RGB")
except OSError as e:
    print(e); sys.exit()
px = im.load()
boxes = [(78, 8, 232, 26), (78, 68, 272, 86)]  # the address and the card, padded
bad = 0
for y in range(im.size[1]):
    for x in range(im.size[0]):
        inside = any(l <= x < r and t <= y < b for l, t, r, b in boxes)
        bad += (px[x, y] == (0, 0, 0)) != inside
print("ok" if im.size == (400, 200) and bad == 0 else f"{im.size}, {bad} pixels wrong")
PY
)
[ "$result" = ok ] && pass "the flattened picture is black over the address and the card only" ||
    fail "flattened: $result"
xdotool key --clearmodifiers alt+F4
sleep 0.5
focus "$window"
xdotool key --clearmodifiers ctrl+s
sleep 1
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
