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
# The writer and what it draws on: the platform-free sources of the folders
# below the report, in an archive from which the linker takes what it needs
# (a list of files went stale whenever the writer took on a helper).
objects="$out/workbook-objects"
rm -rf "$objects"; mkdir -p "$objects"
for dir in base picture history report view retest; do
    for src in "$ROOT/$dir"/*.cpp; do
        case $src in *_win.cpp | *_posix.cpp) continue ;; esac
        printf '%s\0' "$src"
    done
done | xargs -0 -P "$(nproc)" -I{} sh -c \
    'g++ -std=c++17 -O2 -finput-charset=UTF-8 -fexec-charset=CP932 -I"$1" -I"$2/include" -c "$3" -o "$4/$(echo "$3" | tr / _).o"' \
    sh "$ROOT" "$lib" {} "$objects"
rm -f "$out/workbook-core.a"
ar rcs "$out/workbook-core.a" "$objects"/*.o
g++ -std=c++17 -O2 -I"$ROOT" -I"$lib/include" -o "$out/workbook_bench" \
    "$ROOT/tools/bench/workbook_bench.cpp" "$out/workbook-core.a" "$lib/lib/libxlsxwriter.a" \
    -lz -ljpeg -lpng
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$out/workbook_bench" "$work" "$count"
