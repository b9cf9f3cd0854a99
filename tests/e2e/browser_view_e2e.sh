#!/usr/bin/env bash
# `make run` on a machine without a display, as a newcomer meets it: run.sh
# starts its own virtual display with a VNC server and noVNC, and prints an
# address. Headless Chromium opens it; the page must show Zelcap with the
# starter settings, a click and keys typed into the page must reach it (arm,
# then a capture hot key), and Ctrl+C must stop everything run.sh started.
# The test session's display is not used: run.sh gets no DISPLAY at all, and
# a prefix and run folder of its own.
. "$(dirname "$0")/e2e-lib.sh" "$1"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
PY=/usr/bin/python3  # Debian's, with python3-websocket
prefix_name=e2e-vnc
run_dir=$E2E_WORK/run
log=$E2E_WORK/run.log
runner=""

# Ctrl+C at a terminal reaches the whole foreground group; run.sh is started
# as the leader of a group of its own, with SIGINT not ignored as it would
# be for a background job.
stop_runner() {
    [ -n "$runner" ] || return 0
    kill -INT -- "-$runner" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$runner" 2>/dev/null || break; sleep 0.2; done
    kill -0 "$runner" 2>/dev/null && { kill -KILL -- "-$runner" 2>/dev/null; runner_rc=killed; }
    wait "$runner" 2>/dev/null
    runner=""
}
trap 'stop_runner; e2e_cleanup' EXIT

# Processes of the run's Wine prefix, whatever their command line.
prefix_processes() {
    local env
    for env in /proc/[0-9]*/environ; do
        tr '\0' '\n' <"$env" 2>/dev/null | grep -qx "WINEPREFIX=$ZELCAP_BUILD/wine-prefix-$prefix_name" &&
            basename "$(dirname "$env")"
    done
}

runner_rc=""
env -u DISPLAY ZELCAP_RUN_DIR="$run_dir" ZELCAP_RUN_PREFIX="$prefix_name" \
    "$PY" -c 'import os, signal, sys
os.setsid()
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.execvp("bash", ["bash"] + sys.argv[1:])' "$ROOT/tools/run.sh" "$ZELCAP_BUILD" >"$log" 2>&1 </dev/null &
runner=$!
# The first run makes the prefix, which takes a while.
for _ in $(seq 1200); do
    grep -q '^run: starting' "$log" && break
    kill -0 "$runner" 2>/dev/null || break
    sleep 0.2
done
url=$(sed -n 's/^run: open \(http:[^ ]*\) in a browser$/\1/p' "$log")
display=$(sed -n 's/^run: no DISPLAY; Zelcap runs on the virtual display \(:[0-9]*\) .*/\1/p' "$log")
vnc_port=$(sed -n 's/^run: (VNC on 127\.0\.0\.1:\([0-9]*\);.*/\1/p' "$log")
if [ -z "$url" ] || [ -z "$display" ] || ! grep -q '^run: starting' "$log"; then
    fail "run.sh printed no address and display"
    sed 's/^/  | /' "$log"
    e2e_finish
fi
case $url in
http://127.0.0.1:*/vnc.html\?autoconnect=1*) pass "address printed: $url" ;;
*) fail "the address $url is not a loopback noVNC page" ;;
esac
web_port=$(echo "$url" | sed 's|^http://127.0.0.1:\([0-9]*\)/.*|\1|')
# Only the loopback address listens, on both ports.
for port in "$web_port" "$vnc_port"; do
    wide=$(ss -Hltn "sport = :$port" | awk '{ print $4 }' | grep -v -e '^127\.' -e '^\[::1\]' -e '^\[::ffff:127\.')
    [ -z "$wide" ] && pass "port $port bound to loopback only" || fail "port $port listens on $wide"
done

window=$(DISPLAY=$display wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window on $display"; e2e_finish; }
cmp -s "$ROOT/resources/starter/Zelcap.ini" "$run_dir/Zelcap.ini" &&
    pass "starter settings copied into the empty run folder" || fail "run folder's Zelcap.ini is not the starter file"
geometry=$(DISPLAY=$display xdotool getwindowgeometry "$window" | tr -s ' \n' ' ')
case $geometry in
*"Position: 233,59 "*"Geometry: 900x650"*) pass "the window has the starter geometry" ;;
*) fail "window geometry: $geometry" ;;
esac

# Through the page: click into the list (the window becomes active), arm
# (Ctrl+Alt+S), and capture the active window (Ctrl+Shift+F8 in the starter
# settings).
shot=$E2E_WORK/browser.png
screen=$E2E_WORK/screen.png
"$PY" "$ROOT/tests/e2e/browser.py" "$url" click 680 300 keys ctrl+alt+s sleep 1 \
    keys ctrl+shift+F8 sleep 2 shot "$shot" || fail "the browser steps failed"
DISPLAY=$display import -window root "$screen"
for _ in $(seq 25); do [ -s "$run_dir/capture1.jpg" ] && break; sleep 0.2; done
[ -s "$run_dir/capture1.jpg" ] && pass "click and keys from the browser reached Zelcap (capture1.jpg)" ||
    fail "no capture from the keys typed in the browser"

# The page shows the display: Zelcap's window region of the browser's
# screenshot matches the X screen's, pixel for pixel within VNC's loss.
region=900x650+233+59
if [ -s "$shot" ] && [ -s "$screen" ]; then
    colours=$(convert "$screen" -crop "$region" +repage -format '%k' info:)
    [ "$colours" -gt 20 ] && pass "the screen shows the window ($colours colours)" ||
        fail "the screen region is nearly flat ($colours colours)"
    convert "$shot" -crop "$region" +repage "$E2E_WORK/a.png"
    convert "$screen" -crop "$region" +repage "$E2E_WORK/b.png"
    differing=$(compare -metric AE -fuzz 12% "$E2E_WORK/a.png" "$E2E_WORK/b.png" null: 2>&1 |
        sed 's/[^0-9.].*//')
    # 1 % of the 585,000 pixels.
    if [ -n "$differing" ] && [ "${differing%.*}" -lt 5850 ]; then
        pass "the browser shows Zelcap's window ($differing pixels differ)"
    else
        fail "the browser's picture differs from the screen in ${differing:-?} pixels"
        cp "$shot" "$ZELCAP_BUILD/browser_view_failed.png" 2>/dev/null
    fi
else
    fail "no screenshot from the browser or the screen"
fi

stop_runner
[ "$runner_rc" != killed ] && pass "Ctrl+C ended run.sh" || fail "run.sh did not end on Ctrl+C"
sleep 0.5
xdpyinfo -display "$display" >/dev/null 2>&1 && fail "the virtual display $display is still up" ||
    pass "the virtual display is gone"
for port in "$web_port" "$vnc_port"; do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && fail "port $port still listens" ||
        pass "port $port closed"
done
left=$(prefix_processes)
[ -z "$left" ] && pass "no Wine process of the run is left" || fail "Wine processes left: $left"
e2e_finish
