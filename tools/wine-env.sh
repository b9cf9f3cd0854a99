# Sourced by the Wine scripts: one private prefix per build folder, code page
# 932 from the Japanese locale, and no add-on downloads (nothing can be
# fetched here, and the download question would hang a test).
# Expects ZELCAP_BUILD to name the win32 build folder, and ZELCAP_PREFIX the
# prefix: "test" (the default) for the tests, "run" for `make run` on a
# desktop, any other name for a prefix of its own (`make run` without a
# display uses one). Only "run" has a window manager to talk to.
case ${ZELCAP_PREFIX:=test} in
test) export WINEPREFIX="$ZELCAP_BUILD/wine-prefix" ;;
*) export WINEPREFIX="$ZELCAP_BUILD/wine-prefix-$ZELCAP_PREFIX" ;;
esac
# A 64-bit build runs under wine64: on hosts whose kernel cannot execute
# 32-bit code at all (no IA-32 emulation), the tests and `make run` use the
# 64-bit build of the same sources. The build folder says which it is.
if [ "$(cat "$ZELCAP_BUILD/wine-arch" 2>/dev/null)" = win64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    ZELCAP_WINE=/usr/lib/wine/wine64
else
    export WINEARCH=win32
    ZELCAP_WINE=wine
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
ZELCAP_SESSION_DIR="$ZELCAP_BUILD/wine-session"
ZELCAP_SCREEN_GEOMETRY=1920x1080

# Starts Xvfb on a display number it chooses itself (-displayfd): only the
# server can tell whether a number is free, since the abstract X socket of a
# server in another mount namespace is invisible to a lock-file check.
# Prints "NUMBER PID"; fails when no server comes up.
zelcap_start_xvfb() {
    local dir n="" pid
    dir=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 "${ZELCAP_SCREEN_GEOMETRY}x24" -nolisten tcp \
        3>"$dir/display" >/dev/null 2>&1 </dev/null &
    pid=$!
    for _ in $(seq 100); do
        n=$(tr -dc '0-9' 2>/dev/null <"$dir/display")
        [ -n "$n" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -rf "$dir"
    if [ -z "$n" ] || ! xdpyinfo -display ":$n" >/dev/null 2>&1; then
        kill "$pid" 2>/dev/null
        return 1
    fi
    echo "$n $pid"
}

# Makes the prefix once per build folder. Needs DISPLAY.
zelcap_ensure_prefix() {
    local ready="$WINEPREFIX/.zelcap-ready-2"
    [ -f "$ready" ] && return 0
    rm -rf "$WINEPREFIX"
    "$ZELCAP_WINE" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
    # A crashing program must end at once, not wait on the crash dialog.
    "$ZELCAP_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 || return 1
    if [ "$ZELCAP_PREFIX" != run ]; then
        # Xvfb has no window manager: unmanaged windows get their title bars
        # from Wine, and every DestroyWindow is spared a two-second wait for
        # a manager to answer.
        "$ZELCAP_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1 || return 1
    fi
    wineserver -w
    touch "$ready"
}
