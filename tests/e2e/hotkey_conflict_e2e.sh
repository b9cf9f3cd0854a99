#!/usr/bin/env bash
# A hot key another program holds: a second process registers the
# whole-screen kind's Ctrl+Shift+F8 first; arming Zelcap must say so in one
# message naming the key and its kind (the holder reads the message box's
# text, as an accessibility tool would), and the frame kind's Ctrl+Shift+F9
# must still capture.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# Shift 1 + Ctrl 2 in the hot-key control's flags; F8 119, F9 120.
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    'AウィンドウP：修飾キー=3' 'AウィンドウP：キー=120' 'AウィンドウP：監視=1' \
    "保存先=$winwork" '画像ファイル名=hk' '画像ファイル開始番号=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

# MOD_CONTROL 2 + MOD_SHIFT 4, as RegisterHotKey takes them.
"$ZELCAP_WINE" "$ZELCAP_BUILD/hotkey_holder.exe" 6 119 "$winwork" >/dev/null 2>&1 </dev/null &
holder=$!
trap 'kill $holder 2>/dev/null; e2e_cleanup' EXIT
for _ in $(seq 100); do [ -f "$E2E_WORK/held" ] && break; sleep 0.1; done
[ -f "$E2E_WORK/held" ] || { fail "the holder did not register Ctrl+Shift+F8"; e2e_finish; }

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
if message=$(wait_for_window "ホットキー登録エラー"); then
    pass "arming raised the hot-key message"
    for _ in $(seq 30); do [ -s "$E2E_WORK/message.txt" ] && break; sleep 0.1; done
    text=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/message.txt" 2>/dev/null)
    if printf '%s' "$text" | grep -qF 'Ctrl+Shift+F8（スクリーン全体）' &&
        ! printf '%s' "$text" | grep -qF 'F9'; then
        pass "the message names Ctrl+Shift+F8 and its kind, and only it"
    else
        fail "the message text: $(printf '%s' "$text" | head -c 300)"
    fi
    xdotool windowfocus --sync "$message" 2>/dev/null || xdotool windowfocus "$message"
    xdotool key Return
else
    fail "no hot-key message after arming"
fi

sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F9
for _ in $(seq 50); do [ -s "$E2E_WORK/hk1.bmp" ] && break; sleep 0.1; done
[ -s "$E2E_WORK/hk1.bmp" ] && pass "the free key still captured" || fail "no hk1.bmp from Ctrl+Shift+F9"

close_discarding_history "$window" || fail "no save question on close"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
