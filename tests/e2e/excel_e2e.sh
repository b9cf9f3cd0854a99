#!/usr/bin/env bash
# The evidence workbook through the menu of the real Zelcap.exe: three
# whole-screen JPEG captures, ツール → Excel出力 with the title stored in the
# [Excel] group, 出力, and the workbook read back with openpyxl. The
# workbook is kept as build/<arch>/excel-e2e.xlsx for the picture in docs/.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    "保存先=$winwork" '画像ファイル名=ev' '画像ファイル開始番号=1' 'JPEGモード=1' 'JPEG品質=80' \
    '[Excel]' 'タイトル=エビデンス表' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
focus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5
for n in 1 2 3; do
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 50); do [ -s "$E2E_WORK/ev$n.jpg" ] && break; sleep 0.1; done
done
[ -s "$E2E_WORK/ev3.jpg" ] && pass "three captures" || fail "no ev3.jpg after three hot keys"

focus "$window"
xdotool key --clearmodifiers alt+t
sleep 0.3
xdotool key x
if dialog=$(wait_for_window "Excel出力"); then
    pass "ツール → Excel出力 opened its dialog"
    focus "$dialog"
    sleep 0.3
    xdotool key --clearmodifiers alt+s
else
    fail "no Excel出力 dialog"
fi
if box=$(wait_for_window "確認"); then
    pass "the export ended with its message"
    focus "$box"
    xdotool key Return
else
    fail "no message after the export"
fi
workbook="$E2E_WORK/新規.xlsx"
if [ -s "$workbook" ]; then
    pass "the workbook is in the history folder under the history's name"
    if /usr/bin/python3 "$(dirname "$0")/../workbook/check_workbook.py" e2e "$workbook" "$E2E_WORK"; then
        pass "openpyxl reads the workbook as expected"
    else
        fail "openpyxl checks"
    fi
    cp "$workbook" "$ZELCAP_BUILD/excel-e2e.xlsx"
else
    fail "no 新規.xlsx"
fi
if ini_text | tr -d '\r' | grep -qxF 'タイトル=エビデンス表'; then
    pass "the options stay in [Excel]"
else
    fail "INI lost the [Excel] title"
fi

focus "$window"
xdotool key --clearmodifiers alt+F4
if prompt=$(wait_for_window "保存確認"); then
    focus "$prompt"
    xdotool key n
fi
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
