#!/usr/bin/env bash
# Builds the capture writers' benchmark without sanitizers (the native test
# build has them) and runs it, with the machine's load before and after.
# Usage: capture-formats-bench.sh [ROUNDS]   (default 31)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-31}
out="$ROOT/build/bench"
mkdir -p "$out"
g++ -std=c++17 -O2 -I"$ROOT" -o "$out/capture_formats_bench" \
    "$ROOT/tools/bench/capture_formats_bench.cpp" "$ROOT"/capture/bmp_format.cpp \
    "$ROOT"/capture/jpeg_encoder.cpp "$ROOT"/picture/png_encoder.cpp -lpng16 -ljpeg
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
"$out/capture_formats_bench" "$rounds"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
