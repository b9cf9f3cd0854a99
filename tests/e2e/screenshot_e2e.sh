#!/usr/bin/env bash
# The real Zelcap.exe after a few captures, photographed: the main window with
# the history list and the picture of the selected capture. The picture goes
# to BUILD/screenshot.png (docs/screenshot.png is a copy of one).
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' '項目１幅=160' '項目２幅=260' \
    '項目３幅=150' '項目４幅=90' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' \
    'Aウィンドウ：監視=1' "保存先=$winwork" '画像ファイル名=shot' '画像ファイル開始番号=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5
for n in 1 2 3; do
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 50); do [ -s "$E2E_WORK/shot$n.bmp" ] && break; sleep 0.1; done
    [ -s "$E2E_WORK/shot$n.bmp" ] && pass "capture $n written" || fail "capture $n missing"
    sleep 0.5
done
sleep 1
shot="$ZELCAP_BUILD/screenshot.png"
rm -f "$shot"
import -display "$DISPLAY" -window root -crop 960x720+0+0 +repage "$shot"
if [ -s "$shot" ] && [ "$(identify -format '%w x %h' "$shot")" = "960 x 720" ]; then
    pass "screenshot taken ($shot)"
else
    fail "no screenshot"
fi
# The captured picture is in the view: the shot holds far more than a few
# flat colours.
colours=$(identify -format '%k' "$shot" 2>/dev/null || echo 0)
[ "${colours:-0}" -gt 200 ] && pass "the screenshot shows a picture ($colours colours)" ||
    fail "the screenshot looks empty ($colours colours)"

# The history changed: the close asks whether to save it.
close_discarding_history "$window"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
