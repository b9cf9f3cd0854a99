#!/usr/bin/env bash
# Cross-compiles Debian's leptonlib and tesseract source packages for Windows
# as static libraries, with the same compiler as Zelcap, for the text reading
# of captures.
# Usage: build-tesseract-win32.sh PREFIX [TRIPLE]   (TRIPLE: i686-w64-mingw32,
# the default, or x86_64-w64-mingw32 for the 64-bit test build)
#
# Only what reading pixels from memory needs is built: no programs, no
# training tools, no image-file libraries in Leptonica (Zelcap decodes its
# pictures itself), no libarchive, no curl, no OpenMP, no OpenCL, no viewer,
# no legacy engine (the shipped models are LSTM ones).
# The instruction sets: -march=native is never used, AVX, AVX2, AVX-512 and
# FMA are left out (GCC cannot align their 32-byte stack slots on Windows),
# and the SSE4.1 code is chosen at run time by Tesseract's own CPU check, so
# the program runs on any x86 Windows. On 32 bits, -mstackrealign: a thread
# that Windows starts has its stack aligned to 4 bytes only.
# tesseract.patch takes out the three environment variables the libraries
# would read (TESSDATA_PREFIX, DOTPRODUCT, LEPT_MSG_SEVERITY): Zelcap reads
# none.
# `build-tesseract-win32.sh --current PREFIX` succeeds when PREFIX holds a
# build of these sources with this script and patch as they are now.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
PATCH="$ROOT/tools/tesseract.patch"
stamp() {
    cat "$PATCH" "$ROOT/tools/build-tesseract-win32.sh" | sha256sum
    apt-cache showsrc leptonlib tesseract 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 2
}
if [ "${1:-}" = --current ]; then
    [ -f "$2/lib/libtesseract.a" ] && [ "$(cat "$2/build.stamp" 2>/dev/null)" = "$(stamp)" ]
    exit
fi
PREFIX=$1
TRIPLE=${2:-i686-w64-mingw32}
WORK="$ROOT/build/tesseract-src-$TRIPLE"
# Always from scratch: a CMake cache from other options would keep them.
rm -rf "$WORK"
# shellcheck source=tools/debian-source.sh
. "$ROOT/tools/debian-source.sh"
LEPT=$(debian_source leptonlib "$WORK/leptonica-src")
TESS=$(debian_source tesseract "$WORK/tesseract-src")
ln -sfn "$LEPT" "$WORK/leptonica"
ln -sfn "$TESS" "$WORK/tesseract"
patch -d "$WORK" -p1 -s <"$PATCH"
mingw_toolchain "$WORK/toolchain.cmake" "$TRIPLE"
flags="-O2"
[ "$TRIPLE" = i686-w64-mingw32 ] && flags="$flags -mstackrealign"
rm -rf "$PREFIX"
common=(-DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DSW_BUILD=OFF
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags")
no_images=()
for p in GIF JPEG PNG TIFF ZLIB PkgConfig; do no_images+=(-DCMAKE_DISABLE_FIND_PACKAGE_$p=ON); done
cmake -S "$LEPT" -B "$WORK/leptonica-build" "${common[@]}" "${no_images[@]}" \
    -DBUILD_PROG=OFF >/dev/null
cmake --build "$WORK/leptonica-build" -j"$(nproc)" >/dev/null
cmake --install "$WORK/leptonica-build" >/dev/null
cmake -S "$TESS" -B "$WORK/tesseract-build" "${common[@]}" "${no_images[@]}" \
    -DLeptonica_DIR="$PREFIX/lib/cmake/leptonica" \
    -DCMAKE_DISABLE_FIND_PACKAGE_OpenMP=ON -DOPENMP_BUILD=OFF -DENABLE_OPENCL=OFF \
    -DGRAPHICS_DISABLED=ON -DDISABLED_LEGACY_ENGINE=ON -DBUILD_TRAINING_TOOLS=OFF \
    -DBUILD_TESTS=OFF -DDISABLE_ARCHIVE=ON -DDISABLE_CURL=ON -DINSTALL_CONFIGS=OFF \
    -DENABLE_LTO=OFF -DCOMPILER_SUPPORTS_MARCH_NATIVE=OFF \
    -DHAVE_AVX=OFF -DHAVE_AVX2=OFF -DHAVE_AVX512F=OFF -DHAVE_FMA=OFF >/dev/null
cmake --build "$WORK/tesseract-build" -j"$(nproc)" --target libtesseract >/dev/null
mkdir -p "$PREFIX/lib" "$PREFIX/include/tesseract"
lib=$(find "$WORK/tesseract-build" -name 'libtesseract*.a' | head -n 1)
cp "$lib" "$PREFIX/lib/libtesseract.a"
cp "$TESS"/include/tesseract/*.h "$PREFIX/include/tesseract/"
cp "$WORK"/tesseract-build/include/tesseract/*.h "$PREFIX/include/tesseract/"
lept=$(find "$PREFIX/lib" -name 'libleptonica*.a' -o -name 'liblept*.a' | head -n 1)
[ "$lept" = "$PREFIX/lib/libleptonica.a" ] || cp "$lept" "$PREFIX/lib/libleptonica.a"
# The licences that go out with the program.
cp "$LEPT/leptonica-license.txt" "$PREFIX/leptonica-license.txt"
cp "$TESS/LICENSE" "$PREFIX/tesseract-license.txt"
stamp >"$PREFIX/build.stamp"
echo "build-tesseract-win32: $PREFIX/lib/libtesseract.a $PREFIX/lib/libleptonica.a"
