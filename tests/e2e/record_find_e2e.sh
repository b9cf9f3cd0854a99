#!/usr/bin/env bash
# The search as a user meets it: three records made by scripted captures in
# a Japanese folder, the text of two pictures in their sidecars; Ctrl+F,
# a word typed in another case keeps the last capture (the third row,
# which matches) selected, Enter wraps round to the first match; Esc, and
# Delete with Ctrl+S show which row the search had selected.
. "$(dirname "$0")/e2e-lib.sh" "$1"

folder="$E2E_WORK/検索の証跡"
mkdir -p "$folder"
winfolder="Z:${folder//\//\\}"
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
printf '%s\r\n' '[File_Set]' "保存先=$winfolder" '画像ファイル名=画面' '画像ファイル開始番号=1' \
    '[Window]' 'X位置=0' 'Y位置=0' '幅=800' '高さ=600' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

call() { (cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null >/dev/null 2>&1); }
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
headings() { iconv -f CP932 -t UTF-8 "$folder/履歴.csv" | tr -d '\r' | tail -n +2 | cut -d, -f2 | paste -sd' '; }

for heading in ログイン 設定 確認; do
    call /capture:region:0,0,120,80 "/heading:$heading" || fail "the capture of $heading"
done
call "/save:$winfolder\\履歴.csv" || fail "the history's save"
[ "$(headings)" = "ログイン 設定 確認" ] || fail "history before the search: $(headings)"
# What the reader found in the first and the third picture.
for n in 1 3; do
    printf 'ZOCR\t1\r\n4\t4\t90\t20\tTotal 1,100\r\n' >"$folder/画面$n.bmp.ocr"
done
before=$(md5sum <"$folder/履歴.csv")

window=$(wait_for_window "履歴.csv - Zelcap Ver2.3 - [$winfolder\\履歴.csv]") ||
    { fail "no main window with the history"; e2e_finish; }
focus "$window"
sleep 0.3
xdotool key --clearmodifiers ctrl+f
find=$(wait_for_window "検索") || { fail "Ctrl+F opened no find window"; e2e_finish; }
focus "$find"
sleep 0.3
xdotool type --delay 30 "TOTAL"
sleep 0.3
xdotool key --clearmodifiers Return
sleep 0.3
xdotool key --clearmodifiers Escape
sleep 0.5
xdotool search --name '^検索$' >/dev/null 2>&1 && fail "Esc left the find window open"
[ "$(md5sum <"$folder/履歴.csv")" = "$before" ] && pass "the search left the history file alone" ||
    fail "the search changed the history file"

focus "$window"
sleep 0.3
xdotool key --clearmodifiers Delete
confirm=$(wait_for_window "確認") || { fail "no deletion question"; e2e_finish; }
focus "$confirm"
xdotool key Return
sleep 0.5
focus "$window"
xdotool key --clearmodifiers ctrl+s
for _ in $(seq 50); do [ "$(headings)" = "設定 確認" ] && break; sleep 0.1; done
[ "$(headings)" = "設定 確認" ] && pass "Enter wrapped round to the first match, the first row" ||
    fail "the row the search selected was not the first: $(headings) remain"

focus "$window"
xdotool key --clearmodifiers alt+F4
for _ in $(seq 50); do xdotool search --name 'Zelcap Ver2.3' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --name 'Zelcap Ver2.3' >/dev/null 2>&1 && fail "the window stayed open" ||
    pass "closed without a save question"
e2e_finish
