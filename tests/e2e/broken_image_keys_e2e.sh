#!/usr/bin/env bash
# Up through a history of broken and missing pictures by keys alone, Return
# on each error message as it comes, over and over: the main window stays,
# the process runs on, and no message is left open behind it.
. "$(dirname "$0")/e2e-lib.sh" "$1"
# shellcheck source=tests/e2e/excel-lib.sh
. "$(dirname "$0")/excel-lib.sh"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
convert -size 40x30 xc:navy "BMP3:$E2E_WORK/good.bmp"
head -c 3000 /dev/urandom | { printf 'BM'; cat; } >"$E2E_WORK/broken.bmp"
for n in 1 2 3; do
    head -c 3000 /dev/urandom | { printf '\377\330\377\340'; cat; } >"$E2E_WORK/broken$n.jpg"
done
rows=(good.bmp broken1.jpg missing.bmp broken2.jpg good.bmp broken.bmp broken3.jpg missing.jpg)
{
    printf '%s\r\n' '日時,コメント,ファイルパス,テキスト情報'
    for name in "${rows[@]}"; do
        printf '2024/01/02 03:04:05,%s,%s\\%s,\r\n' "$name" "$winwork" "$name"
    done
} | iconv -f UTF-8 -t CP932 >"$E2E_WORK/hist.csv"

probe() { "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" 2>/dev/null | tr -d '\r'; }
boxes() { probe | sed -n 's/^boxes //p'; }
title="hist.csv - Zelcap Ver2.3 - [$winwork\\hist.csv]"
window_there() {
    kill -0 "$E2E_PID" 2>/dev/null &&
        xdotool search --onlyvisible --name "^$(printf '%s' "$title" | sed 's/[][\.*^$]/\\&/g')\$" \
            >/dev/null 2>&1
}
error_box() { xdotool search --onlyvisible --name '^(ERROR|Error)$' 2>/dev/null | head -n 1; }

start_zelcap
window=$(open_history "$E2E_WORK/hist.csv") || { fail "history not opened"; e2e_finish; }
focus "$window"
sleep 0.5

# From the last row up to the first, twice over; Return on each
# message, first with the message box given the focus as a user would,
# then as the keys come, with whatever has the focus.
for round in focused as-it-comes; do
    focus "$window"
    xdotool key --clearmodifiers End
    sleep 1
    for _ in "${rows[@]}"; do
        xdotool key --clearmodifiers Up
        for _ in $(seq 10); do [ -n "$(error_box)" ] && break; sleep 0.2; done
        box=$(error_box)
        if [ -n "$box" ]; then
            [ "$round" = focused ] && focus "$box"
            xdotool key Return
            sleep 0.8
        fi
        window_there || break
    done
    window_there && pass "Up and Return over the broken rows ($round): the window stays" ||
        { fail "the main window is gone after Up and Return ($round)"; e2e_finish; }
    while box=$(error_box) && [ -n "$box" ]; do focus "$box"; xdotool key Return; sleep 0.8; done
done
[ "$(boxes)" = 0 ] && pass "no message left open" || fail "$(boxes) message box(es) left open"
focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed" || fail "exit code $rc"
e2e_finish
