#!/usr/bin/env bash
# The evidence workbook through the real Zelcap.exe under Wine against
# `zip -0` of the same files, in the same run (docs/performance.md): COUNT
# different 1920 x 1080 JPEG files in a history, exported through
# ツール → Excel出力 with the default options (one sheet per record, fitted to
# the page width). Each round times zip -0 storing the files, then the export
# from the 出力 key to the closing message. The files are read from the page
# cache by both.
#   workbook-exe-bench.sh BUILD_DIR [COUNT] [ROUNDS]
# BENCH_INI="[Excel] レイアウト=1" starts Zelcap with those lines (split at
# blanks) as its settings file, here the one-sheet layout.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
ROOT=$(cd "$here/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
count=${2:-1000}
rounds=${3:-3}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
work=$(mktemp -d "$build/workbook-bench.XXXXXX")
E2E_PID=""
finish() {
    [ -n "$E2E_PID" ] && kill "$E2E_PID" 2>/dev/null
    "$here/wine-session.sh" stop "$build" >/dev/null
    rm -rf "$work"
}
trap finish EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"
E2E_WORK=$work
start_zelcap() {
    (cd "$work" && exec "$ZELCAP_WINE" "$build/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
    E2E_PID=$!
}
wait_for_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --name "^$(printf '%s' "$1" | sed 's/[][\.*^$]/\\&/g')\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
# shellcheck source=tests/e2e/excel-lib.sh
. "$ROOT/tests/e2e/excel-lib.sh"

# The same pictures as the native benchmark's.
lib="$ROOT/build/libxlsxwriter-native"
"$here/build-libxlsxwriter-win32.sh" --current "$lib" ||
    "$here/build-libxlsxwriter-win32.sh" "$lib" native >/dev/null
mkdir -p "$ROOT/build/bench"
g++ -std=c++17 -O2 -I"$ROOT" -I"$lib/include" -o "$ROOT/build/bench/workbook_bench" \
    "$here/bench/workbook_bench.cpp" "$ROOT"/report/workbook_writer.cpp \
    "$ROOT"/report/workbook_text.cpp "$ROOT"/report/workbook_names.cpp \
    "$ROOT"/report/picture_probe.cpp "$lib/lib/libxlsxwriter.a" -lz -ljpeg
"$ROOT/build/bench/workbook_bench" "$work" "$count" make
for i in $(seq "$count"); do printf '2026/12/09 10:00:00,screen %d,\\%d.jpg,\n' "$i" "$i"; done |
    write_history "$work/bench.csv"
bytes=$(cat "$work"/*.jpg | wc -c)

[ -n "${BENCH_INI:-}" ] && printf "%s\r\n" $BENCH_INI | iconv -f UTF-8 -t CP932 >"$work/Zelcap.ini"
start_zelcap
window=$(open_history "$work/bench.csv") || { echo "bench: the history did not open" >&2; exit 1; }

now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
zips=() books=()
for round in $(seq "$rounds"); do
    rm -f "$work/bench.zip" "$work/bench.xlsx"
    start=$(now)
    (cd "$work" && zip -0 -q bench.zip ./*.jpg)
    zips+=($(( ($(now) - start) / 1000000 )))

    focus "$window" || true
    xdotool key --clearmodifiers alt+t
    sleep 0.3
    xdotool key x
    dialog=$(wait_for_window "Excel出力") || { echo "bench: no Excel出力 dialog" >&2; exit 1; }
    focus "$dialog"
    sleep 0.5
    start=$(now)
    xdotool key --clearmodifiers alt+s
    box=""
    for _ in $(seq 100000); do
        box=$(xdotool search --name '^(確認|エラー)$' 2>/dev/null | head -n 1) && [ -n "$box" ] && break
        sleep 0.01
    done
    end=$(now)
    name=$(xdotool getwindowname "$box")
    # The box may still be mapping when found.
    sleep 0.3
    focus "$box" || true
    xdotool key Return
    [ "$name" = 確認 ] || { echo "bench: the export ended with $name" >&2; exit 1; }
    books+=($(( (end - start) / 1000000 )))
    echo "round $round: zip -0 ${zips[-1]} ms, Zelcap.exe ${books[-1]} ms" \
        "(ratio $(awk -v a="${books[-1]}" -v b="${zips[-1]}" 'BEGIN { printf "%.2f", a / b }'))"
    sleep 1
done
zip=$(median "${zips[@]}") book=$(median "${books[@]}")
echo "records $count, JPEG bytes $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB," \
    "workbook $(wc -c <"$work/bench.xlsx") bytes"
echo "median: zip -0 $zip ms, Zelcap.exe $book ms, ratio $(awk -v a="$book" -v b="$zip" 'BEGIN { printf "%.2f", a / b }')"
focus "$window"
xdotool key --clearmodifiers alt+F4
