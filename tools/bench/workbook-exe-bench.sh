#!/usr/bin/env bash
# The evidence workbook through the real Zelcap.exe under Wine against its
# floors, in the same run (docs/performance.md): COUNT different 1920 x 1080
# JPEG files in a history, exported through ツール → Excel出力 with the
# default options (one sheet per record, fitted to the page width). Each
# round times `zip -0` storing the files, floor_zip.exe (a Win32 program
# storing them in a zip under the same Wine, timed by itself from its first
# file to the zip closed) and the export from the 出力 key to the closing
# message and to the workbook complete, the floor and the export in turns,
# each after a `sync`, so that neither writes while the other's half a
# gigabyte still goes to the disk. The files are read from the page cache
# by all three.
#   workbook-exe-bench.sh BUILD_DIR [COUNT] [ROUNDS]
# BENCH_INI="[Excel] レイアウト=1" starts Zelcap with those lines (split at
# blanks) as its settings file, here the one-sheet layout. BENCH_PICTURES=plain
# takes quieter pictures of about 200 KB instead of half a megabyte;
# BENCH_MANIFEST=1 gives the history its manifest (every digest pinned).
set -euo pipefail
. "$(dirname "$0")/exe-bench-lib.sh" "$@"

make_pictures "$count"
bytes=$(cat "$work"/*.jpg | wc -c)

[ -n "${BENCH_INI:-}" ] && printf "%s\r\n" $BENCH_INI | iconv -f UTF-8 -t CP932 >"$work/Zelcap.ini"
start_zelcap
window=$(open_history "$work/bench.csv") || { echo "bench: the history did not open" >&2; exit 1; }

zips=() floors=() books=() written=()
floor_side() {
    rm -f "$work/floor.zip"
    sync
    out=$(cd "$work" && "$ZELCAP_WINE" "$build/floor_zip.exe" "$(windows_path "$work/floor.zip")" \
        "$(windows_path "$work")\\*.jpg" </dev/null 2>/dev/null | tr -d '\r')
    floors+=($(printf '%s\n' "$out" | awk '/^floor zip: / { printf "%d", $3 }'))
    [ -n "${floors[-1]:-}" ] || { echo "bench: floor_zip.exe failed" >&2; exit 1; }
    rm -f "$work/floor.zip"
}
zelcap_side() {
    rm -f "$work/bench.xlsx"
    sync
    books+=($(timed_tool "$window" x "Excel出力" "$work/bench.xlsx")) || exit 1
    written+=($(cat "$work/.done"))
    sleep 1
}
for round in $(seq "$rounds"); do
    rm -f "$work/bench.zip"
    sync
    start=$(now)
    (cd "$work" && zip -0 -q bench.zip ./*.jpg)
    zips+=($(( ($(now) - start) / 1000000 )))
    rm -f "$work/bench.zip"
    if [ $((round % 2)) = 1 ]; then floor_side; zelcap_side; else zelcap_side; floor_side; fi
    echo "round $round: zip -0 ${zips[-1]} ms, floor_zip.exe ${floors[-1]} ms," \
        "Zelcap.exe ${books[-1]} ms to the message, ${written[-1]} ms to the file" \
        "(ratios to the floor $(ratio "${books[-1]}" "${floors[-1]}")," \
        "$(ratio "${written[-1]}" "${floors[-1]}"))"
done
zip=$(median "${zips[@]}") floor=$(median "${floors[@]}") book=$(median "${books[@]}")
file=$(median "${written[@]}")
echo "records $count, JPEG bytes $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB," \
    "workbook $(wc -c <"$work/bench.xlsx") bytes"
echo "median: zip -0 $zip ms, floor_zip.exe $floor ms, Zelcap.exe $book ms," \
    "ratio to the floor $(ratio "$book" "$floor"), to zip -0 $(ratio "$book" "$zip")"
echo "median: Zelcap.exe to the workbook complete $file ms, ratio to the floor $(ratio "$file" "$floor")"
focus "$window"
xdotool key --clearmodifiers alt+F4
