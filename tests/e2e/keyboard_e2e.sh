#!/usr/bin/env bash
# The main window by keys alone: Ctrl+Tab and Ctrl+PageUp between the pages,
# F6 and Shift+F6 through the list, the image view and the key panel, Tab and
# Shift+Tab through a hot-key control without changing its key, F10 and a
# tapped Alt to the menu from inside it, and a key the control does take
# stored by its toggle. The focus, the page, the menu and the controls' keys
# are read from outside by focus_probe.exe.
. "$(dirname "$0")/e2e-lib.sh" "$1"

# Kind 0 holds Ctrl+Shift+F8 (word 0377), switched off so that its control
# is editable; the other kinds get the default Shift+I (0149).
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' '[File_Set]' \
    '画面全体：修飾キー=3' '画面全体：キー=119' '画面全体：監視=0' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

probe() { "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" 2>/dev/null | tr -d '\r'; }
# Waits until the probe reports every line given; the last report is kept.
STATE=""
until_state() {
    local line ok
    for _ in $(seq 25); do
        STATE=$(probe)
        ok=1
        for line in "$@"; do printf '%s\n' "$STATE" | grep -qx "$line" || ok=0; done
        [ $ok = 1 ] && return 0
        sleep 0.2
    done
    return 1
}
# check DESCRIPTION LINE...: passes when the probe comes to report the lines.
check() {
    local what=$1; shift
    if until_state "$@"; then pass "$what"; else
        fail "$what: wanted [$*], the probe says [$(printf '%s' "$STATE" | tr '\n' ';')]"
    fi
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }

LIST="focus SysListView32 1015"
VIEW="focus ZELCAP_CLASS_2 2001"
HOTKEY0="focus msctls_hotkey32 1085"
TOGGLE0="focus Button 1014"
TOGGLE1="focus Button 1015"
KEPT="key 1085 0377"

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
check "the list has the focus at start" "page 0" "$LIST" "$KEPT"

key ctrl+Tab
check "Ctrl+Tab shows the settings page with the focus in the key panel" "page 1" "$TOGGLE0"
key ctrl+Prior
check "Ctrl+PageUp goes back to the history page and its list" "page 0" "$LIST"
key ctrl+Next
check "Ctrl+PageDown shows the settings page again" "page 1" "$TOGGLE0"
key ctrl+shift+Tab
check "Ctrl+Shift+Tab goes back to the list" "page 0" "$LIST"

key F6
check "F6 moves from the list to the image view" "page 0" "$VIEW"
key F6
check "F6 moves from the image view to the key panel" "page 1" "$TOGGLE0"
key F6
check "F6 moves from the key panel to the list" "page 0" "$LIST"
key shift+F6
check "Shift+F6 moves from the list back to the key panel" "page 1" "$TOGGLE0"
key shift+F6
check "Shift+F6 moves from the key panel back to the image view" "page 0" "$VIEW"

key ctrl+Tab
check "back on the settings page" "page 1" "$TOGGLE0"
key Tab
check "Tab moves into the first hot-key control" "$HOTKEY0" "$KEPT"
key Tab
check "Tab leaves the hot-key control, its key unchanged" "$TOGGLE1" "$KEPT"
key shift+Tab
check "Shift+Tab comes back into the hot-key control" "$HOTKEY0" "$KEPT"
key shift+Tab
check "Shift+Tab leaves the hot-key control, its key unchanged" "$TOGGLE0" "$KEPT"
key Tab
check "into the hot-key control again" "$HOTKEY0" "$KEPT"
key ctrl+Tab
check "Ctrl+Tab leaves the hot-key control for the image view it came from, its key unchanged" "page 0" "$VIEW" "$KEPT"
key ctrl+Tab
check "Ctrl+Tab comes back to the hot-key control that had the focus" "page 1" "$HOTKEY0" "$KEPT"
key shift+F6
check "Shift+F6 leaves the hot-key control, its key unchanged" "page 0" "$VIEW" "$KEPT"
key F6

check "F6 comes back to it" "page 1" "$HOTKEY0"
key F10
check "F10 in the hot-key control opens the menu, the key unchanged" "menu 1" "$KEPT"
key Escape
key Escape
check "Esc closes the menu, the focus stays in the control" "menu 0" "$HOTKEY0" "$KEPT"
key alt
check "a tapped Alt in the hot-key control opens the menu, the key unchanged" "menu 1" "$KEPT"
key Escape
key Escape
check "Esc closes the menu again" "menu 0" "$HOTKEY0" "$KEPT"

# A combination typed into the control is its new key; leaving keeps it.
key ctrl+shift+F7
check "the control takes Ctrl+Shift+F7" "$HOTKEY0" "key 1085 0376"
key shift+Tab
check "Shift+Tab leaves with the new key kept" "$TOGGLE0" "key 1085 0376"
key space
key alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "Alt+F4 closed the window" || fail "exit code $rc after Alt+F4"
ini=$(ini_text | tr -d '\r')
for line in '画面全体：修飾キー=3' '画面全体：キー=118' '画面全体：監視=1' \
    'Aウィンドウ：修飾キー=1' 'Aウィンドウ：キー=73'; do
    printf '%s\n' "$ini" | grep -qx "$line" && pass "Zelcap.ini: $line" ||
        fail "Zelcap.ini lacks $line: $(printf '%s\n' "$ini" | grep '：' | tr '\n' ' ')"
done
e2e_finish
