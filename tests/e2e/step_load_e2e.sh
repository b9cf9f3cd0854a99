#!/usr/bin/env bash
# Step recording under load: whole-screen steps, twenty clicks 50 ms apart
# alternating between a button and a check box. Every click is a step, in
# order, and every heading still names its control and its window.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=st' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'ステップ記録範囲=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_step_target || { fail "the test window did not come up"; e2e_finish; }
read -r okx oky < <(target_point ok)
read -r chx chy < <(target_point check)

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
start_step_recording "$window"
for _ in $(seq 10); do
    xdotool mousemove "$okx" "$oky" click 1 sleep 0.05 mousemove "$chx" "$chy" click 1 sleep 0.05
done
for _ in $(seq 100); do [ -s "$E2E_WORK/st20.bmp" ] && break; sleep 0.1; done
sleep 0.5
save_history_as "$window" "$winwork\\steps.csv" "$E2E_WORK/steps.csv" || fail "the history was not saved"
headings=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/steps.csv" 2>/dev/null | tr -d '\r' | tail -n +2 | cut -d, -f2)
want=$(for _ in $(seq 10); do
    printf '%s\n' '「OK」ボタンをクリック (手順テスト)' '「確認する」チェックボックスをクリック (手順テスト)'
done)
[ "$headings" = "$want" ] && pass "20 steps in order, each naming its control and window" ||
    fail "headings: $(printf '%s' "$headings" | tr '\n' '|')"
[ -e "$E2E_WORK/st21.bmp" ] && fail "more pictures than clicks"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
