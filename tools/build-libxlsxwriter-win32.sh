#!/usr/bin/env bash
# Cross-compiles Debian's libxlsxwriter source package for Windows as a static
# library, against Debian's MinGW zlib (libz-mingw-w64-dev), with the same
# compiler as Zelcap.
# Usage: build-libxlsxwriter-win32.sh PREFIX [TRIPLE]   (TRIPLE: i686-w64-mingw32,
# the default, x86_64-w64-mingw32 for the 64-bit test build, or native for the
# workbook benchmark, which must time the library Zelcap ships)
#
# The changes made to the source are in libxlsxwriter.patch:
#   - JPEG, PNG and GIF pictures are stored in the zip instead of deflated,
#     which cut a workbook of 1000 screen captures to a third of its time;
#   - MinGW builds keep minizip's 64-bit file offsets (upstream compiles them
#     to 32 bits there, and a workbook failed at 2 GiB);
#   - the JPEG header search steps over the frame header correctly (it used
#     to lose its way and crawl through the scan data to the end of the
#     file), and a top-down BMP (negative height) gets its height;
#   - one temporary file serves every XML part in turn (four per sheet cost
#     seconds under Wine), and pictures are read in larger pieces and
#     written to the zip in pieces of 1 MB (minizip's 64 KB were thousands
#     of writes); each small part is deflated with a window no larger than
#     itself instead of making and clearing the full 256 KB state;
#   - workbook_set_progress() reports the close, sheet by sheet and picture
#     by picture, and can stop it; worksheet_insert_image_key() takes the
#     caller's key for identical pictures instead of the file's MD5, and
#     worksheet_insert_image_known() takes the headers the caller has read,
#     so that the picture is not opened until the close;
#   - the temporary files go only to the folder Zelcap names (the user's
#     temporary folder): the library reads no TMP or TEMP variable.
# `build-libxlsxwriter-win32.sh --current PREFIX` succeeds when PREFIX holds
# a build of the patch as it is now.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
PATCH="$ROOT/tools/libxlsxwriter.patch"
if [ "${1:-}" = --current ]; then
    [ "$(cat "$2/patch.sha256" 2>/dev/null)" = "$(sha256sum <"$PATCH")" ]
    exit
fi
PREFIX=$1
TRIPLE=${2:-i686-w64-mingw32}
WORK="$ROOT/build/libxlsxwriter-src-$TRIPLE"
# shellcheck source=tools/debian-source.sh
. "$ROOT/tools/debian-source.sh"
SRC=$(debian_source libxlsxwriter "$WORK")
patch -d "$SRC" -p1 -s <"$PATCH"
if [ "$TRIPLE" = native ]; then
    toolchain=()
else
    mingw_toolchain "$WORK/toolchain.cmake" "$TRIPLE"
    toolchain=(-DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake")
fi
# The bundled minizip is used: Debian has no MinGW build of it. Temporary
# files go through tmpfile() as elsewhere on Windows.
cmake -S "$SRC" -B "$WORK/build" "${toolchain[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    -DUSE_SYSTEM_MINIZIP=OFF -DUSE_STATIC_MSVC_RUNTIME=OFF >/dev/null
cmake --build "$WORK/build" -j"$(nproc)" >/dev/null
rm -rf "$PREFIX"; mkdir -p "$PREFIX/lib" "$PREFIX/include"
lib=$(find "$WORK/build" -name 'libxlsxwriter.a' | head -n 1)
cp "$lib" "$PREFIX/lib/libxlsxwriter.a"
cp -r "$SRC/include/xlsxwriter.h" "$SRC/include/xlsxwriter" "$PREFIX/include/"
if [ "$TRIPLE" != native ]; then cp /usr/"$TRIPLE"/lib/libz.a "$PREFIX/lib/libz.a"; fi
# Tells the set-up which patch this build has.
sha256sum <"$PATCH" >"$PREFIX/patch.sha256"
echo "build-libxlsxwriter-win32: $PREFIX/lib/libxlsxwriter.a"
