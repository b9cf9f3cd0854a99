# Shared by the end-to-end scripts: runs the real Zelcap.exe under Wine on
# the test session's display, in a fresh empty folder.
#   . e2e-lib.sh BUILD_DIR
set -uo pipefail
ZELCAP_BUILD=$(cd "${1:?win32 build folder}" && pwd)
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
[ -f "$ZELCAP_SESSION_DIR/display" ] || { echo "e2e: no test session; run through ctest" >&2; exit 1; }
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"
mkdir -p "$ZELCAP_BUILD/wine-work"
E2E_WORK=$(mktemp -d "$ZELCAP_BUILD/wine-work/e2e.XXXXXX")
E2E_PID=""
E2E_TARGET_PID=""
E2E_FAILURES=0

e2e_cleanup() {
    [ -n "$E2E_PID" ] && kill "$E2E_PID" 2>/dev/null
    [ -n "$E2E_TARGET_PID" ] && kill "$E2E_TARGET_PID" 2>/dev/null
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
pass() { echo "ok: $*"; }

# Starts Zelcap.exe in the work folder.
start_zelcap() {
    (cd "$E2E_WORK" && exec "$ZELCAP_WINE" "$ZELCAP_BUILD/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
    E2E_PID=$!
}

# Starts the program that step recordings click
# (tests/win32/fixtures/step_target_win.cpp) on the work folder; false when
# its windows did not come up.
start_step_target() {
    "$ZELCAP_WINE" "$ZELCAP_BUILD/step_target.exe" "Z:${E2E_WORK//\//\\}" >/dev/null 2>&1 </dev/null &
    E2E_TARGET_PID=$!
    for _ in $(seq 100); do [ -s "$E2E_WORK/targets.txt" ] && return 0; sleep 0.1; done
    return 1
}

# "x y" of a point of that program: ok, check, edit, hang, menubar.
target_point() { grep "^$1 " "$E2E_WORK/targets.txt" | cut -d' ' -f2-3; }

# Starts step recording from the キャプチャー menu of the main window $1.
start_step_recording() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    sleep 0.3
    xdotool key --clearmodifiers alt+c
    sleep 0.3
    xdotool key r
    sleep 0.5
}

# Waits until a window whose whole name is $1 (UTF-8) exists; prints its id.
wait_for_window() {
    local name=$1 id
    for _ in $(seq 100); do
        id=$(xdotool search --name "^$(printf '%s' "$name" | sed 's/[][\.*^$]/\\&/g')\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

# Arms the hot keys of the focused main window (Ctrl+Alt+S) and presses
# Ctrl+Shift+F8 COUNT times, each time waiting for the picture PREFIX<n>.bmp
# (a path here); fails naming the first that never came.
hot_key_captures() {
    local prefix=$1 count=$2 n
    xdotool key --clearmodifiers ctrl+alt+s
    sleep 1
    for n in $(seq "$count"); do
        xdotool key --clearmodifiers ctrl+shift+F8
        for _ in $(seq 50); do [ -s "$prefix$n.bmp" ] && break; sleep 0.1; done
        [ -s "$prefix$n.bmp" ] || { echo "capture $n missing"; return 1; }
        sleep 0.4
    done
}

# Waits for the started program to end; its exit code is returned.
wait_for_exit() {
    local rc
    for _ in $(seq 100); do
        if ! kill -0 "$E2E_PID" 2>/dev/null; then
            wait "$E2E_PID"; rc=$?; E2E_PID=""; return $rc
        fi
        sleep 0.2
    done
    return 124
}

# Closes the main window $1 with Alt+F4 while its history holds unsaved
# records, and answers the save question with No (いいえ(N)); fails when no
# question came.
close_discarding_history() {
    local question
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool key --clearmodifiers alt+F4
    question=$(wait_for_window "保存確認") || return 1
    xdotool windowfocus --sync "$question" 2>/dev/null || xdotool windowfocus "$question"
    xdotool key n
}

# Writes Zelcap.ini for captures of the active window by hot key (the kind
# stored under 画面全体, on Ctrl+Shift+F8) into the folder $1 (a path here)
# as $2<n> from 1, the main window at the top left; INI lines (UTF-8) after
# these follow.
write_capture_ini() {
    local folder=$1 name=$2
    shift 2
    printf '%s\r\n' '[File_Set]' '画面全体：修飾キー=3' '画面全体：キー=119' '画面全体：監視=1' \
        "保存先=Z:${folder//\//\\}" "画像ファイル名=$name" '画像ファイル開始番号=1' \
        '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=560' "$@" |
        iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
}

# Starts Zelcap.exe with a new history, waits for its main window (E2E_MAIN,
# and $window too) and arms the hot keys with Ctrl+Alt+S; false when no
# window came.
start_zelcap_armed() {
    start_zelcap
    E2E_MAIN=$(wait_for_window "新規 - Zelcap Ver2.3") || return 1
    window=$E2E_MAIN
    xdotool windowfocus --sync "$E2E_MAIN" 2>/dev/null || xdotool windowfocus "$E2E_MAIN"
    sleep 0.5
    xdotool key --clearmodifiers ctrl+alt+s
    sleep 1
}

# Starts the window of our own that the comparison and the text reading
# capture (tests/win32/fixtures/compare_target_win.cpp) on the work folder,
# its arguments after the folder; E2E_TARGET is its window. False when it
# did not come up.
start_capture_target() {
    "$ZELCAP_WINE" "$ZELCAP_BUILD/compare_target.exe" "Z:${E2E_WORK//\//\\}" "$@" \
        >/dev/null 2>&1 </dev/null &
    E2E_TARGET_PID=$!
    for _ in $(seq 100); do grep -q '^state 1' "$E2E_WORK/target.txt" 2>/dev/null && break; sleep 0.1; done
    E2E_TARGET=$(wait_for_window "比較テスト")
}

# A click in that window's empty lower part makes it the active one.
activate_target() {
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$E2E_TARGET")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 30)) click 1
    sleep 0.5
}

# Space in that window, which then shows its second screen.
turn_target() {
    activate_target
    xdotool key --clearmodifiers space
    for _ in $(seq 100); do grep -q '^state 2' "$E2E_WORK/target.txt" && break; sleep 0.1; done
    sleep 0.5
}

# With the hot keys armed, captures that window with Ctrl+Shift+F8 (the
# active-window kind) and waits for the picture $1 (a path here).
capture_target() {
    activate_target
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 100); do [ -s "$1" ] && return 0; sleep 0.1; done
    return 1
}

# Brings the main window $1 forward with a click on its status bar: never a
# recorded step, and the way back from a program that holds the activation.
click_status_bar() {
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + 60)) $((Y + HEIGHT - 10)) click 1
    sleep 0.3
}

