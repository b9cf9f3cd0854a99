#!/usr/bin/env bash
# Two of Zelcap's own kinds with one key, as the defaults (Shift+I for every
# kind) make it: while capturing is armed, switching the second kind on in
# the key panel must neither raise "ホットキー登録エラー" nor show 使用中;
# the panel goes on taking toggles, and the key captures once. A kind
# sharing the step-recording key (registered from the start) is armed
# silently too. Boxes and the toggles' texts are read by focus_probe.exe.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# Kinds 0 and 1 keep the default Shift+I, switched off; kind 2 and the step
# key both hold Ctrl+Shift+F9 (3, 120).
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' '[File_Set]' \
    "保存先=$winwork" '画像ファイル名=ks' '画像ファイル開始番号=1' 'JPEGモード=0' \
    '画面全体P：修飾キー=3' '画面全体P：キー=120' '画面全体P：監視=1' \
    '[Capture_Ext]' 'ステップ記録修飾=3' 'ステップ記録キー=120' 'ステップ記録監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

probe() {
    "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" texts 2>/dev/null | tr -d '\r' |
        iconv -f CP932 -t UTF-8
}
STATE=""
# check DESCRIPTION LINE...: passes when the probe comes to report the lines.
check() {
    local what=$1 line ok; shift
    for _ in $(seq 15); do
        STATE=$(probe)
        ok=1
        for line in "$@"; do printf '%s\n' "$STATE" | grep -qxF "$line" || ok=0; done
        [ $ok = 1 ] && { pass "$what"; return 0; }
        sleep 0.2
    done
    fail "$what: wanted [$*], the probe says [$(printf '%s' "$STATE" | grep -E '^(page|focus|boxes|box |button 10(1[4-9]|2[01]) )' | tr '\n' ';')]"
}
# No box has come up once it has had time to; one that has is answered, so
# that the checks after it still see the panel.
no_box() {
    local box
    sleep 1
    STATE=$(probe)
    if printf '%s\n' "$STATE" | grep -qx 'boxes 0'; then pass "$1"; else
        fail "$1: $(printf '%s\n' "$STATE" | grep '^box' | tr '\n' ';')"
        box=$(wait_for_window "ホットキー登録エラー") && {
            xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
            key Return
            xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
        }
    fi
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
key ctrl+alt+s
no_box "arming with a kind on the step key raises no message"
check "that kind reads 有効" "button 1016 有効"

key ctrl+Tab
check "the focus is on the first toggle" "page 1" "focus Button 1014"
key space
check "the first kind is on with Shift+I" "button 1014 有効"
key Tab
check "the focus is on the second toggle" "focus Button 1015"
key space
no_box "switching the second Shift+I kind on raises no message"
check "both toggles read 有効, not 使用中" "button 1014 有効" "button 1015 有効"
key Tab
check "the focus is on the third toggle" "focus Button 1016"
key space
check "the third toggle still switches its kind off" "button 1016 無効"

key shift+i
for _ in $(seq 50); do [ -s "$E2E_WORK/ks1.bmp" ] && break; sleep 0.1; done
sleep 1
[ -s "$E2E_WORK/ks1.bmp" ] && pass "Shift+I captured" || fail "no ks1.bmp from Shift+I"
[ -e "$E2E_WORK/ks2.bmp" ] && fail "Shift+I captured twice" || pass "Shift+I captured once"

close_discarding_history "$window" || fail "no save question on close"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
ini=$(ini_text | tr -d '\r')
for line in '画面全体：キー=73' '画面全体：監視=1' 'Aウィンドウ：キー=73' 'Aウィンドウ：監視=1' \
    '画面全体P：監視=0'; do
    printf '%s\n' "$ini" | grep -qx "$line" && pass "Zelcap.ini: $line" ||
        fail "Zelcap.ini lacks $line"
done
e2e_finish
