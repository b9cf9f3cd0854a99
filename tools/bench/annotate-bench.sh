#!/usr/bin/env bash
# The annotation editor's repaint during a drag over a 1920 x 1080 picture
# with 50 objects, against a plain BitBlt of the picture in the same run,
# under Wine on the 1920 x 1080 virtual screen (docs/performance.md).
#   annotate-bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-3}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
trap '"$here/wine-session.sh" stop "$build" >/dev/null' EXIT
mkdir -p "$build/wine-work"
work=$(mktemp -d "$build/wine-work/annotate-bench.XXXXXX")
for round in $(seq "$rounds"); do
    echo "round $round"
    "$here/wine-run.sh" "$build/annotate_bench.exe" "Z:${work//\//\\}" 2>&1 | tr -d '\r'
done
rm -rf "$work"
