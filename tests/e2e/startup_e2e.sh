#!/usr/bin/env bash
# The real Zelcap.exe, started in an empty folder: its window shows the title
# of a new history, it closes when asked, and its settings file then holds
# the [Window] and [File_Set] groups.
. "$(dirname "$0")/e2e-lib.sh" "$1"

start_zelcap
if window=$(wait_for_window "新規 - Zelcap Ver2.3"); then
    pass "main window titled '新規 - Zelcap Ver2.3'"
else
    fail "no window titled '新規 - Zelcap Ver2.3'"; e2e_finish
fi
if [ -f "$E2E_WORK/Zelcap.ini" ] && [ ! -s "$E2E_WORK/Zelcap.ini" ]; then
    pass "an empty Zelcap.ini was created in the current folder"
else
    fail "no empty Zelcap.ini in the current folder"
fi

# Close it as a user does, with Alt+F4 on the focused window.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
if [ $rc = 0 ]; then pass "closed cleanly (exit code 0)"; else fail "exit code $rc after Alt+F4"; fi

text=$(ini_text)
for line in '[Window]' 'X位置=0' 'Y位置=0' '項目１幅=100' '[File_Set]' '画像ファイル開始番号=1' '起動アプリ：テキスト='; do
    if printf '%s\n' "$text" | tr -d '\r' | grep -qxF -- "$line"; then pass "INI holds $line"; else fail "INI lacks $line"; fi
done
if printf '%s\n' "$text" | grep -qF '[HTML]'; then fail "INI has an [HTML] group before any report"; fi
e2e_finish
