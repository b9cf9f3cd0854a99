#!/usr/bin/env bash
# Hot key -> picture shown with the text reading on against off, through the
# real main window on one core (taskset), the two sides in turn over the
# rounds (docs/performance.md). With the reading on, the worker reads each
# capture while the next ones are taken.
#   ocr-capture-bench.sh BUILD_DIR [ROUNDS] [CAPTURES]
# BENCH_CORES=all runs on every core instead (the reader then has one of its
# own on a machine of two or more).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-3}
captures=${3:-15}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
mkdir -p "$build/wine-work"
work=$(mktemp -d "$build/wine-work/ocr-capture.XXXXXX")
wdata="Z:${work//\//\\}"
shown() { awk '/^hot key -> shown/ { print $(NF-1) }'; }
busy() { awk '/^processor over wall/ { print $NF }'; }
cores=0
[ "${BENCH_CORES:-}" = all ] && cores=0-$(($(nproc) - 1))
off=() on=()
for round in $(seq "$rounds"); do
    order="off on"
    [ $((round % 2)) = 0 ] && order="on off"
    for side in $order; do
        command=capture
        [ "$side" = on ] && command=capture-ocr
        rm -f "$work"/*
        out=$(taskset -c "$cores" "$here/wine-run.sh" "$build/zelcap_bench.exe" "$command" "$wdata" "$captures" 2>&1 |
            tr -d '\r')
        value=$(printf '%s\n' "$out" | shown)
        [ -n "$value" ] || { echo "ocr-capture-bench: $command gave no figure" >&2; exit 1; }
        if [ "$side" = on ]; then on+=("$value"); else off+=("$value"); fi
        echo "round $round, reading $side: hot key -> shown $value ms" \
            "(processor over wall $(printf '%s\n' "$out" | busy))"
    done
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
m_off=$(median "${off[@]}") m_on=$(median "${on[@]}")
echo "hot key -> shown, medians of $rounds rounds: off $m_off ms, on $m_on ms, ratio $(awk -v a="$m_on" -v b="$m_off" 'BEGIN { printf "%.3f", a / b }')"
rm -rf "$work"
