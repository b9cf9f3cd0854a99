#!/usr/bin/env bash
# The text of a capture read in the background, as a tester meets it: with
# [OCR] 文字読み取り=1, a window of our own with large Japanese text is
# captured by hot key into a folder with a Japanese name; the picture comes
# at once, and its "<picture>.ocr" follows with the words shown on the
# screen, while the picture's file time stays as the capture left it.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

captures="$E2E_WORK/読み取り証跡"
mkdir -p "$captures"
# The active-window kind (stored under 画面全体) on Ctrl+Shift+F8.
printf '%s\r\n' '[File_Set]' '画面全体：修飾キー=3' '画面全体：キー=119' '画面全体：監視=1' \
    "保存先=$(winpath "$captures")" '画像ファイル名=ocr' '画像ファイル開始番号=1' \
    '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=560' '[OCR]' '文字読み取り=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

"$ZELCAP_WINE" "$ZELCAP_BUILD/compare_target.exe" "$(winpath "$E2E_WORK")" >/dev/null 2>&1 </dev/null &
E2E_TARGET_PID=$!
for _ in $(seq 100); do grep -q '^state 1' "$E2E_WORK/target.txt" 2>/dev/null && break; sleep 0.1; done
target=$(wait_for_window "比較テスト") || { fail "no window to capture"; e2e_finish; }

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
focus "$window"
sleep 0.5
xdotool key --clearmodifiers ctrl+alt+s
sleep 1
eval "$(xdotool getwindowgeometry --shell "$target")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 30)) click 1
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F8
picture="$captures/ocr1.bmp"
for _ in $(seq 50); do [ -s "$picture" ] && break; sleep 0.1; done
[ -s "$picture" ] && pass "the hot key wrote the picture" || { fail "no picture after the hot key"; e2e_finish; }
written=$(stat -c %Y.%y "$picture")
for _ in $(seq 600); do [ -f "$picture.ocr" ] && break; sleep 0.2; done
if [ -f "$picture.ocr" ]; then
    pass "the picture's text was read into ocr1.bmp.ocr"
    text=$(iconv -f CP932 -t UTF-8 "$picture.ocr" | tr -d '\r')
    [ "$(printf '%s\n' "$text" | head -n 1)" = "$(printf 'ZOCR\t1')" ] &&
        pass "the sidecar starts with its version line" || fail "no version line: $(printf '%s' "$text" | head -c 80)"
    printf '%s\n' "$text" | grep -q '変更前' &&
        pass "the sidecar holds the words shown on the screen" || fail "the words are not read: $text"
else
    fail "no ocr1.bmp.ocr within two minutes"
fi
[ "$(stat -c %Y.%y "$picture")" = "$written" ] &&
    pass "the reading left the picture's file time as it was" || fail "the picture's file time changed"
ls "$captures" | grep -qv '^ocr1\.bmp\(\.ocr\)\?$' && fail "other files beside the picture: $(ls "$captures")"

click_status_bar "$window"
close_discarding_history "$window" || fail "no save question at the close"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
