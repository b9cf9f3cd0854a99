#!/usr/bin/env bash
# A scripted capture and arming refused while the capture folder follows a
# history that has no name yet (保存先オプション=1): the refused code, the
# message the user would have seen, no picture and no message box; the
# window then closes on /quit, its history unchanged.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=rf' '画像ファイル開始番号=1' \
    'JPEGモード=1' '保存先オプション=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

call() { (cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null 2>/dev/null); }
field() { jq -r "$2" "$E2E_WORK/$1" 2>/dev/null; }

for command in /capture:screen /arm; do
    call "$command" /result:r.json >/dev/null; rc=$?
    if [ $rc = 5 ] && [ "$(field r.json .error)" = refused ] &&
        field r.json .message | grep -q "履歴ファイル"; then
        pass "$command refused with the message"
    else
        fail "$command: rc $rc, $(cat "$E2E_WORK/r.json" 2>/dev/null)"
    fi
done
ls "$E2E_WORK"/rf* >/dev/null 2>&1 && fail "a picture was written"
[ "$(xdotool search --name "^新規 - Zelcap Ver2.3\$" 2>/dev/null | wc -l)" = 1 ] &&
    [ -z "$(xdotool search --name "^.+$" 2>/dev/null | while read -r id; do xdotool getwindowname "$id"; done |
        grep -F "$winwork")" ] && pass "no message box came up" || fail "a message box or no window"
call /quit >/dev/null; rc=$?
[ $rc = 0 ] && pass "/quit closed the unchanged history" || fail "quit: rc $rc"
e2e_finish
