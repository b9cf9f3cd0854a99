#!/usr/bin/env bash
# Step recording as the user meets it: started from the キャプチャー menu,
# clicks on a test window (a button, a check box, an edit field with the
# right button) each write a numbered picture of that window with the red
# ring at the click point, a click on Zelcap's own window writes nothing, a
# burst of ten clicks 100 ms apart gives ten steps in order, the toggle key
# stops it, and the saved history holds the headings naming the controls.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# The toggle key: Ctrl+Shift (3) with F12 (123).
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=st' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' \
    '[Capture_Ext]' 'ステップ記録修飾=3' 'ステップ記録キー=123' 'ステップ記録監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

start_step_target || { fail "the test window did not come up"; e2e_finish; }
read -r okx oky < <(target_point ok)
read -r chx chy < <(target_point check)
read -r edx edy < <(target_point edit)
read -r _ wl wt wr wb < <(grep '^window ' "$E2E_WORK/targets.txt")

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
start_step_recording "$window"

# Clicks: x y button, then whether a file must follow.
clicks=("$okx $oky 1" "$chx $chy 1" "$edx $edy 3")
n=0
for c in "${clicks[@]}"; do
    read -r x y b <<<"$c"
    xdotool mousemove "$x" "$y" sleep 0.2 click "$b"
    n=$((n + 1))
    for _ in $(seq 50); do [ -s "$E2E_WORK/st$n.bmp" ] && break; sleep 0.1; done
    sleep 0.5
done
# Zelcap's own window is not a step.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.2 click 1
sleep 1.5
[ -e "$E2E_WORK/st4.bmp" ] && fail "a click on Zelcap's window made a step" || pass "a click on Zelcap's window is ignored"

# Ten clicks 100 ms apart, each far enough from the last not to be a double click.
burst=()
for i in $(seq 0 9); do burst+=("$((wl + 40 + i * 36)) $((wt + 230))"); done
for p in "${burst[@]}"; do
    read -r x y <<<"$p"
    xdotool mousemove "$x" "$y" click 1 sleep 0.1
done
for _ in $(seq 100); do [ -s "$E2E_WORK/st13.bmp" ] && break; sleep 0.1; done
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F12
sleep 0.5

# Every file: the window's size and the ring at its click in the picture.
all=("${clicks[@]}" "${burst[@]}")
result=$(python3 - "$E2E_WORK" "$wl" "$wt" "$((wr - wl))" "$((wb - wt))" "${all[@]}" <<'PY'
import struct, sys, os
folder, wl, wt, ww, wh = sys.argv[1], *map(int, sys.argv[2:6])
R = 16
bad = []
for k, click in enumerate(sys.argv[6:], start=1):
    x, y = map(int, click.split()[:2])
    path = os.path.join(folder, f"st{k}.bmp")
    if not os.path.exists(path):
        bad.append(f"st{k}.bmp missing"); continue
    d = open(path, "rb").read()
    w, h = struct.unpack_from("<ii", d, 18)
    if (w, h) != (ww, wh):
        bad.append(f"st{k}.bmp is {w}x{h}, the window {ww}x{wh}"); continue
    stride = (w * 3 + 3) & ~3
    def px(px_, py_):
        o = 54 + (h - 1 - py_) * stride + px_ * 3
        return tuple(d[o:o + 3])
    cx, cy = x - wl, y - wt
    ring = [px(cx + R, cy), px(cx - R, cy), px(cx, cy + R), px(cx, cy - R)]
    if any(p != (0, 0, 255) for p in ring):
        bad.append(f"st{k}.bmp: no red ring around ({cx},{cy}): {ring}")
extra = os.path.join(folder, f"st{len(sys.argv) - 5}.bmp")
if os.path.exists(extra):
    bad.append(f"{os.path.basename(extra)}: more steps than clicks")
print("; ".join(bad) if bad else "ok")
PY
)
[ "$result" = ok ] && pass "13 pictures of the window, each with the ring at its click" || fail "$result"

status=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/status.txt" 2>/dev/null)
printf '%s\n' "$status" | grep -qx 'ステップ記録中 0ステップ' && printf '%s\n' "$status" | grep -qx 'ステップ記録中 13ステップ' &&
    printf '%s\n' "$status" | tail -n 1 | grep -qx 'キャプチャ停止中' &&
    pass "the status bar counted the steps and the key stopped the recording" ||
    fail "status bar texts: $(printf '%s' "$status" | tr '\n' '|')"

# The test window was the active one: a click on the status bar brings
# Zelcap back to the front (the recording is over, so it is no step).
save_history_as "$window" "$winwork\\steps.csv" "$E2E_WORK/steps.csv" || fail "the history was not saved"
headings=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/steps.csv" 2>/dev/null | tr -d '\r' | tail -n +2 | cut -d, -f2)
want=$(printf '%s\n' '「OK」ボタンをクリック (手順テスト)' '「確認する」チェックボックスをクリック (手順テスト)' \
    '入力欄を右クリック (手順テスト)')
[ "$(printf '%s\n' "$headings" | head -n 3)" = "$want" ] && pass "the headings name the clicked controls" ||
    fail "headings: $(printf '%s' "$headings" | head -n 3 | tr '\n' '|')"
[ "$(printf '%s\n' "$headings" | wc -l)" = 13 ] && pass "13 records" ||
    fail "$(printf '%s\n' "$headings" | wc -l) records"

window=$(wait_for_window "steps.csv - Zelcap Ver2.3 - [$winwork\\steps.csv]") || fail "title does not name steps.csv"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
