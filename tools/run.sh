#!/usr/bin/env bash
# Starts Zelcap.exe under Wine on $DISPLAY, or on a virtual display that this
# script starts (and names) when there is none. Zelcap keeps "Zelcap.ini" in
# its current folder: here that is BUILD/run.
set -uo pipefail
ZELCAP_BUILD=$(cd "${1:-build/win32}" && pwd)
ZELCAP_PREFIX=run
. "$(dirname "$0")/wine-env.sh"
xvfb_pid=""
# A display this script started goes away with it, however it ends.
wine_pid=""
cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
    if [ -n "$xvfb_pid" ]; then
        wineserver -k 2>/dev/null
        kill "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
if [ -z "${DISPLAY:-}" ]; then
    read -r n xvfb_pid < <(zelcap_start_xvfb) || true
    [ -n "${n:-}" ] || { echo "run: no virtual display could be started" >&2; exit 1; }
    export DISPLAY=":$n"
    echo "run: no DISPLAY; Zelcap runs on the virtual display $DISPLAY (${ZELCAP_SCREEN_GEOMETRY})"
fi
zelcap_ensure_prefix || exit 1
mkdir -p "$ZELCAP_BUILD/run"
cd "$ZELCAP_BUILD/run" || exit 1
echo "run: starting $ZELCAP_BUILD/Zelcap.exe in $PWD"
# In the background and waited for, so that a signal reaches the traps at once.
"$ZELCAP_WINE" "$ZELCAP_BUILD/Zelcap.exe" &
wine_pid=$!
wait "$wine_pid"
rc=$?
wine_pid=""
wineserver -w
exit $rc
