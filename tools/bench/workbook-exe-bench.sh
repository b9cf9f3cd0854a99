#!/usr/bin/env bash
# The evidence workbook through the real Zelcap.exe under Wine against its
# floors, in the same run (docs/performance.md): COUNT different 1920 x 1080
# JPEG files in a history, exported through ツール → Excel出力 with the
# default options (one sheet per record, fitted to the page width). Each
# round times `zip -0` storing the files, then floor_zip.exe (a Win32
# program storing them in a zip under the same Wine, timed by itself from
# its first file to the zip closed), then the export from the 出力 key to
# the closing message. The files are read from the page cache by all three.
#   workbook-exe-bench.sh BUILD_DIR [COUNT] [ROUNDS]
# BENCH_INI="[Excel] レイアウト=1" starts Zelcap with those lines (split at
# blanks) as its settings file, here the one-sheet layout. BENCH_PICTURES=plain
# takes quieter pictures of about 200 KB instead of half a megabyte;
# BENCH_MANIFEST=1 gives the history its manifest (every digest pinned).
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
# Under set -e a failed kill (Zelcap already gone) ended the trap before the
# rm, leaving the 1.5 GB of pictures behind each run.
finish() {
    if [ -n "$E2E_PID" ]; then kill "$E2E_PID" 2>/dev/null || true; fi
    "$here/wine-session.sh" stop "$build" >/dev/null || true
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

# The same pictures as the native benchmark's; BENCH_PICTURES=plain makes
# the quieter screens of about 200 KB instead.
mkdir -p "$ROOT/build/bench"
g++ -std=c++17 -O2 -I"$ROOT" -o "$ROOT/build/bench/workbook_pictures" \
    "$here/bench/workbook_pictures.cpp" -ljpeg
"$ROOT/build/bench/workbook_pictures" "$work" "$count" ${BENCH_PICTURES:-}
for i in $(seq "$count"); do printf '2026/12/09 10:00:00,screen %d,\\%d.jpg,\n' "$i" "$i"; done |
    write_history "$work/bench.csv"
bytes=$(cat "$work"/*.jpg | wc -c)
# BENCH_MANIFEST=1: the history's manifest beside it, as Zelcap saves one,
# so that the export takes every picture's digest from it instead of
# hashing the file.
[ -n "${BENCH_MANIFEST:-}" ] && (cd "$work" && sha256sum ./*.jpg | sed 's|  \./|  |' >bench.sha256)

[ -n "${BENCH_INI:-}" ] && printf "%s\r\n" $BENCH_INI | iconv -f UTF-8 -t CP932 >"$work/Zelcap.ini"
start_zelcap
window=$(open_history "$work/bench.csv") || { echo "bench: the history did not open" >&2; exit 1; }

now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
zips=() floors=() books=()
for round in $(seq "$rounds"); do
    rm -f "$work/bench.zip" "$work/bench.xlsx"
    start=$(now)
    (cd "$work" && zip -0 -q bench.zip ./*.jpg)
    zips+=($(( ($(now) - start) / 1000000 )))
    rm -f "$work/floor.zip"
    out=$(cd "$work" && "$ZELCAP_WINE" "$build/floor_zip.exe" "$(windows_path "$work/floor.zip")" \
        "$(windows_path "$work")\\*.jpg" </dev/null 2>/dev/null | tr -d '\r')
    floors+=($(printf '%s\n' "$out" | awk '/^floor zip: / { printf "%d", $3 }'))
    [ -n "${floors[-1]:-}" ] || { echo "bench: floor_zip.exe failed" >&2; exit 1; }
    rm -f "$work/floor.zip"

    focus "$window" || true
    xdotool key --clearmodifiers alt+t
    sleep 0.3
    xdotool key x
    dialog=$(wait_for_window "Excel出力") || { echo "bench: no Excel出力 dialog" >&2; exit 1; }
    # A loaded machine finds the dialog before it is mapped.
    for _ in $(seq 50); do focus "$dialog" 2>/dev/null && break; sleep 0.2; done
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
    echo "round $round: zip -0 ${zips[-1]} ms, floor_zip.exe ${floors[-1]} ms," \
        "Zelcap.exe ${books[-1]} ms (ratio to the floor" \
        "$(awk -v a="${books[-1]}" -v b="${floors[-1]}" 'BEGIN { printf "%.2f", a / b }'))"
    sleep 1
done
zip=$(median "${zips[@]}") floor=$(median "${floors[@]}") book=$(median "${books[@]}")
echo "records $count, JPEG bytes $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB," \
    "workbook $(wc -c <"$work/bench.xlsx") bytes"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "median: zip -0 $zip ms, floor_zip.exe $floor ms, Zelcap.exe $book ms," \
    "ratio to the floor $(ratio "$book" "$floor"), to zip -0 $(ratio "$book" "$zip")"
focus "$window"
xdotool key --clearmodifiers alt+F4
