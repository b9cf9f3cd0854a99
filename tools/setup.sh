#!/usr/bin/env bash
# Installs everything Zelcap needs to build, run and test on a Debian bookworm
# machine, and builds the Windows libjpeg, libxlsxwriter, libpng, harfbuzz,
# Leptonica and Tesseract once.
# Safe to run again: it installs only what is missing and does nothing when
# everything is there.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
JPEG_PREFIX="$ROOT/build/libjpeg-win32"

SUDO=""
if [ "$(id -u)" != 0 ]; then
    if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
        echo "setup: run as root (no sudo here)" >&2; exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
    cmake make g++ git python3 pkg-config
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64
    xvfb xauth xdotool x11-utils xserver-xephyr
    nasm locales fonts-ipafont-gothic fonts-ipafont-mincho
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libjpeg62-turbo-dev libjpeg-turbo-progs libpng-dev libssl-dev dpkg-dev imagemagick
    clang libclang-rt-dev
    x11vnc novnc websockify chromium python3-websocket iproute2 firefox-esr
    fp-utils libchm-bin nsis zip unzip
    libxlsxwriter-dev libz-mingw-w64-dev python3-openpyxl libreoffice-calc-nogui poppler-utils
    tesseract-ocr-jpn tesseract-ocr-eng
    libharfbuzz-dev fonts-ipaexfont-gothic qpdf
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

apt_updated=0
apt_update() {
    [ $apt_updated = 1 ] && return 0
    bash "$ROOT/tools/apt-update.sh"
    apt_updated=1
}

# What Wine's X driver loads at run time, for the 64-bit half here and the
# 32-bit half below.
mapfile -t WINE_X_LIBS < <(bash "$ROOT/tools/wine-x-libs.sh")

missing=()
for p in "${PACKAGES[@]}" "${WINE_X_LIBS[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    apt_update
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine's 32-bit half, from the i386 architecture, where the kernel runs
# 32-bit code at all. It is installed on its own: when the i386 lists are
# out of step with the amd64 ones (a mirror mid-sync), it cannot be had for a
# while, and the tests then run the 64-bit build (tools/wine-arch.sh).
# A failure is not tried again for six hours, so that each build does not
# wait for the mirror again. Its X libraries come with it (without recommends
# they would not, and Wine's 32-bit half then sees one monitor only); a
# machine set up before they were named gets them on the next run.
wine32_failed="$ROOT/build/wine32-unavailable"
wine32_missing=()
for p in wine32 "${WINE_X_LIBS[@]}"; do installed "$p:i386" || wine32_missing+=("$p:i386"); done
if [ ${#wine32_missing[@]} -gt 0 ] && bash "$ROOT/tools/runs-i386.sh" &&
    ! [ -n "$(find "$wine32_failed" -mmin -360 2>/dev/null)" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
        apt_updated=0
    fi
    echo "setup: installing ${wine32_missing[*]}"
    apt_update
    if ! $SUDO apt-get install -y -q --no-install-recommends "${wine32_missing[@]}"; then
        echo "setup: wine32:i386 could not be installed; the tests use the 64-bit build" >&2
        mkdir -p "$ROOT/build" && touch "$wine32_failed"
    fi
fi

# Wine takes its ANSI code page (932) from the locale; Debian's locale-gen only
# builds what /etc/locale.gen enables.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "setup: generating ja_JP.UTF-8"
    if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen
fi

# libjpeg for Windows: Debian's own libjpeg-turbo source, cross-compiled
# statically with the 6b API and its SIMD code.
# A build that still reads environment variables is made again.
if [ ! -f "$JPEG_PREFIX/no-getenv" ]; then
    "$ROOT/tools/build-libjpeg-win32.sh" "$JPEG_PREFIX"
fi
# A host that cannot execute 32-bit code tests the 64-bit build instead.
if [ "$("$ROOT/tools/wine-arch.sh")" = win64 ] && [ ! -f "$ROOT/build/libjpeg-win64/no-getenv" ]; then
    "$ROOT/tools/build-libjpeg-win32.sh" "$ROOT/build/libjpeg-win64" x86_64-w64-mingw32
fi
# libxlsxwriter for Windows, the same way: Debian's source, static, with
# Debian's MinGW zlib. A build of another version of the patch is made again.
if ! "$ROOT/tools/build-libxlsxwriter-win32.sh" --current "$ROOT/build/libxlsxwriter-win32"; then
    "$ROOT/tools/build-libxlsxwriter-win32.sh" "$ROOT/build/libxlsxwriter-win32"
fi
if [ "$("$ROOT/tools/wine-arch.sh")" = win64 ] && ! "$ROOT/tools/build-libxlsxwriter-win32.sh" --current "$ROOT/build/libxlsxwriter-win64"; then
    "$ROOT/tools/build-libxlsxwriter-win32.sh" "$ROOT/build/libxlsxwriter-win64" x86_64-w64-mingw32
fi
# libpng for Windows, the same way, against that same MinGW zlib.
if [ ! -f "$ROOT/build/libpng-win32/lib/libpng.a" ]; then
    "$ROOT/tools/build-libpng-win32.sh" "$ROOT/build/libpng-win32"
fi
if [ "$("$ROOT/tools/wine-arch.sh")" = win64 ] && [ ! -f "$ROOT/build/libpng-win64/lib/libpng.a" ]; then
    "$ROOT/tools/build-libpng-win32.sh" "$ROOT/build/libpng-win64" x86_64-w64-mingw32
fi
# Leptonica and Tesseract for Windows, the same way, for reading the text of
# captures (the models come from tesseract-ocr-jpn and -eng above). A build of
# other sources, options or patch is made again.
if ! "$ROOT/tools/build-tesseract-win32.sh" --current "$ROOT/build/tesseract-win32"; then
    "$ROOT/tools/build-tesseract-win32.sh" "$ROOT/build/tesseract-win32"
fi
if [ "$("$ROOT/tools/wine-arch.sh")" = win64 ] && ! "$ROOT/tools/build-tesseract-win32.sh" --current "$ROOT/build/tesseract-win64"; then
    "$ROOT/tools/build-tesseract-win32.sh" "$ROOT/build/tesseract-win64" x86_64-w64-mingw32
fi
# harfbuzz's font subsetter for Windows, for the pack's PDF: Debian's
# source, static. A build by another version of its script is made again.
if ! "$ROOT/tools/build-harfbuzz-win32.sh" --current "$ROOT/build/harfbuzz-win32"; then
    "$ROOT/tools/build-harfbuzz-win32.sh" "$ROOT/build/harfbuzz-win32"
fi
if [ "$("$ROOT/tools/wine-arch.sh")" = win64 ] && ! "$ROOT/tools/build-harfbuzz-win32.sh" --current "$ROOT/build/harfbuzz-win64"; then
    "$ROOT/tools/build-harfbuzz-win32.sh" "$ROOT/build/harfbuzz-win64" x86_64-w64-mingw32
fi
echo "setup: ready"
