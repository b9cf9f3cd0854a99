#!/usr/bin/env bash
# The whole road of one capture in the real Zelcap.exe, driven by keys: with
# a settings file that monitors the whole-screen kind, Ctrl+Alt+S arms, the
# kind's hot key writes the numbered file, and Ctrl+S saves the history
# through its Save As dialog with the record in it.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# Kind 1 (whole screen) on Ctrl+Shift+F8: the hot-key control's flags are
# Shift 1 + Ctrl 2; F8 is virtual key 119.
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    "保存先=$winwork" '画像ファイル名=e2e' '画像ファイル開始番号=7' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F8
for _ in $(seq 50); do [ -s "$E2E_WORK/e2e7.bmp" ] && break; sleep 0.1; done
if [ -s "$E2E_WORK/e2e7.bmp" ] && [ "$(head -c 2 "$E2E_WORK/e2e7.bmp")" = BM ]; then
    pass "the hot key wrote e2e7.bmp"
else
    fail "no e2e7.bmp after the hot key"
fi

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+s
if dialog=$(wait_for_window "保存するファイル名を指定して下さい"); then
    pass "Ctrl+S on an untitled history opened the Save As dialog"
    xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
    sleep 0.3
    xdotool type --delay 20 "$winwork\\hist.csv"
    xdotool key Return
else
    fail "no Save As dialog after Ctrl+S"
fi
for _ in $(seq 50); do [ -s "$E2E_WORK/hist.csv" ] && break; sleep 0.1; done
csv=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/hist.csv" 2>/dev/null | tr -d '\r')
if [ "$(printf '%s\n' "$csv" | head -n 1)" = "日時,コメント,ファイルパス,テキスト情報" ]; then
    pass "hist.csv starts with the header"
else
    fail "hist.csv has no header: $(printf '%s' "$csv" | head -c 200)"
fi
if printf '%s\n' "$csv" | grep -qE "^[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2},SCREEN,$(printf '%s' "$winwork" | sed 's/[\\.]/\\&/g')\\\\e2e7\\.bmp,\$"; then
    pass "hist.csv holds the record of the capture"
else
    fail "hist.csv lacks the record: $(printf '%s' "$csv" | tail -n 1)"
fi

window=$(wait_for_window "hist.csv - Zelcap Ver2.3 - [$winwork\\hist.csv]") &&
    pass "the title names the saved history" || fail "title does not name hist.csv"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
if ini_text | tr -d '\r' | grep -qxF '画像ファイル開始番号=8'; then
    pass "the running number carried over into the INI"
else
    fail "INI does not hold 画像ファイル開始番号=8"
fi
e2e_finish
