#!/usr/bin/env bash
# Packs a Windows build for users: a zip and an NSIS installer with a
# Japanese interface, and SHA256SUMS over both.
#   tools/dist.sh BUILD_DIR OUT_DIR
# The shipped packages come from build/win32 (`make dist`). The Wine tests
# pack build/win64 the same way on hosts that cannot run 32-bit code; its
# packages are named win64 and its installer has the 64-bit NSIS stub.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:?build folder}" && pwd)
OUT=${2:?output folder}
# The starter settings file (usable geometry and column widths) goes into the
# zip and the installer, which never replaces a Zelcap.ini that is already in the user's folder.
STARTER_INI=${ZELCAP_STARTER_INI:-$ROOT/resources/starter/Zelcap.ini}

VERSION=$(cat "$BUILD/version")
ARCH=$(cat "$BUILD/wine-arch")
# The text-reading models go beside the program, in tessdata\.
MODELS=(tessdata/jpn.traineddata tessdata/eng.traineddata)
for f in Zelcap.exe ZCP2Help.chm "${MODELS[@]}"; do
    [ -f "$BUILD/$f" ] || { echo "dist: no $BUILD/$f; build first" >&2; exit 1; }
done

mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
STAGE=$(mktemp -d)
trap 'rm -rf "$STAGE"' EXIT

cp "$BUILD/Zelcap.exe" "$BUILD/ZCP2Help.chm" "$STAGE/"
mkdir -p "$STAGE/tessdata"
cp "${MODELS[@]/#/$BUILD/}" "$STAGE/tessdata/"
# Notepad on every Windows reads CP932 with CR LF; the licence keeps one name
# that CP932 cannot spell, so it goes out as UTF-8 with a byte-order mark.
sed "s/@VERSION@/$VERSION/g" "$ROOT/tools/dist/readme-ja.txt" | sed 's/$/\r/' |
    iconv -f UTF-8 -t CP932 >"$STAGE/Readme.txt"
{ printf '\357\273\277'; sed 's/$/\r/' "$ROOT/LICENSE"; } >"$STAGE/License.txt"
# The pack's PDF embeds a subset of IPAex Gothic, which goes beside
# Zelcap.exe with its licence (the IPA Font License, taken from Debian's
# copyright file, UTF-8 with a byte-order mark like License.txt).
FONT=/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf
FONT_COPYRIGHT=/usr/share/doc/fonts-ipaexfont-gothic/copyright
[ -f "$FONT" ] || { echo "dist: no $FONT; run tools/setup.sh" >&2; exit 1; }
cp "$FONT" "$STAGE/ipaexg.ttf"
{ printf '\357\273\277'
  echo "ipaexg.ttf: IPAex Gothic, Copyright $(sed -n '/^Files: \*.ttf/,/^$/s/^Copyright: //p' "$FONT_COPYRIGHT"),"
  echo "distributed under the IPA Font License Agreement v1.0, which follows."
  echo
  awk '/^License: IPA-1$/ { n++ } n == 2 && /^License: / && !/IPA-1/ { exit }
       n == 2 && !/^License: IPA-1$/ { sub(/^ /, ""); if ($0 == ".") $0 = ""; print }' "$FONT_COPYRIGHT" |
      sed 's/$/\r/'; } >"$STAGE/IPA_Font_License.txt"
nsis_defines=()
if [ -f "$STARTER_INI" ]; then
    cp "$STARTER_INI" "$STAGE/Zelcap.ini"
    nsis_defines+=("-DSTARTER_INI=$STAGE/Zelcap.ini")
fi
[ "$ARCH" = win64 ] && nsis_defines+=(-DTARGET_AMD64)

# The same time stamp on every file makes the zip depend on its contents only.
stamp=$(git -C "$ROOT" log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || echo 202601010000)
touch -t "$stamp" "$STAGE"/* "$STAGE"/tessdata/*

zip_name="Zelcap-$VERSION-$ARCH.zip"
setup_name="Zelcap-$VERSION-setup.exe"
[ "$ARCH" = win64 ] && setup_name="Zelcap-$VERSION-win64-setup.exe"
rm -f "$OUT/$zip_name" "$OUT/$setup_name"
(cd "$STAGE" && zip -q -X "$OUT/$zip_name" Zelcap.exe ZCP2Help.chm Readme.txt License.txt "${MODELS[@]}" \
    ipaexg.ttf IPA_Font_License.txt \
    $([ -f Zelcap.ini ] && echo Zelcap.ini))

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSTAGE="$STAGE" \
    -DOUTFILE="$OUT/$setup_name" "${nsis_defines[@]}" "$ROOT/tools/dist/zelcap.nsi" >/dev/null

(cd "$OUT" && sha256sum "$zip_name" "$setup_name" >SHA256SUMS)
echo "dist: $OUT/$zip_name"
echo "dist: $OUT/$setup_name"
