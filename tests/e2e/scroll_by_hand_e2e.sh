#!/usr/bin/env bash
# The scrolling capture by hand as the user meets it: over a page that takes
# no scroll message from another program, the scrolling capture's hot key
# shows a tip saying how to end; the user scrolls the page with its own keys
# and presses the hot key again, and the one tall picture equals, pixel for
# pixel, the page's whole content with its header and footer once. The
# second time the user turns the wheel and ends with Esc. With the manual
# mode set, a page that does scroll at the messages is not scrolled either:
# what the user had in view is taken.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
folder="$E2E_WORK/手で動かすページの証跡"
mkdir -p "$folder"
# The key: Ctrl+Shift (3) with F11 (122); the manual mode itself off.
printf '%s\r\n' '[File_Set]' "保存先=$winwork\\手で動かすページの証跡" '画像ファイル名=sc' \
    '画像ファイル開始番号=1' 'JPEGモード=0' '[Window]' 'X位置=520' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'スクロール修飾=3' 'スクロールキー=122' 'スクロール監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

"$ZELCAP_WINE" "$ZELCAP_BUILD/scroll_target.exe" /hand "$winwork" >/dev/null 2>&1 </dev/null &
E2E_TARGET_PID=$!
for _ in $(seq 100); do [ -s "$E2E_WORK/page.txt" ] && break; sleep 0.1; done
read -r px py pw ph _ <"$E2E_WORK/page.txt"
position() { cut -d' ' -f5 "$E2E_WORK/page.txt"; }

wait_for_window "手で動かすページ" >/dev/null || { fail "no page"; e2e_finish; }
start_zelcap_armed || { fail "no main window"; e2e_finish; }

# $1: the picture's number; then how the user scrolls and ends.
by_hand() {
    local n=$1 scroll=$2 finish=$3
    xdotool mousemove $((px + pw / 2)) $((py + 4)) sleep 0.2 click 1
    sleep 0.3
    xdotool key --clearmodifiers ctrl+shift+F11
    if wait_for_window "スクロールキャプチャー" >/dev/null; then
        pass "capture $n: a tip says how to end"
    else
        fail "capture $n: no tip"
    fi
    [ "$(position)" = 0 ] && pass "capture $n: the page did not move at the scroll messages" ||
        fail "capture $n: the page moved to $(position) by itself"
    xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
    eval "$scroll"
    sleep 0.6
    [ "$(position)" = 844 ] || fail "capture $n: the page was scrolled to $(position), not its end"
    eval "$finish"
    local picture="$folder/sc$n.bmp"
    for _ in $(seq 100); do [ -s "$picture" ] && break; sleep 0.1; done
    sleep 0.5
    local result
    result=$(python3 "$(dirname "$0")/scroll_page.py" "$picture" "$pw" 20 2>&1)
    [ "$result" = ok ] && pass "capture $n: the whole page, header and footer once, every pixel" ||
        fail "capture $n: sc$n.bmp: $result"
    xdotool search --name '^スクロールキャプチャー$' >/dev/null 2>&1 && fail "capture $n: the tip stayed"
}

by_hand 1 'for _ in 1 2 3 4 5 6 7; do xdotool key Next; sleep 0.5; done' \
    'xdotool key --clearmodifiers ctrl+shift+F11'
xdotool key Home
sleep 0.5
by_hand 2 'for _ in $(seq 18); do xdotool click 5; sleep 0.3; done' 'xdotool key Escape'

click_status_bar "$window"
close_discarding_history "$window" || fail "no save question"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"

# The manual mode set, over the page that scrolls at WM_VSCROLL (from row 48).
kill "$E2E_TARGET_PID" 2>/dev/null
mkdir -p "$E2E_WORK/長い" "$folder/設定"
printf '%s\r\n' '[File_Set]' "保存先=$winwork\手で動かすページの証跡\設定" '画像ファイル名=sc' \
    '画像ファイル開始番号=1' 'JPEGモード=0' '[Window]' 'X位置=520' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'スクロール修飾=3' 'スクロールキー=122' 'スクロール監視=1' 'スクロール手動=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
"$ZELCAP_WINE" "$ZELCAP_BUILD/scroll_target.exe" "$winwork\長い" >/dev/null 2>&1 </dev/null &
E2E_TARGET_PID=$!
for _ in $(seq 100); do [ -s "$E2E_WORK/長い/page.txt" ] && break; sleep 0.1; done
read -r px py pw ph _ <"$E2E_WORK/長い/page.txt"
start_zelcap_armed || { fail "no main window"; e2e_finish; }
xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
sleep 0.3
xdotool key --clearmodifiers ctrl+shift+F11
wait_for_window "スクロールキャプチャー" >/dev/null && pass "the manual mode: a tip" || fail "the manual mode: no tip"
sleep 0.5
xdotool key Escape
picture="$folder/設定/sc1.bmp"
for _ in $(seq 100); do [ -s "$picture" ] && break; sleep 0.1; done
sleep 0.5
result=$(python3 "$(dirname "$0")/scroll_page.py" "$picture" "$pw" 0 48 176 2>&1)
[ "$result" = ok ] && pass "the manual mode: the page as the user had it, not scrolled" ||
    fail "the manual mode: sc1.bmp: $result"
[ "$(cut -d' ' -f5 "$E2E_WORK/長い/page.txt")" = 48 ] || fail "the manual mode scrolled the page"
click_status_bar "$window"
close_discarding_history "$window" || fail "no save question"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
