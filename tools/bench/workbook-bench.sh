#!/usr/bin/env bash
# Builds the workbook benchmark without sanitizers (the native test build
# has them) and runs it on COUNT records in a scratch folder.
# Usage: workbook-bench.sh [COUNT]   (default 1000)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
count=${1:-1000}
out="$ROOT/build/bench"
mkdir -p "$out"
# The library as Zelcap ships it (with its one change), not Debian's build.
lib="$ROOT/build/libxlsxwriter-native"
"$ROOT/tools/build-libxlsxwriter-win32.sh" --current "$lib" || "$ROOT/tools/build-libxlsxwriter-win32.sh" "$lib" native
g++ -std=c++17 -O2 -I"$ROOT" -I"$lib/include" -o "$out/workbook_bench" \
    "$ROOT/tools/bench/workbook_bench.cpp" "$ROOT"/report/workbook_writer.cpp \
    "$ROOT"/report/workbook_text.cpp "$ROOT"/report/workbook_names.cpp \
    "$ROOT"/report/picture_probe.cpp "$lib/lib/libxlsxwriter.a" -lz -ljpeg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$out/workbook_bench" "$work" "$count"
