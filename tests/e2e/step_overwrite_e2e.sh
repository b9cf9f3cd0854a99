#!/usr/bin/env bash
# Step recording into a folder that already holds the files, as on a second
# run of a test: three quick clicks ask three overwrite questions in click
# order, each naming its own file, and each answer holds for its own step
# only. The steps leave the user's clipboard alone, and a click on a menu
# item names the menu's window.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=st' '画像ファイル開始番号=1' \
    'JPEGモード=0' '上書き確認=1' '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'クリップボード=1' 'ステップ記録修飾=3' 'ステップ記録キー=123' 'ステップ記録監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
for n in 1 2 3; do printf 'old %d' "$n" >"$E2E_WORK/st$n.bmp"; done

start_step_target || { fail "the test window did not come up"; e2e_finish; }
read -r okx oky < <(target_point ok)
read -r chx chy < <(target_point check)
read -r edx edy < <(target_point edit)
read -r mbx mby < <(target_point menubar)

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
start_step_recording "$window"

# Three clicks before the first question can be answered.
for p in "$okx $oky" "$chx $chy" "$edx $edy"; do
    read -r x y <<<"$p"
    xdotool mousemove "$x" "$y" click 1 sleep 0.15
done
# Yes, No, Yes: each question must name the file of its own step.
asked=()
for answer in Return Escape Return; do
    n=$((${#asked[@]} + 1))
    if box=$(wait_for_window "$winwork\\st$n.bmp"); then
        asked+=("st$n")
        # The clicked program is in front: a click on the box's caption
        # (Zelcap's own window, so no step) brings the box forward.
        eval "$(xdotool getwindowgeometry --shell "$box")"
        xdotool mousemove $((X + 30)) $((Y + 8)) click 1
        sleep 0.3
        xdotool key "$answer"
        sleep 0.5
    else
        break
    fi
done
[ "${asked[*]}" = "st1 st2 st3" ] && pass "three questions in click order, each naming its file" ||
    fail "questions: ${asked[*]}"
sleep 1
# No other box came up: an error box would be Zelcap's own dialog window.
boxes=$(xdotool search --name '^(S00011 <SYSTEM ERROR>|エラー|警告)$' 2>/dev/null | wc -l)
[ "$boxes" = 0 ] && pass "no error box" || fail "$boxes error box(es)"
result=$(python3 - "$E2E_WORK" <<'PY'
import os, sys
f = sys.argv[1]
def kind(n):
    d = open(os.path.join(f, f"st{n}.bmp"), "rb").read()
    return "picture" if d[:2] == b"BM" and len(d) > 1000 else d.decode("ascii", "replace")
print(" ".join(kind(n) for n in (1, 2, 3)))
PY
)
[ "$result" = "picture old 2 picture" ] && pass "Yes overwrote st1 and st3, No kept st2" || fail "files: $result"

# The user's copy is still on the clipboard.
[ "$(iconv -f CP932 -t UTF-8 "$E2E_WORK/clipboard.txt")" = "手順テストのコピー" ] &&
    pass "the steps left the clipboard alone" ||
    fail "clipboard now: $(iconv -f CP932 -t UTF-8 "$E2E_WORK/clipboard.txt")"

# A menu item: the menu is opened by one click (a step of its own), the item
# is the next.
rm -f "$E2E_WORK/menu.txt"
xdotool mousemove "$mbx" "$mby" click 1
for _ in $(seq 50); do [ -s "$E2E_WORK/menu.txt" ] && break; sleep 0.1; done
read -r _ mix miy <"$E2E_WORK/menu.txt" || fail "the menu did not open"
xdotool mousemove "$mix" "$miy" sleep 0.2 click 1
for _ in $(seq 50); do [ -s "$E2E_WORK/st5.bmp" ] && break; sleep 0.1; done
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F12
sleep 0.5

save_history_as "$window" "$winwork\\steps.csv" "$E2E_WORK/steps.csv" || fail "the history was not saved"
records=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/steps.csv" 2>/dev/null | tr -d '\r' | tail -n +2)
images=$(printf '%s\n' "$records" | cut -d, -f3 | sed 's/.*\\//' | tr '\n' ' ')
[ "$images" = "st1.bmp st3.bmp st4.bmp st5.bmp " ] && pass "records for the steps answered Yes, then the menu's" ||
    fail "record images: $images"
menu=$(printf '%s\n' "$records" | sed -n 4p | cut -d, -f2)
# Where menus are shared between programs the item's name comes first.
case "$menu" in
"メニュー項目をクリック (手順テスト)" | "「上書き保存(S)」メニュー項目をクリック (手順テスト)")
    pass "the menu item's heading names its window: $menu" ;;
*) fail "menu item heading: $menu" ;;
esac

window=$(wait_for_window "steps.csv - Zelcap Ver2.3 - [$winwork\\steps.csv]") || fail "title does not name steps.csv"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
