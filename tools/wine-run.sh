#!/usr/bin/env bash
# CTest's cross-compiling emulator: runs one Windows program under Wine in the
# session that tools/wine-session.sh started, in a fresh empty working folder
# (Zelcap keeps its settings in the current folder), bounded by a timeout.
#   wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ZELCAP_BUILD=${ZELCAP_BUILD:-$here/../build/win32}
ZELCAP_BUILD=$(cd "$ZELCAP_BUILD" && pwd)
. "$here/wine-env.sh"

if [ ! -f "$ZELCAP_SESSION_DIR/display" ]; then
    echo "wine-run: no test session; run the tests through ctest" >&2
    exit 1
fi
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"
export ZELCAP_SCREEN_GEOMETRY

program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
mkdir -p "$ZELCAP_BUILD/wine-work"
work=$(mktemp -d "$ZELCAP_BUILD/wine-work/run.XXXXXX")
cd "$work" || exit 1
# A test of failing writes runs with a file-size limit: past it a write
# fails as on a full disk (the signal that would end the process is ignored).
if [ -n "${ZELCAP_FILE_SIZE_LIMIT_KB:-}" ]; then
    ulimit -f "$ZELCAP_FILE_SIZE_LIMIT_KB"
    trap '' XFSZ
fi
# Wine's own service processes outlive the program and would hold a pipe
# open (CTest would wait on it until the timeout): the output goes through a
# file instead.
timeout --kill-after=10 "${ZELCAP_RUN_TIMEOUT:-240}" "$ZELCAP_WINE" "$program" "$@" \
    >"$work/.output" 2>&1 </dev/null
rc=$?
cat "$work/.output"
cd / && rm -rf "$work"
[ $rc = 124 ] && echo "wine-run: $program timed out" >&2
exit $rc
