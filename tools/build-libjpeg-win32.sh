#!/usr/bin/env bash
# Cross-compiles Debian's libjpeg-turbo source package for 32-bit Windows as a
# static library with the libjpeg 6b API. NO_GETENV: the library must not read
# JPEGMEM or the JSIMD_FORCE* variables, since Zelcap reads no environment
# variable (a stray one would change how its pictures are made).
# Usage: build-libjpeg-win32.sh PREFIX [TRIPLE]   (TRIPLE: i686-w64-mingw32, the
# default, or x86_64-w64-mingw32 for the 64-bit test build)
set -euo pipefail

PREFIX=$1
TRIPLE=${2:-i686-w64-mingw32}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK="$ROOT/build/libjpeg-src-$TRIPLE"
# shellcheck source=tools/debian-source.sh
. "$ROOT/tools/debian-source.sh"
SRC=$(debian_source libjpeg-turbo "$WORK")
mingw_toolchain "$WORK/toolchain.cmake" "$TRIPLE"
cmake -S "$SRC" -B "$WORK/build" -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_C_FLAGS=-DNO_GETENV >/dev/null
cmake --build "$WORK/build" -j"$(nproc)" --target jpeg-static >/dev/null
mkdir -p "$PREFIX/lib" "$PREFIX/include"
cp "$WORK/build/libjpeg.a" "$PREFIX/lib/libjpeg.a"
cp "$SRC/jpeglib.h" "$SRC/jmorecfg.h" "$SRC/jerror.h" "$WORK/build/jconfig.h" "$PREFIX/include/"
touch "$PREFIX/no-getenv"
echo "build-libjpeg-win32: $PREFIX/lib/libjpeg.a"
