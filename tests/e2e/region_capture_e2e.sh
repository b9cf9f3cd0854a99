#!/usr/bin/env bash
# The region capture as the user meets it: its hot key freezes the screen
# under the overlay, Esc cancels without a file, a drag from (100,120) to
# (300,270) writes a 201 x 151 picture of the screen (not of the overlay's
# red frame), "前回の範囲" writes the same region again without asking, and
# the region is kept in the settings.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
# Ctrl+Shift (3) with F10 (121) and F11 (122).
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=rg' '画像ファイル開始番号=1' \
    'JPEGモード=0' '[Capture_Ext]' '範囲指定修飾=3' '範囲指定キー=121' '範囲指定監視=1' \
    '前回の範囲修飾=3' '前回の範囲キー=122' '前回の範囲監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

# "WIDTH HEIGHT" of a BMP, and whether any edge of it is the frame's pure red.
bmp_facts() {
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
w, h = struct.unpack_from("<ii", data, 18)
stride = (w * 3 + 3) & ~3
def px(x, y):
    b, g, r = data[54 + (h - 1 - y) * stride + x * 3: 54 + (h - 1 - y) * stride + x * 3 + 3]
    return (r, g, b)
edges = [[px(x, 0) for x in range(w)], [px(x, h - 1) for x in range(w)],
         [px(0, y) for y in range(h)], [px(w - 1, y) for y in range(h)]]
red = any(all(p == (255, 0, 0) for p in e) for e in edges)
print(w, abs(h), "red" if red else "clean")
PY
}

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 0.5

xdotool key --clearmodifiers ctrl+shift+F10
if overlay=$(wait_for_window "範囲指定"); then
    pass "the region key opened the overlay"
    xdotool windowfocus --sync "$overlay" 2>/dev/null || xdotool windowfocus "$overlay"
    xdotool key Escape
    sleep 1
    if xdotool search --name '^範囲指定$' >/dev/null 2>&1; then fail "Esc left the overlay up"; fi
    ls "$E2E_WORK"/rg*.bmp >/dev/null 2>&1 && fail "Esc still wrote a file" || pass "Esc cancelled without a file"
else
    fail "no overlay after the region key"
fi

xdotool key --clearmodifiers ctrl+shift+F10
if overlay=$(wait_for_window "範囲指定"); then
    sleep 0.3
    xdotool mousemove 100 120 sleep 0.2 mousedown 1 sleep 0.2 mousemove 200 200 sleep 0.2 \
        mousemove 300 270 sleep 0.2 mouseup 1
    for _ in $(seq 50); do [ -s "$E2E_WORK/rg1.bmp" ] && break; sleep 0.1; done
    facts=$(bmp_facts "$E2E_WORK/rg1.bmp" 2>/dev/null)
    [ "$facts" = "201 151 clean" ] && pass "the drag wrote a 201 x 151 picture of the screen" ||
        fail "rg1.bmp after the drag: '${facts:-none}'"
else
    fail "no overlay the second time"
fi

sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F11
for _ in $(seq 50); do [ -s "$E2E_WORK/rg2.bmp" ] && break; sleep 0.1; done
facts=$(bmp_facts "$E2E_WORK/rg2.bmp" 2>/dev/null)
[ "$facts" = "201 151 clean" ] && pass "前回の範囲 wrote the same region again" ||
    fail "rg2.bmp from 前回の範囲: '${facts:-none}'"
xdotool search --name '^範囲指定$' >/dev/null 2>&1 && fail "前回の範囲 opened the overlay"

close_discarding_history "$window" || fail "no save question on close"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
if ini_text | tr -d '\r' | grep -qxF '前回の範囲座標=100,120,301,271'; then
    pass "the region is kept in the settings"
else
    fail "INI lacks 前回の範囲座標=100,120,301,271: $(ini_text | tr -d '\r' | grep 範囲 | tr '\n' ' ')"
fi
e2e_finish
