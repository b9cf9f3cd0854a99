#!/usr/bin/env bash
# Cross-compiles the font subsetter of Debian's harfbuzz source package for
# Windows as a static library, with the same compiler as Zelcap. The pack's
# PDF writer needs only the subsetter and the character map and advance
# widths of the font it embeds, so only the library's own single-file build
# of the subsetter (src/harfbuzz-subset.cc, which holds the core it needs) is
# compiled; no shaper, no FreeType, no GLib.
# HB_NO_GETENV: the shipped program reads no environment variable (the
# library would read HB_OPTIONS and HB_SHAPER_LIST).
# Usage: build-harfbuzz-win32.sh PREFIX [TRIPLE]   (TRIPLE: i686-w64-mingw32,
# the default, or x86_64-w64-mingw32 for the 64-bit test build)
# `build-harfbuzz-win32.sh --current PREFIX` succeeds when PREFIX holds a
# build made by this script as it is now.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SELF="$ROOT/tools/build-harfbuzz-win32.sh"
if [ "${1:-}" = --current ]; then
    [ -f "$2/lib/libharfbuzz-subset.a" ] &&
        [ "$(cat "$2/script.sha256" 2>/dev/null)" = "$(sha256sum <"$SELF")" ]
    exit
fi
PREFIX=$1
TRIPLE=${2:-i686-w64-mingw32}
WORK="$ROOT/build/harfbuzz-src-$TRIPLE"
# shellcheck source=tools/debian-source.sh
. "$ROOT/tools/debian-source.sh"
SRC=$(debian_source harfbuzz "$WORK")
"$TRIPLE-g++-posix" -std=c++17 -O2 -fno-exceptions -fno-rtti -fvisibility=hidden \
    -DHB_NO_GETENV -DNDEBUG -w -c "$SRC/src/harfbuzz-subset.cc" -o "$WORK/harfbuzz-subset.o"
rm -rf "$PREFIX"; mkdir -p "$PREFIX/lib" "$PREFIX/include/harfbuzz"
"$TRIPLE-ar" rcs "$PREFIX/lib/libharfbuzz-subset.a" "$WORK/harfbuzz-subset.o"
cp "$SRC"/src/hb*.h "$PREFIX/include/harfbuzz/"
cp "$SRC/COPYING" "$PREFIX/COPYING"
sha256sum <"$SELF" >"$PREFIX/script.sha256"
echo "build-harfbuzz-win32: $PREFIX/lib/libharfbuzz-subset.a"
