#!/usr/bin/env bash
# A re-test's comparison of one 1920 x 1080 step with the baseline's, the
# worker's whole job, against reading the two files in the same run, in the
# shipped build under Wine (docs/performance.md).
#   retest-bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-15}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
mkdir -p "$build/wine-work"
work=$(mktemp -d "$build/wine-work/retest-bench.XXXXXX")
trap '"$here/wine-session.sh" stop "$build" >/dev/null; rm -rf "$work"' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
"$here/wine-run.sh" "$build/retest_bench.exe" "$rounds" "Z:${work//\//\\}" 2>&1 | tr -d '\r' |
    iconv -f CP932 -t UTF-8
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
