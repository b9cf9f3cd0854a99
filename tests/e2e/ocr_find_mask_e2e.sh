#!/usr/bin/env bash
# The text reading end to end, as a tester meets it: with [OCR]
# 文字読み取り=1, a form of our own is captured by hot key into a folder with
# a Japanese name, once showing an e-mail address and a card number each
# after its label on the same line, among other lines, once other words;
# the sidecars come in the background.
# Ctrl+F and a Japanese word shown only on the second screen select its
# record. On the first record, 編集 → 個人情報のマスク候補 proposes masks over
# the address and the card number where the form drew them; Enter keeps
# them, Ctrl+S saves, and the flattened picture is the capture with those
# boxes black and every other pixel as it was.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

captures="$E2E_WORK/読み取りと検索の証跡"
mkdir -p "$captures"
write_capture_ini "$captures" 画面 '[OCR]' '文字読み取り=1'
start_capture_target personal || { fail "no window to capture"; e2e_finish; }
start_zelcap_armed || { fail "no main window"; e2e_finish; }
window=$E2E_MAIN
capture_target "$captures/画面1.bmp" || { fail "no first capture"; e2e_finish; }
# Where the form drew each line's last word on the first screen.
cp "$E2E_WORK/target.txt" "$E2E_WORK/target1.txt"
turn_target
capture_target "$captures/画面2.bmp" || { fail "no second capture"; e2e_finish; }
pass "the hot key wrote both pictures"

# Each picture is read after the other on a thread of the lowest priority.
for _ in $(seq 1000); do [ -f "$captures/画面2.bmp.ocr" ] && break; sleep 0.2; done
sidecar() { iconv -f CP932 -t UTF-8 "$captures/画面$1.bmp.ocr" 2>/dev/null | tr -d '\r'; }
[ -f "$captures/画面1.bmp.ocr" ] && [ -f "$captures/画面2.bmp.ocr" ] ||
    { fail "the sidecars did not come: $(ls "$captures")"; e2e_finish; }
sidecar 1 | grep -q 'hanako\.yamada@example\.jp' && sidecar 1 | grep -q '4539-1488-0343-6467' &&
    pass "the first sidecar holds the address and the card number" ||
    fail "the first sidecar: $(sidecar 1 | paste -sd'|')"
sidecar 2 | grep -q '発送' && ! sidecar 1 | grep -q '発送' &&
    pass "発送 is read on the second screen only" || fail "the second sidecar: $(sidecar 2 | paste -sd'|')"

# The search from the first row: the word moves the selection to the
# second, the only record whose picture shows it.
# Home in the list, which has the focus once the window is active.
select_first_row() {
    xdotool key --clearmodifiers Home
    for _ in $(seq 50); do [ "$(selected_rows)" = 0 ] && return 0; sleep 0.1; done
    fail "Home left rows '$(selected_rows)' selected"
}
click_status_bar "$window"
select_first_row
xdotool key --clearmodifiers ctrl+f
find=$(wait_for_window "検索") || { fail "Ctrl+F opened no find window"; e2e_finish; }
focus "$find"
sleep 0.3
# Japanese characters typed fast are lost under Wine on a loaded machine.
xdotool type --delay 150 "発送"
for _ in $(seq 100); do [ "$(selected_rows)" = 1 ] && break; sleep 0.1; done
[ "$(selected_rows)" = 1 ] && pass "typing 発送 selected the second record" ||
    fail "rows '$(selected_rows)' selected after typing 発送"
xdotool key --clearmodifiers Escape
for _ in $(seq 30); do xdotool search --name '^検索$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --name '^検索$' >/dev/null 2>&1 && fail "Esc left the find window open"

focus "$window"
sleep 0.3
select_first_row
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key p
editor=$(wait_for_window "注釈 - 画面1.bmp") || { fail "no editor after 編集 → 個人情報のマスク候補"; e2e_finish; }
focus "$editor"
sleep 0.5
xdotool key Return ctrl+s
flat="$captures/画面1_ann.png"
for _ in $(seq 300); do [ -s "$flat" ] && [ -s "$captures/画面1.bmp.zan" ] && break; sleep 0.1; done
sleep 0.5
# The masks against the words as drawn: each holds all of its word's ink,
# none of its label's, and stays within its character cells but for the
# masks' padding and a pixel of the engine's rounding outwards.
result=$(/usr/bin/python3 - "$captures" "$E2E_WORK/target1.txt" <<'PY'
import re, sys
from PIL import Image
folder, target = sys.argv[1], sys.argv[2]
words = [[int(v) for v in l.split()[1:]] for l in open(target) if l.startswith("text ")]
address, card = words[2], words[3]
try:
    zan = open(f"{folder}/画面1.bmp.zan", encoding="cp932").read().splitlines()
    shot = Image.open(f"{folder}/画面1.bmp").convert("RGB")
    flat = Image.open(f"{folder}/画面1_ann.png").convert("RGB")
except OSError as e:
    print(e); sys.exit()
masks = sorted(([int(v) for v in re.findall(r"-?\d+", l)[:4]] for l in zan if l.startswith("mask")),
               key=lambda m: m[1])
problems = []
if len(masks) != 2:
    problems.append(f"masks {masks}")
sp, fp = shot.load(), flat.load()
def ink(box):
    l, t, r, b = box
    xs = [x for y in range(t, b) for x in range(l, r) if sum(sp[x, y]) < 384]
    ys = [y for y in range(t, b) for x in range(l, r) if sum(sp[x, y]) < 384]
    return min(xs), min(ys), max(xs), max(ys)
slack = 4  # the padding of 2 and a pixel of rounding, on either side
for name, box, mask in zip(("address", "card"), (address, card), masks):
    il, it, ir, ib = ink(box)
    l, t, r, b = mask
    if not (l <= il and t <= it and r >= ir and b >= ib):
        problems.append(f"{name}: mask {mask} leaves ink {il, it, ir, ib} bare")
    if not (l >= box[0] - slack and t >= box[1] - slack and r < box[2] + slack and b < box[3] + slack):
        problems.append(f"{name}: mask {mask} spills out of the word's cells {box}")
    label = ink((0, box[1], box[0], box[3]))
    if l <= label[2]:
        problems.append(f"{name}: mask {mask} covers its label's ink up to x {label[2]}")
if flat.size != shot.size:
    problems.append(f"sizes {flat.size} {shot.size}")
else:
    wrong = 0
    for y in range(shot.size[1]):
        for x in range(shot.size[0]):
            inside = any(l <= x <= r and t <= y <= b for l, t, r, b in masks)
            wrong += fp[x, y] != ((0, 0, 0) if inside else sp[x, y])
    if wrong:
        problems.append(f"{wrong} pixels neither black in a mask nor as captured")
print("; ".join(problems) or "ok")
PY
)
[ "$result" = ok ] &&
    pass "the flattened picture is the capture, black over the address and the card number only" ||
    fail "masks: $result"

xdotool key --clearmodifiers alt+F4
for _ in $(seq 50); do xdotool search --name '^注釈 - ' >/dev/null 2>&1 || break; sleep 0.1; done
click_status_bar "$window"
close_discarding_history "$window" || fail "no save question at the close"
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
