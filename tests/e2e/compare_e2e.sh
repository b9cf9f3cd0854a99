#!/usr/bin/env bash
# Comparing two captures as a tester does: a window of our own captured by
# hot key, its text changed with Space, captured again; both rows selected,
# 編集 → 比較 by keys, the views switched by their keys (the overlay's tint on
# the screen in view 2 only, view 3 alternating until Space), 履歴に追加. The
# overlay PNG in the capture folder is, pixel for pixel, the second capture
# with the changed pixels tinted red, and those lie within the text's
# block; the new record's heading carries the figure the pixels give, and
# the saved manifest pins the PNG's bytes.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

winwork=$(winpath "$E2E_WORK")
write_capture_ini "$E2E_WORK" cmp
start_capture_target || { fail "no window to capture"; e2e_finish; }
start_zelcap_armed || { fail "no main window"; e2e_finish; }
window=$E2E_MAIN
capture() { capture_target "$E2E_WORK/cmp$1.bmp"; } # file number
capture 1 || fail "no first capture"
turn_target
capture 2 || fail "no second capture"
sleep 0.5

# Back to Zelcap, as the fixture holds the activation.
click_status_bar "$window"
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key a
sleep 0.3
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key k
compare=$(wait_for_window "比較 - cmp1.bmp ⇔ cmp2.bmp") ||
    { fail "no comparison window after 編集 → 比較"; e2e_finish; }
pass "編集 → 比較 opened the window on the two rows"
focus "$compare"
sleep 0.5
# Each view by its key: the tint of black text over white (and white over
# black) is on the screen in the overlay only; Space holds the flicker.
shot() { import -display "$DISPLAY" -window root "$E2E_WORK/$1.png"; }
tinted() {
    /usr/bin/python3 - "$E2E_WORK/$1.png" <<'EOF2'
import sys
from PIL import Image
print(list(Image.open(sys.argv[1]).convert("RGB").getdata()).count((223, 32, 32)))
EOF2
}
xdotool key 2
sleep 0.5
shot overlay
xdotool key 1
sleep 0.5
shot side
[ "$(tinted overlay)" -gt 50 ] && [ "$(tinted side)" = 0 ] &&
    pass "2 shows the overlay's tint, 1 the pictures side by side" ||
    fail "tinted pixels: overlay $(tinted overlay), side by side $(tinted side)"
xdotool key 3
sleep 0.3
for n in 1 2 3 4; do shot "flicker$n"; sleep 0.2; done
xdotool key space
sleep 0.3
shot paused1
sleep 1.2
shot paused2
xdotool key space
[ "$(md5sum "$E2E_WORK"/flicker?.png | cut -c1-32 | sort -u | wc -l)" -gt 1 ] &&
    cmp -s "$E2E_WORK/paused1.png" "$E2E_WORK/paused2.png" && pass "3 alternates the pictures, Space holds them" ||
    fail "the flicker did not alternate, or went on after Space"
xdotool key 1
sleep 0.3
xdotool key --clearmodifiers alt+h
for _ in $(seq 50); do [ -s "$E2E_WORK/cmp1_diff.png" ] && break; sleep 0.1; done
[ -s "$E2E_WORK/cmp1_diff.png" ] || { fail "履歴に追加 wrote no cmp1_diff.png"; e2e_finish; }
sleep 0.5
xdotool key Escape
sleep 0.5
[ -z "$(xdotool search --name '^比較 - ' 2>/dev/null)" ] && pass "Esc closed the window" ||
    fail "the window stayed after Esc"

read -r result figure < <(/usr/bin/python3 - "$E2E_WORK" <<'EOF'
import sys
from PIL import Image
w = sys.argv[1]
a = Image.open(f"{w}/cmp1.bmp").convert("RGB")
b = Image.open(f"{w}/cmp2.bmp").convert("RGB")
o = Image.open(f"{w}/cmp1_diff.png").convert("RGB")
block = [int(v) for v in open(f"{w}/target.txt").read().split("block ")[1].split()[:4]]
bad = []
if not (a.size == b.size == o.size):
    print(f"sizes {a.size} {b.size} {o.size} -"); sys.exit()
pa, pb, po = a.load(), b.load(), o.load()
changed = 0
for y in range(a.size[1]):
    for x in range(a.size[0]):
        p, q = pa[x, y], pb[x, y]
        if max(abs(p[i] - q[i]) for i in range(3)) > 8:
            changed += 1
            v = [(p[i] + q[i] + 1) // 2 for i in range(3)]
            want = ((v[0] + 3 * 255) // 4, v[1] // 4, v[2] // 4)
            if not (block[0] <= x < block[2] and block[1] <= y < block[3]):
                bad.append(f"change at {x},{y} outside the block")
        else:
            want = q
        if po[x, y] != want:
            bad.append(f"{x},{y}: {po[x, y]} not {want}")
total = a.size[0] * a.size[1]
if changed == 0:
    bad.append("nothing changed")
tenths = (changed * 2000 + total) // (2 * total)
tenths = max(tenths, 1) if changed else 0
print("ok" if not bad else "; ".join(bad[:5]), f"{tenths // 10}.{tenths % 10}")
EOF
)
[ "$result" = ok ] && pass "the overlay: the second capture, the changed pixels tinted red, all within the text's block" ||
    fail "overlay: $result"

save_history_as "$window" "$winwork\\hist.csv" "$E2E_WORK/hist.csv" || fail "the history was not saved"
sleep 0.5
last=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/hist.csv" | tr -d '\r' | tail -n 1)
heading=$(printf '%s' "$last" | cut -d, -f2)
image=$(printf '%s' "$last" | cut -d, -f3)
[ "$heading" = "比較: 比較テスト ⇔ 比較テスト (変化 $figure %)" ] &&
    pass "the record's heading: $heading" || fail "heading: $heading (変化 $figure % expected)"
[ "$image" = "\\cmp1_diff.png" ] || [ "$image" = "$winwork\\cmp1_diff.png" ] &&
    pass "the record names the overlay" || fail "image path: $image"
digest=$(sha256sum <"$E2E_WORK/cmp1_diff.png" | cut -c1-64)
grep -q "^$digest  cmp1_diff.png" "$E2E_WORK/hist.sha256" && pass "the manifest pins the overlay's bytes" ||
    fail "manifest: $(cat "$E2E_WORK/hist.sha256")"

focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
ini_text | grep -q '^\[Compare\]' && fail "the settings file got a [Compare] group" ||
    pass "no [Compare] group while the options stayed as they were"
e2e_finish
