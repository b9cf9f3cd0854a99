#!/usr/bin/env bash
# The captures' SHA-256 on the capture road, under Wine on the 1920 x 1080
# virtual screen: whole-screen BMP captures by hot key, each timed from the
# hot key to its file written and to its picture painted, with the digest and without in
# alternating order in one process (the benchmark build's switch); from the
# hot key to the digest pinned; and CNG's SHA-256 of one such file alone. ROUNDS processes of
# PAIRS pairs each; the medians of their medians.
#   hash-bench.sh BUILD_DIR [ROUNDS] [PAIRS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?benchmark build folder}" && pwd)
rounds=${2:-5}
pairs=${3:-15}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"
data="$build/bench-data"
rm -rf "$data"
mkdir -p "$data"
wdata="Z:${data//\//\\}"
value() {
    printf '%s\n' "$2" | awk -v name="$1: " \
        'index($0, name) == 1 { split(substr($0, length(name) + 1), v, " "); print v[1] }'
}
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
with=() without=() pinned=() hash=() fwith=() fwithout=()
for round in $(seq "$rounds"); do
    echo "round $round of $rounds" >&2
    out=$("$here/wine-run.sh" "$build/zelcap_bench.exe" capture-hash "$wdata" "$pairs" 2>&1 | tr -d '\r') ||
        { printf '%s\n' "$out" >&2; exit 1; }
    with+=("$(value 'hot key -> BMP shown, with the digest' "$out")")
    pinned+=("$(value 'hot key -> digest pinned' "$out")")
    fwith+=("$(value 'hot key -> BMP file, with the digest' "$out")")
    fwithout+=("$(value 'hot key -> BMP file, without the digest' "$out")")
    without+=("$(value 'hot key -> BMP shown, without the digest' "$out")")
    hash+=("$(value 'SHA-256 of one BMP capture' "$out")")
done
w=$(median "${with[@]}") wo=$(median "${without[@]}") h=$(median "${hash[@]}") p=$(median "${pinned[@]}")
echo
echo "| what | with the digest | without | ratio | goal |"
echo "|---|---|---|---|---|"
fw=$(median "${fwith[@]}") fwo=$(median "${fwithout[@]}")
printf '| hot key -> BMP file written, 1920 x 1080 | %s ms | %s ms | %s | <= 1.03 |\n' \
    "$fw" "$fwo" "$(awk -v a="$fw" -v b="$fwo" 'BEGIN { printf "%.3f", a / b }')"
printf '| hot key -> BMP picture shown, 1920 x 1080 | %s ms | %s ms | %s | |\n' \
    "$w" "$wo" "$(awk -v a="$w" -v b="$wo" 'BEGIN { printf "%.3f", a / b }')"
printf '| hot key -> digest pinned (the next capture waits for it) | %s ms | | | |\n' "$p"
printf '| SHA-256 of that file alone (CNG), for scale | %s ms | | | |\n' "$h"
echo "rounds, shown: with ${with[*]}; without ${without[*]}"
echo "rounds, file: with ${fwith[*]}; without ${fwithout[*]}"
