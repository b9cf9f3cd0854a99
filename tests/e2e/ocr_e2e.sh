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
write_capture_ini "$captures" ocr '[OCR]' '文字読み取り=1'
start_capture_target || { fail "no window to capture"; e2e_finish; }
start_zelcap_armed || { fail "no main window"; e2e_finish; }
window=$E2E_MAIN
picture="$captures/ocr1.bmp"
capture_target "$picture"
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

# Back to Zelcap, as the fixture holds the activation.
click_status_bar "$window"
close_discarding_history "$window" || fail "no save question at the close"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
