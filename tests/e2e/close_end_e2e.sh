#!/usr/bin/env bash
# The process ends promptly once its main window is closed by Alt+F4, after
# what leaves threads and windows of its own behind a capture: a burst of
# hot keys (the digests on their thread, the pictures left to the last
# capture) and a step recording still running (its hook and lookup
# threads). Not a timing: a window that closed while the process went on
# would hold the hot keys from the next Zelcap.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# Kind 1 (whole screen) on Ctrl+Shift+F8, as capture_e2e.sh sets it.
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    "保存先=$winwork" '画像ファイル名=end' '画像ファイル開始番号=1' \
    '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

# The window the step is clicked on, beside the main window (as
# step_record_e2e.sh places them).
start_step_target || { fail "the test window did not come up"; e2e_finish; }
read -r okx oky < <(target_point ok)
start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5
xdotool key --delay 20 ctrl+shift+F8 ctrl+shift+F8 ctrl+shift+F8
for _ in $(seq 100); do [ -s "$E2E_WORK/end3.bmp" ] && break; sleep 0.1; done
[ -s "$E2E_WORK/end3.bmp" ] && pass "three hot keys wrote end1.bmp to end3.bmp" ||
    fail "no end3.bmp after three hot keys"

start_step_recording "$window"
xdotool mousemove "$okx" "$oky" sleep 0.2 click 1
for _ in $(seq 50); do [ -s "$E2E_WORK/end4.bmp" ] && break; sleep 0.1; done
[ -s "$E2E_WORK/end4.bmp" ] && pass "the step recording wrote a step (end4.bmp)" ||
    fail "no step written: the recording did not run"
# The test window is the active one: a click on the status bar brings
# Zelcap back to the front (a click on Zelcap's own window is no step).
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 60)) $((Y + HEIGHT - 10)) click 1
sleep 0.3
if close_discarding_history "$window"; then
    pass "Alt+F4 asked about the unsaved records"
else
    fail "no save question after Alt+F4"
fi
ended=""
for _ in $(seq 25); do
    kill -0 "$E2E_PID" 2>/dev/null || { ended=yes; break; }
    sleep 0.2
done
if [ -n "$ended" ]; then
    pass "the process ended within 5 s of the answer"
else
    fail "the process was still running 5 s after its window closed"
fi
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "exit code 0" || fail "exit code $rc"
e2e_finish
