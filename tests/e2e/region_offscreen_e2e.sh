#!/usr/bin/env bash
# A 前回の範囲 kept under another screen layout, wholly beyond this screen:
# its key must say so in a warning and write no file, not silently do
# nothing. The box's text is read from outside by focus_probe.exe.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# Ctrl+Shift (3) with F11 (122); the region lies right of and below any
# screen the tests run on.
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=rg' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Capture_Ext]' '前回の範囲修飾=3' '前回の範囲キー=122' '前回の範囲監視=1' \
    '前回の範囲座標=9000,9000,9200,9150' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

box_text() {
    "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" texts 2>/dev/null | tr -d '\r' |
        iconv -f CP932 -t UTF-8 | sed -n "s/^box $1: //p"
}

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5

xdotool key --clearmodifiers ctrl+shift+F11
want='前回の範囲が現在の画面の外にあります。範囲指定キャプチャーをやり直してください。'
if box=$(wait_for_window "警告"); then
    text=$(box_text "警告")
    [ "$text" = "$want" ] && pass "the key says the kept region is off the screen" ||
        fail "the warning reads '$text'"
    xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
    xdotool key Return
else
    fail "no warning after 前回の範囲 with the region off the screen"
fi
sleep 1
ls "$E2E_WORK"/rg*.bmp >/dev/null 2>&1 && fail "a file was written" || pass "no file was written"

# No record was made, so the window closes without a question.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
