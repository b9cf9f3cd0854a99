#!/usr/bin/env bash
# The scrolling capture as the user meets it: its hot key with the pointer
# over a long page of another program writes one tall picture equal, pixel
# for pixel, to the page's whole content with its fixed header once, and
# the page is left scrolled where the user had it; /capture:scroll does
# the same for a script, and the キャプチャー menu's command after its
# seconds for pointing.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
mkdir -p "$E2E_WORK/長いページの証跡"
# The key: Ctrl+Shift (3) with F11 (122).
printf '%s\r\n' '[File_Set]' "保存先=$winwork\\長いページの証跡" '画像ファイル名=sc' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Window]' 'X位置=520' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'スクロール修飾=3' 'スクロールキー=122' 'スクロール監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

"$ZELCAP_WINE" "$ZELCAP_BUILD/scroll_target.exe" "$winwork" >/dev/null 2>&1 </dev/null &
E2E_TARGET_PID=$!
for _ in $(seq 100); do [ -s "$E2E_WORK/page.txt" ] && break; sleep 0.1; done
read -r px py pw ph _ <"$E2E_WORK/page.txt"

# "ok" when the BMP $1 is the whole page $2 wide, the header once.
whole_page() { python3 "$(dirname "$0")/scroll_page.py" "$1" "$2"; }

start_zelcap_armed || { fail "no main window"; e2e_finish; }
xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F11
picture="$E2E_WORK/長いページの証跡/sc1.bmp"
for _ in $(seq 100); do [ -s "$picture" ] && break; sleep 0.1; done
sleep 0.5

result=$(whole_page "$picture" "$pw")
[ "$result" = ok ] && pass "one picture of the whole page, the header once, every row in place" || fail "sc1.bmp: $result"
read -r _ _ _ _ at <"$E2E_WORK/page.txt"
[ "$at" = 48 ] && pass "the page is scrolled back where it was" || fail "the page was left at $at"

exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
(cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" /capture:scroll /heading:長いページ全体 /result:r1.json \
    </dev/null >/dev/null 2>&1); rc=$?
file=$(jq -r .file "$E2E_WORK/r1.json" 2>/dev/null | tr '\\' '/' | sed 's|.*/||')
if [ $rc = 0 ] && [ "$(jq -r .height "$E2E_WORK/r1.json")" = 1024 ] &&
    [ "$(jq -r .heading "$E2E_WORK/r1.json")" = 長いページ全体 ] && [ "$file" = sc2.bmp ]; then
    result=$(whole_page "$E2E_WORK/長いページの証跡/sc2.bmp" "$pw")
    [ "$result" = ok ] && pass "/capture:scroll: the whole page with its heading" || fail "sc2.bmp: $result"
else
    fail "/capture:scroll: rc $rc, $(cat "$E2E_WORK/r1.json" 2>/dev/null)"
fi

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.3
xdotool key --clearmodifiers alt+c
sleep 0.3
xdotool key l
xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
picture="$E2E_WORK/長いページの証跡/sc3.bmp"
for _ in $(seq 100); do [ -s "$picture" ] && break; sleep 0.1; done
sleep 0.5
result=$(whole_page "$picture" "$pw")
[ "$result" = ok ] && pass "the menu command: the whole page under the pointer" || fail "sc3.bmp: $result"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
close_discarding_history "$window" || fail "no save question"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
