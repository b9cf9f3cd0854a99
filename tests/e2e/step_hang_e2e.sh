#!/usr/bin/env bash
# Step recording while a clicked program hangs for eight seconds: the steps
# clicked on a healthy window behind it are written long before the hang
# ends, in click order, the hung window's steps keep the names the window
# manager knows; the stop key answers at once; and closing Zelcap while the
# program still hangs writes every step clicked and asks its save question
# at once.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=st' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'ステップ記録修飾=3' 'ステップ記録キー=123' 'ステップ記録監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_step_target || { fail "the test window did not come up"; e2e_finish; }
read -r okx oky < <(target_point ok)
read -r chx chy < <(target_point check)
read -r hgx hgy < <(target_point hang)

now() { date +%s.%N; }
# Seconds from $1 until file $2 exists (waiting at most 12 s), or "never".
seconds_until_file() {
    for _ in $(seq 240); do
        [ -s "$2" ] && { echo "$(now) - $1" | bc; return; }
        sleep 0.05
    done
    echo never
}
within() { [ "$1" != never ] && [ "$(echo "$1 < $2" | bc)" = 1 ]; }
status_is() { tail -n 1 "$E2E_WORK/status.txt" 2>/dev/null | iconv -f CP932 -t UTF-8 | grep -qx "$1"; }

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
eval "$(xdotool getwindowgeometry --shell "$window")"
zx=$((X + 60)) zy=$((Y + HEIGHT - 10)) # Zelcap's status bar: never a step
start_steps() {
    xdotool mousemove "$zx" "$zy" click 1
    start_step_recording "$window"
}
start_steps

# The program hangs on the click. (A click on a window whose thread hangs
# already reaches no hook under Wine until the thread runs again: Wine reads
# a window's input on that thread.)
xdotool mousemove "$hgx" "$hgy" click 1
hung_at=$(now)
sleep 0.4
xdotool mousemove "$okx" "$oky" click 1
ok_at=$(now)
sleep 0.3
xdotool mousemove "$chx" "$chy" click 1
check_at=$(now)
ok_delay=$(seconds_until_file "$ok_at" "$E2E_WORK/st2.bmp")
check_delay=$(seconds_until_file "$check_at" "$E2E_WORK/st3.bmp")
# The hang lasts 8 s: a step held back by it would come after 7 s.
within "$ok_delay" 2.5 && within "$check_delay" 2.5 &&
    pass "the healthy window's steps came ${ok_delay}s and ${check_delay}s after their clicks" ||
    fail "healthy steps after ${ok_delay}s and ${check_delay}s"

# The stop key while the program still hangs.
xdotool key --clearmodifiers ctrl+shift+F12
stop_at=$(now)
for _ in $(seq 120); do status_is 'キャプチャ停止中' && break; sleep 0.05; done
stop_delay=$(echo "$(now) - $stop_at" | bc)
status_is 'キャプチャ停止中' && within "$stop_delay" 2 && pass "stopped ${stop_delay}s after the key" ||
    fail "the stop took ${stop_delay}s (status: $(tail -n 1 "$E2E_WORK/status.txt" | iconv -f CP932 -t UTF-8))"
[ "$(echo "$(now) - $hung_at < 7" | bc)" = 1 ] || fail "the checks above ran past the hang"

# Wait for the hang to end, then hang it again and close Zelcap at once.
for _ in $(seq 100); do [ "$(echo "$(now) - $hung_at > 8.5" | bc)" = 1 ] && break; sleep 0.1; done
start_steps
xdotool mousemove "$hgx" "$hgy" click 1
sleep 0.4
xdotool mousemove "$okx" "$oky" click 1
sleep 0.3
xdotool mousemove "$chx" "$chy" click 1
sleep 0.1
xdotool mousemove "$zx" "$zy" click 1
sleep 0.2
xdotool key --clearmodifiers alt+F4
close_at=$(now)
if question=$(wait_for_window "保存確認"); then
    asked=$(echo "$(now) - $close_at" | bc)
    within "$asked" 5 && pass "the save question came ${asked}s after the close" ||
        fail "the save question came ${asked}s after the close"
    eval "$(xdotool getwindowgeometry --shell "$question")"
    xdotool mousemove $((X + 30)) $((Y + 8)) click 1
    sleep 0.3
    xdotool key y
    if dialog=$(wait_for_window "保存するファイル名を指定して下さい"); then
        xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
        sleep 0.3
        xdotool type --delay 20 "$winwork\\steps.csv"
        xdotool key Return
    else
        fail "no Save As dialog"
    fi
else
    fail "no save question after the close"
fi
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"

headings=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/steps.csv" 2>/dev/null | tr -d '\r' | tail -n +2 | cut -d, -f2)
hung='「固まる」ボタンをクリック (固まるテスト)'
want=$(printf '%s\n' "$hung" '「OK」ボタンをクリック (手順テスト)' \
    '「確認する」チェックボックスをクリック (手順テスト)' "$hung" \
    '「OK」ボタンをクリック (手順テスト)' '「確認する」チェックボックスをクリック (手順テスト)')
[ "$headings" = "$want" ] && pass "six steps in click order, each named" ||
    fail "headings: $(printf '%s' "$headings" | tr '\n' '|')"
[ -s "$E2E_WORK/st6.bmp" ] && [ ! -e "$E2E_WORK/st7.bmp" ] && pass "one picture per step" ||
    fail "pictures: $(cd "$E2E_WORK" && ls st*.bmp | tr '\n' ' ')"
e2e_finish
