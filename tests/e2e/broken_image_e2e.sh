#!/usr/bin/env bash
# Arrowing onto a record whose picture is broken or missing, as a user meets
# it: exactly one message box, and none behind it once it is dismissed;
# pressing the arrow again on the same record brings none either. The boxes
# are counted from outside by focus_probe.exe.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
convert -size 40x30 xc:navy "BMP3:$E2E_WORK/good.bmp"
head -c 3000 /dev/urandom | { printf 'BM'; cat; } >"$E2E_WORK/broken.bmp"
head -c 3000 /dev/urandom | { printf '\377\330\377\340'; cat; } >"$E2E_WORK/broken.jpg"
{
    printf '%s\r\n' '日時,コメント,ファイルパス,テキスト情報'
    for name in good.bmp broken.bmp good.bmp missing.bmp broken.jpg missing.jpg; do
        printf '2024/01/02 03:04:05,%s,%s\\%s,\r\n' "$name" "$winwork" "$name"
    done
} | iconv -f UTF-8 -t CP932 >"$E2E_WORK/hist.csv"

probe() { "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" 2>/dev/null | tr -d '\r'; }
boxes() { probe | sed -n 's/^boxes //p'; }
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
# The number of message boxes once they have had time to come: the first
# within seconds, a second one behind it at once.
settled_boxes() {
    local n
    for _ in $(seq 15); do n=$(boxes); [ "${n:-0}" -gt 0 ] && break; sleep 0.2; done
    sleep 1.5
    boxes
}

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
focus "$window"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key o
dialog=$(wait_for_window "開くファイル名を指定して下さい") || { fail "no Open dialog"; e2e_finish; }
focus "$dialog"
sleep 0.3
xdotool type --delay 20 "$winwork\\hist.csv"
xdotool key Return
window=$(wait_for_window "hist.csv - Zelcap Ver2.3 - [$winwork\\hist.csv]") ||
    { fail "history not opened"; e2e_finish; }
focus "$window"
sleep 0.5

# Down from the top row, which the history opens on, to each row in turn.
xdotool key --clearmodifiers Home
sleep 0.5
[ "$(boxes)" = 0 ] && pass "the good picture shows without a message" ||
    fail "$(boxes) message box(es) on the good picture"
for name in broken.bmp good.bmp missing.bmp broken.jpg missing.jpg; do
    focus "$window"
    xdotool key --clearmodifiers Down
    n=$(settled_boxes)
    case $name in
        good.*)
            [ "$n" = 0 ] && pass "Down onto $name: no message" || fail "Down onto $name: $n message box(es)"
            continue ;;
    esac
    [ "$n" = 1 ] && pass "Down onto $name: one message box" ||
        fail "Down onto $name: $n message boxes"
    for _ in $(seq "${n:-0}"); do
        box=$(xdotool search --onlyvisible --name '^(ERROR|Error)$' 2>/dev/null | head -n 1)
        [ -n "$box" ] || break
        focus "$box"
        xdotool key Return
        sleep 1.5
    done
    [ "$(boxes)" = 0 ] && pass "no second message behind the one for $name" ||
        fail "another message box came after the one for $name"
done
# The last row again: the picture that failed is not tried again.
focus "$window"
xdotool key --clearmodifiers Down
n=$(settled_boxes)
[ "$n" = 0 ] && pass "Down on the last row brings no new message" ||
    fail "Down on the last row: $n message box(es)"
while box=$(xdotool search --onlyvisible --name '^(ERROR|Error)$' 2>/dev/null | head -n 1) &&
    [ -n "$box" ]; do
    focus "$box"; xdotool key Return; sleep 1
done
focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed" || fail "exit code $rc"
e2e_finish
