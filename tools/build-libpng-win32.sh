#!/usr/bin/env bash
# Cross-compiles Debian's libpng source package for Windows as a static
# library, against Debian's MinGW zlib (libz-mingw-w64-dev): the same libz.a
# that libxlsxwriter is linked with, so the program holds one zlib.
# Usage: build-libpng-win32.sh PREFIX [TRIPLE]   (TRIPLE: i686-w64-mingw32,
# the default, or x86_64-w64-mingw32 for the 64-bit test build)
set -euo pipefail

PREFIX=$1
TRIPLE=${2:-i686-w64-mingw32}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK="$ROOT/build/libpng-src-$TRIPLE"
# shellcheck source=tools/debian-source.sh
. "$ROOT/tools/debian-source.sh"
SRC=$(debian_source libpng1.6 "$WORK")
mingw_toolchain "$WORK/toolchain.cmake" "$TRIPLE"
# The static libz.a by name: find_package would take the import library of
# the zlib DLL, and the program must not need one.
cmake -S "$SRC" -B "$WORK/build" -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY=/usr/"$TRIPLE"/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/"$TRIPLE"/include \
    >/dev/null
cmake --build "$WORK/build" -j"$(nproc)" --target png_static >/dev/null
rm -rf "$PREFIX"; mkdir -p "$PREFIX/lib" "$PREFIX/include"
lib=$(find "$WORK/build" -maxdepth 1 -name 'libpng*.a' | head -n 1)
cp "$lib" "$PREFIX/lib/libpng.a"
cp "$SRC/png.h" "$SRC/pngconf.h" "$WORK/build/pnglibconf.h" "$PREFIX/include/"
echo "build-libpng-win32: $PREFIX/lib/libpng.a"
