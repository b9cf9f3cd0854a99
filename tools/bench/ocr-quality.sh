#!/usr/bin/env bash
# The text reader's quality set and screen timings under Wine, the output
# in UTF-8 (docs/performance.md).
#   ocr-quality.sh BUILD_DIR [ocr_quality ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
shift
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
ZELCAP_RUN_TIMEOUT=${ZELCAP_RUN_TIMEOUT:-3600} "$here/wine-run.sh" "$build/ocr_quality.exe" "$@" 2>&1 |
    tr -d '\r' | iconv -f CP932 -t UTF-8
