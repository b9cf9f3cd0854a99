#!/usr/bin/env bash
# The keyboard's steps as the user meets them: with 入力を記録する and
# ショートカットを記録する on, a name typed into a field of another program,
# a password typed into its password field, another into a field whose
# accessibility alone says it is protected, and Ctrl+S each become a step
# with its heading; the name is in the step's description file as the field
# holds it, its Japanese characters too (which come through no keys the
# keyboard layout names, as an input method's do not), and neither
# password's characters are in any file Zelcap wrote.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
mkdir -p "$E2E_WORK/入力の証跡"
# The step key: Ctrl+Shift (3) with F12 (123).
printf '%s\r\n' '[File_Set]' "保存先=$winwork\\入力の証跡" '画像ファイル名=st' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Window]' 'X位置=520' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'ステップ記録修飾=3' 'ステップ記録キー=123' 'ステップ記録監視=1' \
    '入力記録=1' 'ショートカット記録=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

"$ZELCAP_WINE" "$ZELCAP_BUILD/key_target.exe" "$winwork" >/dev/null 2>&1 </dev/null &
E2E_TARGET_PID=$!
for _ in $(seq 100); do [ -s "$E2E_WORK/fields.txt" ] && break; sleep 0.1; done
read -r _ nx ny < <(grep '^name ' "$E2E_WORK/fields.txt")

pictures="$E2E_WORK/入力の証跡"
start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
start_step_recording "$window"

# The user clicks into the field (a step of its own) and types.
xdotool mousemove "$nx" "$ny" sleep 0.2 click 1
for _ in $(seq 50); do [ -s "$pictures/st1.bmp" ] && break; sleep 0.1; done
sleep 0.3
xdotool type --delay 60 "yamada"
xdotool type --delay 120 "山田"
xdotool key Tab
sleep 0.3
xdotool type --delay 60 "hiMitu42"
xdotool key Tab
sleep 0.3
xdotool type --delay 60 "kaGi77"
xdotool key --clearmodifiers ctrl+s
for _ in $(seq 50); do [ -s "$pictures/st5.bmp" ] && break; sleep 0.1; done
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F12
sleep 0.5

name=$(iconv -f CP932 -t UTF-8 "$pictures/st2.txt" 2>&1)
[ "$name" = yamada山田 ] && pass "the typed name is in the step's description file" || fail "st2.txt: $name"
for n in 3 4; do
    [ -e "$pictures/st$n.txt" ] && fail "the password's step $n has a description file" ||
        pass "the password's step $n has no description file"
done

# The last steps written and shown before the history is saved.
sleep 1.5
save_history_as "$window" "$winwork\\入力.csv" "$E2E_WORK/入力.csv" || fail "the history was not saved"
rows=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/入力.csv" 2>/dev/null | tr -d '\r' | tail -n +2)
want=$(printf '%s\n' '「氏名：」入力欄をクリック (入力テスト)' '「氏名」に「yamada山田」と入力 (入力テスト)' '「パスワード」にパスワードを入力 (入力テスト)' \
    '「暗証番号」にパスワードを入力 (入力テスト)' '「Ctrl+S」を押す (入力テスト)')
[ "$(printf '%s\n' "$rows" | cut -d, -f2)" = "$want" ] && pass "a click and four key steps with their headings" ||
    fail "headings: $(printf '%s' "$rows" | cut -d, -f2 | tr '\n' '|')"
printf '%s\n' "$rows" | sed -n 2p | grep -q 'st2\.txt' && pass "the record names its description file" ||
    fail "second row: $(printf '%s' "$rows" | sed -n 2p)"

# Every file in the folder, the settings and the history included.
leaked=$(grep -rlai -e 'himitu42' -e 'mitu4' -e 'kagi77' -e 'agi7' "$E2E_WORK")
[ -z "$leaked" ] && pass "the password is in no file" || fail "the password is in: $leaked"

window=$(wait_for_window "入力.csv - Zelcap Ver2.3 - [$winwork\\入力.csv]") || fail "title does not name 入力.csv"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
