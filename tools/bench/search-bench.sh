#!/usr/bin/env bash
# The records' search per keystroke over 1000 records' read text, against a
# plain byte search of the same words in the same run, in the shipped build
# under Wine (docs/performance.md).
#   search-bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-15}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
# The queries are printed as the program has them, in CP932.
"$here/wine-run.sh" "$build/search_bench.exe" "$rounds" 2>&1 | tr -d '\r' | iconv -f CP932 -t UTF-8
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
