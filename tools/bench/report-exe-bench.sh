#!/usr/bin/env bash
# The HTML report through the real Zelcap.exe under Wine against its floor,
# in the same run (docs/performance.md): COUNT different 1920 x 1080 JPEG
# files in a history, reported through ツール → レポート(HTML)出力 with the
# default options into a folder of its own (レポート), from the 出力 key to
# the closing message and to the report's page complete. The floor,
# floor_report.exe, writes the same report bytes (Zelcap's of the warm-up)
# into another empty folder and copies the same pictures there, timed by
# itself. Each round runs both, into emptied
# folders after a `sync`, in alternating order; the files are read from the
# page cache by both. At the end the floor's folder must hold what Zelcap's
# holds, byte for byte.
#   report-exe-bench.sh BUILD_DIR [COUNT] [ROUNDS]
# BENCH_PICTURES=plain takes quieter pictures of about 200 KB; BENCH_MANIFEST=1
# gives the history its manifest, so that no digest is taken: the report
# shows each picture's SHA-256 by default, and without a manifest (or the
# captures' own digests) it hashes every picture, which the floor does not:
# without the manifest a second floor, floor_report.exe ... hash, copies the
# same pictures hashing each on the way, and Zelcap is set against both.
set -euo pipefail
. "$(dirname "$0")/exe-bench-lib.sh" "$@"

make_pictures "$count"
bytes=$(cat "$work"/*.jpg | wc -c)
out="$work/レポート" floor_out="$work/floor"
mkdir -p "$out" "$floor_out"
printf '%s\r\n' '[HTML]' "出力先=$(windows_path "$out")" 'ファイル名=bench' |
    iconv -f UTF-8 -t CP932 >"$work/Zelcap.ini"
start_zelcap
window=$(open_history "$work/bench.csv") || { echo "bench: the history did not open" >&2; exit 1; }

empty() { find "$1" -mindepth 1 -delete; sync; }
zelcap_side() {
    empty "$out"
    reports+=($(timed_tool "$window" o "HTML出力" "$out/bench.htm")) || exit 1
    written+=($(cat "$work/.done"))
    sleep 1
}
floor_run() {
    empty "$floor_out"
    "$ZELCAP_WINE" "$build/floor_report.exe" "$(windows_path "$work/bench.htm")" \
        "$(windows_path "$floor_out")" "$(windows_path "$work")\\*.jpg" "$@" </dev/null 2>/dev/null |
        tr -d '\r' | awk '/^floor report: / { printf "%d", $3 }'
    sleep 1
}
floor_side() {
    floors+=($(floor_run))
    [ -n "${floors[-1]:-}" ] || { echo "bench: floor_report.exe failed" >&2; exit 1; }
    [ -n "${BENCH_MANIFEST:-}" ] && return
    hashed+=($(floor_run hash))
    [ -n "${hashed[-1]:-}" ] || { echo "bench: floor_report.exe hash failed" >&2; exit 1; }
}

# The warm-up: Zelcap's report is the bytes the floor writes.
reports=() floors=() hashed=() written=()
zelcap_side
cp "$out/bench.htm" "$work/bench.htm"
reports=() written=()
for round in $(seq "$rounds"); do
    if [ $((round % 2)) = 1 ]; then floor_side; zelcap_side; else zelcap_side; floor_side; fi
    also=""
    [ "${#hashed[@]}" -gt 0 ] &&
        also="; the floor that hashes ${hashed[-1]} ms (ratio $(ratio "${reports[-1]}" "${hashed[-1]}"))"
    echo "round $round: floor_report.exe ${floors[-1]} ms, Zelcap.exe ${reports[-1]} ms" \
        "(ratio $(ratio "${reports[-1]}" "${floors[-1]}")), ${written[-1]} ms to the report" \
        "complete (ratio $(ratio "${written[-1]}" "${floors[-1]}"))$also"
done
diff -r "$out" "$floor_out" >/dev/null || { echo "bench: the floor's folder differs from Zelcap's" >&2; exit 1; }
[ "$(find "$out" -name '*.jpg' | wc -l)" = "$count" ] || { echo "bench: not every picture was copied" >&2; exit 1; }
floor=$(median "${floors[@]}") report=$(median "${reports[@]}")
echo "records $count, JPEG bytes $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB," \
    "report $(wc -c <"$out/bench.htm") bytes, load $(cut -d' ' -f1 /proc/loadavg)"
echo "median: floor_report.exe $floor ms, Zelcap.exe $report ms, ratio $(ratio "$report" "$floor")"
file=$(median "${written[@]}")
echo "median: Zelcap.exe to the report complete $file ms, ratio $(ratio "$file" "$floor")"
if [ "${#hashed[@]}" -gt 0 ]; then
    h=$(median "${hashed[@]}")
    echo "median: the floor that hashes $h ms, ratio $(ratio "$report" "$h")," \
        "to the report complete $(ratio "$file" "$h")"
fi
focus "$window"
xdotool key --clearmodifiers alt+F4
