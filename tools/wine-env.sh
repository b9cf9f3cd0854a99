# Sourced by the Wine scripts: one private prefix per build folder, code page
# 932 from the Japanese locale, and no add-on downloads (nothing can be
# fetched here, and the download question would hang a test).
# Expects ZELCAP_BUILD to name the win32 build folder. Tests and `make run`
# use separate prefixes: the test one has no window manager to talk to.
if [ "${ZELCAP_PREFIX:-test}" = run ]; then
    export WINEPREFIX="$ZELCAP_BUILD/wine-prefix-run"
else
    export WINEPREFIX="$ZELCAP_BUILD/wine-prefix"
fi
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
ZELCAP_SESSION_DIR="$ZELCAP_BUILD/wine-session"
ZELCAP_SCREEN_GEOMETRY=1920x1080

# A display number nobody uses: no lock file, no socket. Xvfb itself refuses a
# taken number, and the caller tries the next one.
zelcap_free_display() {
    local n
    for n in $(seq "${1:-90}" 399); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return 0; }
    done
    return 1
}

# Starts Xvfb on a free display; prints "NUMBER PID". Fails when none starts.
zelcap_start_xvfb() {
    local n pid tries=0 from=90
    while [ $tries -lt 20 ]; do
        n=$(zelcap_free_display "$from") || return 1
        Xvfb ":$n" -screen 0 "${ZELCAP_SCREEN_GEOMETRY}x24" -nolisten tcp >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 50); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then echo "$n $pid"; return 0; fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
        tries=$((tries + 1)); from=$((n + 1))
    done
    return 1
}

# Makes the prefix once per build folder. Needs DISPLAY.
zelcap_ensure_prefix() {
    local ready="$WINEPREFIX/.zelcap-ready-2"
    [ -f "$ready" ] && return 0
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
    # A crashing program must end at once, not wait on the crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 || return 1
    if [ "${ZELCAP_PREFIX:-test}" = test ]; then
        # Xvfb has no window manager: unmanaged windows spare every
        # DestroyWindow a two-second wait for one to answer.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1 || return 1
    fi
    wineserver -w
    touch "$ready"
}
