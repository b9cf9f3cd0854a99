#!/usr/bin/env bash
# Deleting a row with the Delete key, as a user does it: the history changes,
# so Ctrl+S must save it (the save command follows the change), and the
# picture of the deleted record must leave the image pane.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' '項目１幅=160' '項目２幅=260' \
    '項目３幅=150' '項目４幅=90' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' \
    'Aウィンドウ：監視=1' "保存先=$winwork" '画像ファイル名=del' '画像ファイル開始番号=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

# Mean brightness (0..1) of the top of the image view, where a picture of the
# screen shows the captured window's title bar.
view_mean() {
    import -display "$DISPLAY" -window root -crop 850x40+25+414 +repage "$E2E_WORK/view.png" &&
        convert "$E2E_WORK/view.png" -colorspace Gray -format '%[fx:mean]' info:
}
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
records() { tr -d '\r' <"$E2E_WORK/hist.csv" | tail -n +2 | grep -c . ; }

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
focus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5
for n in 1 2; do
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 50); do [ -s "$E2E_WORK/del$n.bmp" ] && break; sleep 0.1; done
    [ -s "$E2E_WORK/del$n.bmp" ] || fail "capture $n missing"
    sleep 0.5
done
xdotool key --clearmodifiers ctrl+s
dialog=$(wait_for_window "保存するファイル名を指定して下さい") || { fail "no Save As dialog"; e2e_finish; }
focus "$dialog"
sleep 0.3
xdotool type --delay 20 "$winwork\\hist.csv"
xdotool key Return
window=$(wait_for_window "hist.csv - Zelcap Ver2.3 - [$winwork\\hist.csv]") ||
    { fail "history not saved"; e2e_finish; }
[ "$(records)" = 2 ] && pass "two records saved" || fail "hist.csv holds $(records) records"
focus "$window"
sleep 0.5
before=$(view_mean)
awk -v m="$before" 'BEGIN { exit !(m < 0.9) }' && pass "the selected capture is shown ($before)" ||
    fail "no picture before the deletion (mean $before)"

# The last capture is the selected row and the list has the focus.
xdotool key --clearmodifiers Delete
confirm=$(wait_for_window "確認") || { fail "no deletion question"; e2e_finish; }
focus "$confirm"
xdotool key Return
sleep 0.8
after=$(view_mean)
awk -v m="$after" 'BEGIN { exit !(m > 0.99) }' && pass "the deleted record's picture is gone" ||
    fail "the image pane still shows a picture after the deletion (mean $after)"

focus "$window"
xdotool key --clearmodifiers ctrl+s
for _ in $(seq 50); do [ "$(records)" = 1 ] && break; sleep 0.1; done
[ "$(records)" = 1 ] && pass "Ctrl+S saved the history without the deleted row" ||
    fail "Ctrl+S saved nothing: hist.csv still holds $(records) records"

xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed without a save question" || fail "exit code $rc (a save question?)"
e2e_finish
