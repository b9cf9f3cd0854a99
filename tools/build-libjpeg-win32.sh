#!/usr/bin/env bash
# Cross-compiles Debian's libjpeg-turbo source package for 32-bit Windows as a
# static library with the libjpeg 6b API.
# Usage: build-libjpeg-win32.sh PREFIX [TRIPLE]   (TRIPLE: i686-w64-mingw32, the
# default, or x86_64-w64-mingw32 for the 64-bit test build)
set -euo pipefail

PREFIX=$1
TRIPLE=${2:-i686-w64-mingw32}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK="$ROOT/build/libjpeg-src-$TRIPLE"
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

# The source comes through a deb-src entry made from this machine's own apt
# sources, so no mirror is named here.
have_src() { apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package: libjpeg-turbo'; }
if ! have_src; then
    list=/etc/apt/sources.list.d/zelcap-deb-src.sources
    tmp=$(mktemp)
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && [ "$f" != "$list" ] || continue
        grep -q '^Types:.*\bdeb\b' "$f" || continue
        grep -qi 'debian' "$f" || continue
        sed -e 's/^Types:.*/Types: deb-src/' "$f" >> "$tmp"
        echo >> "$tmp"
    done
    if [ -f /etc/apt/sources.list ]; then
        legacy=$(grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' || true)
        [ -n "$legacy" ] && echo "$legacy" | $SUDO tee /etc/apt/sources.list.d/zelcap-deb-src.list >/dev/null
    fi
    if [ -s "$tmp" ]; then $SUDO cp "$tmp" "$list"; fi
    rm -f "$tmp"
    $SUDO apt-get update -qq
fi

rm -rf "$WORK"; mkdir -p "$WORK"
(cd "$WORK" && apt-get source -qq libjpeg-turbo >/dev/null)
SRC=$(find "$WORK" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[ -n "$SRC" ] || { echo "build-libjpeg-win32: no source unpacked" >&2; exit 1; }

cat > "$WORK/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TRIPLE%%-*})
set(CMAKE_C_COMPILER $TRIPLE-gcc-posix)
set(CMAKE_RC_COMPILER $TRIPLE-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$TRIPLE)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC
cmake -S "$SRC" -B "$WORK/build" -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_ASM_NASM_COMPILER=nasm >/dev/null
cmake --build "$WORK/build" -j"$(nproc)" --target jpeg-static >/dev/null
mkdir -p "$PREFIX/lib" "$PREFIX/include"
cp "$WORK/build/libjpeg.a" "$PREFIX/lib/libjpeg.a"
cp "$SRC/jpeglib.h" "$SRC/jmorecfg.h" "$SRC/jerror.h" "$WORK/build/jconfig.h" "$PREFIX/include/"
echo "build-libjpeg-win32: $PREFIX/lib/libjpeg.a"
