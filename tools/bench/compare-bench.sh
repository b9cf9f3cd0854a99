#!/usr/bin/env bash
# Builds the comparison benchmark without sanitizers (the native test build
# has them) and runs it, with the machine's load before and after.
# Usage: compare-bench.sh [ROUNDS]   (default 31)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-31}
out="$ROOT/build/bench"
mkdir -p "$out"
g++ -std=c++17 -O2 -finput-charset=UTF-8 -fexec-charset=CP932 -I"$ROOT" -o "$out/compare_bench" \
    "$ROOT/tools/bench/compare_bench.cpp" "$ROOT"/view/picture_diff.cpp "$ROOT"/view/packed_dib.cpp \
    "$ROOT"/base/cp932.cpp "$ROOT"/base/bmp_format.cpp
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
"$out/compare_bench" "$rounds"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
