#!/usr/bin/env bash
# Starts or stops the test session of one win32 build folder: an Xvfb display
# of a fixed size, the Wine prefix (made once) and one persistent wineserver,
# so that each test program starts in about a second.
#   wine-session.sh start|stop BUILD_DIR
set -uo pipefail
cmd=${1:?start or stop}
ZELCAP_BUILD=$(cd "${2:?build folder}" && pwd)
. "$(dirname "$0")/wine-env.sh"

stop() {
    if [ -f "$ZELCAP_SESSION_DIR/display" ]; then
        DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")" wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    if [ -f "$ZELCAP_SESSION_DIR/xvfb.pid" ]; then
        kill "$(cat "$ZELCAP_SESSION_DIR/xvfb.pid")" 2>/dev/null
    fi
    rm -rf "$ZELCAP_SESSION_DIR"
}

case $cmd in
start)
    stop
    mkdir -p "$ZELCAP_SESSION_DIR"
    read -r n pid < <(zelcap_start_xvfb) || { echo "wine-session: no Xvfb display could be started" >&2; exit 1; }
    [ -n "${n:-}" ] || { echo "wine-session: no Xvfb display could be started" >&2; exit 1; }
    echo "$n" > "$ZELCAP_SESSION_DIR/display"
    echo "$pid" > "$ZELCAP_SESSION_DIR/xvfb.pid"
    export DISPLAY=":$n"
    size=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ { print $2 }')
    if [ "$size" != "$ZELCAP_SCREEN_GEOMETRY" ]; then
        echo "wine-session: display $DISPLAY is $size, not $ZELCAP_SCREEN_GEOMETRY" >&2; exit 1
    fi
    zelcap_ensure_prefix || exit 1
    wineserver -p >/dev/null 2>&1
    # Start Wine's services now, detached from any test's output.
    "$ZELCAP_WINE" cmd /c exit >/dev/null 2>&1 </dev/null
    echo "wine-session: display $DISPLAY ($size), prefix $WINEPREFIX"
    ;;
stop)
    stop
    echo "wine-session: stopped"
    ;;
*) echo "usage: wine-session.sh start|stop BUILD_DIR" >&2; exit 2 ;;
esac