# The rows selected in the history list, top first, as focus_probe sees them.
selected_rows() {
    "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" 2>/dev/null | tr -d '\r' | sed -n 's/^rows *//p'
}

# Brings the main window $1 forward with a click on its status bar, saves
# the history with Ctrl+S as the Windows path $2 and waits for the file ($3,
# its path here); fails when no Save As came.
save_history_as() {
    local dialog
    click_status_bar "$1"
    xdotool key --clearmodifiers ctrl+s
    dialog=$(wait_for_window "保存するファイル名を指定して下さい") || return 1
    xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
    sleep 0.3
    # Japanese characters typed fast are lost under Wine on a loaded machine.
    if LC_ALL=C grep -q '[^ -~]' <<<"$2"; then xdotool type --delay 120 "$2"; else xdotool type --delay 20 "$2"; fi
    xdotool key Return
    for _ in $(seq 150); do [ -s "$3" ] && return 0; sleep 0.1; done
    return 1
}

# The INI file as UTF-8 text.
ini_text() { iconv -f CP932 -t UTF-8 "$E2E_WORK/Zelcap.ini"; }

e2e_finish() {
    if [ "$E2E_FAILURES" -gt 0 ]; then echo "$E2E_FAILURES check(s) failed"; exit 1; fi
    echo "all checks passed"
}
