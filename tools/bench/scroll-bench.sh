#!/usr/bin/env bash
# The scrolling capture of a page 20 screens long: the stitch alone and
# scroll + grab + stitch, each against its floor in the same run, and the
# peak memory, under Wine on the 1920 x 1080 virtual screen
# (docs/performance.md).
#   scroll-bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-5}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
"$here/wine-run.sh" "$build/scroll_bench.exe" "$rounds" 2>&1 | tr -d '\r' | grep -v '^[0-9a-f]*:fixme:'
