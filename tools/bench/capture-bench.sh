#!/usr/bin/env bash
# Whole-screen capture timings with each writer on a 1920 x 1080 virtual
# screen, next to libjpeg-turbo's own cjpeg for the same pixels.
#   capture-bench.sh BUILD_DIR [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
runs=${2:-30}
export ZELCAP_BUILD=$build
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
out=$(mktemp -d)
# The program writes its files where its current folder is: give it one.
(cd "$out" && "$here/wine-run.sh" "$build/capture_bench.exe" "$runs" 'Z:'"${out//\//\\}")
bmp="$out/1.bmp"
[ -f "$bmp" ] || { echo "no picture written" >&2; exit 1; }
times=()
for _ in $(seq "$runs"); do
    a=$(date +%s%N)
    cjpeg -quality 75 -dct fast -outfile "$out/cjpeg.jpg" "$bmp"
    b=$(date +%s%N)
    times+=($(( (b - a) / 1000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
printf 'cjpeg -quality 75 -dct fast (same pixels, native, process start included): median %.1f ms\n' "$(echo "$median / 1000" | bc -l)"
ls -l "$out/1.jpg" "$out/cjpeg.jpg" | awk '{ print $9, $5, "bytes" }'
rm -rf "$out"
