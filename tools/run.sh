#!/usr/bin/env bash
# Starts Zelcap.exe under Wine on $DISPLAY. Without one (a server, a
# container, a remote shell) it starts a virtual display and shows it in a
# browser: x11vnc serves the display on the loopback address only, and
# websockify serves noVNC, a VNC client in a web page, next to it. The address
# to open is printed. Whatever this script started stops when Zelcap exits,
# or on Ctrl+C.
#   run.sh BUILD_DIR
# Zelcap keeps "Zelcap.ini" in its current folder: here BUILD/run, which gets
# the starter settings (resources/starter/Zelcap.ini) when it has none.
# ZELCAP_RUN_DIR and ZELCAP_RUN_PREFIX (the Wine prefix's name) let a test run
# this beside a `make run` of the same build without touching its files.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ZELCAP_BUILD=$(cd "${1:-build/win32}" && pwd)
run_dir=${ZELCAP_RUN_DIR:-$ZELCAP_BUILD/run}
NOVNC_WEB=/usr/share/novnc

pids=()
wine_pid=""
headless=0
# What this script started goes away with it, however it ends. Wine first:
# its processes still talk to the display.
cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
    if [ $headless = 1 ]; then
        wineserver -k 2>/dev/null
        local i
        for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
        wait 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Whether something accepts connections on 127.0.0.1:$1.
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Starts x11vnc on $DISPLAY, loopback only; it picks the first free port from
# 5900 on and says which (PORT=n), which goes into vnc_port. (Not run in a
# command substitution: the servers must be children of this shell.)
start_vnc() {
    local log port=""
    log=$(mktemp)
    # -nomodtweak: the modifiers reach Zelcap exactly as pressed. x11vnc
    # otherwise lifts Shift for a key whose unshifted keysym is the same
    # (F1 to F12), and Ctrl+Shift+F8 would arrive as Ctrl+F8.
    x11vnc -display "$DISPLAY" -localhost -nopw -forever -shared -nomodtweak -noxdamage \
        >"$log" 2>&1 </dev/null &
    pids+=("$!")
    for _ in $(seq 100); do
        port=$(sed -n 's/^PORT=\([0-9]*\)$/\1/p' "$log" | head -n 1)
        [ -n "$port" ] && break
        kill -0 "${pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$port" ] || sed 's/^/x11vnc: /' "$log" >&2
    rm -f "$log"
    vnc_port=$port
    [ -n "$port" ]
}

# Starts websockify with the noVNC pages on the first free port from 6080 on,
# towards the VNC port $1. Another program may take a port between the look
# and the bind, so a websockify that dies is tried again one port up. The
# port goes into web_port.
start_web() {
    local vnc=$1 port pid
    for port in $(seq 6080 6179); do
        listening "$port" && continue
        websockify --web "$NOVNC_WEB" "127.0.0.1:$port" "127.0.0.1:$vnc" \
            >/dev/null 2>&1 </dev/null &
        pid=$!
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            if listening "$port"; then
                pids+=("$pid")
                web_port=$port
                return 0
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null
    done
    return 1
}

if [ -z "${DISPLAY:-}" ]; then
    headless=1
    # No window manager on this display: Wine draws the title bars itself.
    ZELCAP_PREFIX=${ZELCAP_RUN_PREFIX:-run-vnc}
    . "$ROOT/tools/wine-env.sh"
    # The starter settings centre Zelcap on a screen of this size.
    ZELCAP_SCREEN_GEOMETRY=1366x768
    read -r n xvfb_pid < <(zelcap_start_xvfb) || true
    [ -n "${n:-}" ] || { echo "run: no virtual display could be started" >&2; exit 1; }
    pids+=("$xvfb_pid")
    export DISPLAY=":$n"
    start_vnc || { echo "run: x11vnc did not start" >&2; exit 1; }
    start_web "$vnc_port" || { echo "run: websockify did not start" >&2; exit 1; }
    echo "run: no DISPLAY; Zelcap runs on the virtual display $DISPLAY (${ZELCAP_SCREEN_GEOMETRY})."
    echo "run: open http://127.0.0.1:$web_port/vnc.html?autoconnect=1&resize=scale in a browser"
    echo "run: (VNC on 127.0.0.1:$vnc_port; from another machine, forward the port: ssh -L $web_port:127.0.0.1:$web_port)"
    echo "run: Ctrl+C here stops Zelcap and the display."
else
    ZELCAP_PREFIX=${ZELCAP_RUN_PREFIX:-run}
    . "$ROOT/tools/wine-env.sh"
fi
zelcap_ensure_prefix || exit 1
mkdir -p "$run_dir"
cd "$run_dir" || exit 1
if [ ! -e Zelcap.ini ]; then
    cp "$ROOT/resources/starter/Zelcap.ini" Zelcap.ini &&
        echo "run: starter settings copied to $PWD/Zelcap.ini"
fi
echo "run: starting $ZELCAP_BUILD/Zelcap.exe in $PWD"
# In the background and waited for, so that a signal reaches the traps at once.
"$ZELCAP_WINE" "$ZELCAP_BUILD/Zelcap.exe" &
wine_pid=$!
wait "$wine_pid"
rc=$?
wine_pid=""
wineserver -w
exit $rc
