#!/usr/bin/env bash
# Annotating a record as the user does: 編集 → 注釈 by keys, a frame, an
# arrow, a numbered mark and a mask drawn by dragging, Ctrl+S. The
# flattened PNG has the frame's colour on its edge and every pixel of the
# mask black, the picture keeps its bytes, undo and redo come back in the
# saved files, the sidecar reopens with its objects editable, and the
# workbook's picture is the masked one.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=700' '高さ=600' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
/usr/bin/python3 - "$E2E_WORK" <<'EOF'
import sys
from PIL import Image
# Green, a magenta 4 x 4 corner to find the picture on the screen by.
picture = Image.new("RGB", (400, 300), (30, 160, 90))
picture.paste((250, 0, 250), (0, 0, 4, 4))
picture.save(f"{sys.argv[1]}/shot.bmp")
EOF
original=$(sha256sum <"$E2E_WORK/shot.bmp")
write_history "$E2E_WORK/records.csv" <<EOF
2026/12/09 10:00:01,画面,\\shot.bmp,
EOF

start_zelcap
window=$(open_history "$E2E_WORK/records.csv") || { fail "the history did not open"; e2e_finish; }
focus "$window"
xdotool mousemove --window "$window" 80 130 click 1
sleep 0.3
xdotool key --clearmodifiers Home
sleep 0.3
open_editor() {
    focus "$window"
    xdotool key --clearmodifiers alt+e
    sleep 0.3
    xdotool key n
    wait_for_window "注釈 - shot.bmp"
}
editor=$(open_editor) || { fail "no editor after 編集 → 注釈"; e2e_finish; }
pass "編集 → 注釈 opened the editor"
focus "$editor"
sleep 0.5
# Where the picture's top-left pixel is on the screen.
import -display "$DISPLAY" -window root "$E2E_WORK/screen.png"
read -r ox oy < <(/usr/bin/python3 - "$E2E_WORK/screen.png" <<'EOF'
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGB")
w, h = im.size
px = im.load()
for y in range(h):
    for x in range(w):
        if px[x, y] == (250, 0, 250):
            print(x, y); sys.exit()
print("-1 -1")
EOF
)
[ "$ox" -ge 0 ] || { fail "the picture is not on the screen"; e2e_finish; }
drag() { # tool key, from x y, to x y (picture pixels)
    xdotool key "$1"
    xdotool mousemove $((ox + $2)) $((oy + $3)) mousedown 1
    for f in 1 2 3 4; do
        xdotool mousemove $((ox + $2 + ($4 - $2) * f / 4)) $((oy + $3 + ($5 - $3) * f / 4))
    done
    xdotool mouseup 1
    sleep 0.2
}
drag r 50 50 150 120
drag a 200 40 300 120
xdotool key n mousemove $((ox + 60)) $((oy + 200)) click 1
sleep 0.2
drag m 250 180 350 260
xdotool key ctrl+s
sleep 1
check() { # what to expect of the mask area: black or green
    /usr/bin/python3 - "$E2E_WORK/shot_ann.png" "$1" <<'EOF'
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGB")
px = im.load()
bad = []
if im.size != (400, 300):
    bad.append(f"size {im.size}")
else:
    if px[50, 85] != (255, 0, 0) or px[100, 50] != (255, 0, 0):
        bad.append(f"frame edge {px[50, 85]} {px[100, 50]}")
    if px[100, 85] != (30, 160, 90):
        bad.append(f"inside the frame {px[100, 85]}")
    # Left of the number, inside the ring.
    if px[50, 200] != (255, 0, 0):
        bad.append(f"mark {px[50, 200]}")
    want = (0, 0, 0) if sys.argv[2] == "black" else (30, 160, 90)
    off = sum(px[x, y] != want for x in range(250, 351) for y in range(180, 261))
    if off:
        bad.append(f"{off} mask-area pixels not {sys.argv[2]}")
print("; ".join(bad) if bad else "ok")
EOF
}
[ -s "$E2E_WORK/shot_ann.png" ] && result=$(check black) || result="no shot_ann.png"
[ "$result" = ok ] && pass "the flattened picture: the frame on its edge, the mark, every mask pixel black" ||
    fail "flattened: $result"
[ "$(sha256sum <"$E2E_WORK/shot.bmp")" = "$original" ] && pass "the picture keeps its bytes" ||
    fail "the picture was written"
lines=$(tr -d '\r' <"$E2E_WORK/shot.bmp.zan" 2>/dev/null | cut -d' ' -f1 | tr '\n' ' ')
[ "$lines" = "ZAN rect arrow mark mask " ] && pass "the sidecar holds the four objects" ||
    fail "sidecar: $lines"

# Undo takes the mask away, redo brings it back; each saved.
xdotool key ctrl+z ctrl+s
sleep 1
[ "$(check green)" = ok ] && pass "undo and save: no mask" || fail "after undo: $(check green)"
xdotool key ctrl+y ctrl+s
sleep 1
[ "$(check black)" = ok ] && pass "redo and save: the mask again" || fail "after redo: $(check black)"

# Reopened, the objects are there to edit: the mask is selected and deleted.
xdotool key --clearmodifiers alt+F4
sleep 0.5
editor=$(open_editor) || { fail "the editor did not open again"; e2e_finish; }
focus "$editor"
sleep 0.5
xdotool key v mousemove $((ox + 300)) $((oy + 220)) click 1
sleep 0.2
xdotool key Delete ctrl+s
sleep 1
lines=$(tr -d '\r' <"$E2E_WORK/shot.bmp.zan" 2>/dev/null | cut -d' ' -f1 | tr '\n' ' ')
[ "$lines" = "ZAN rect arrow mark " ] && [ "$(check green)" = ok ] &&
    pass "reopened: the mask selected, deleted and saved" || fail "after reopening: $lines $(check green)"
xdotool key ctrl+z ctrl+s
sleep 1
xdotool key --clearmodifiers alt+F4
sleep 0.5

caption=$(export_workbook "$window" 30) || fail "the export gave no closing message"
[ "$caption" = 確認 ] || fail "the export ended with $caption"
result=$(/usr/bin/python3 - "$E2E_WORK/records.xlsx" <<'EOF'
import io, sys, zipfile
from PIL import Image
z = zipfile.ZipFile(sys.argv[1])
media = [n for n in z.namelist() if n.startswith("xl/media/")]
if len(media) != 1:
    print(f"{len(media)} pictures"); sys.exit()
im = Image.open(io.BytesIO(z.read(media[0]))).convert("RGB")
px = im.load()
off = sum(px[x, y] != (0, 0, 0) for x in range(250, 351) for y in range(180, 261))
print("ok" if im.size == (400, 300) and off == 0 else f"{im.size}, {off} mask pixels not black")
EOF
)
[ "$result" = ok ] && pass "the workbook's picture is masked" || fail "workbook picture: $result"

# Each editor save is an annotate event of the evidence log, which the
# history's save writes (closing would ask for it).
focus "$window"
xdotool key --clearmodifiers ctrl+s
for _ in $(seq 50); do [ -s "$E2E_WORK/records.zlog" ] && break; sleep 0.1; done
events=$(cut -f2-4 "$E2E_WORK/records.zlog" 2>/dev/null | tr -d '\r' | sort | uniq -c | awk '{ $1 = $1 } 1')
[ "$events" = "5 annotate 1 shot_ann.png
1 save 0 records.csv" ] && pass "the log: an annotate line per editor save, then the save" ||
    fail "log events: $(printf '%s' "$events" | tr '\n' '|')"

# A script's /quit while the editor holds unsaved changes is refused: no
# question comes up, and the editor keeps its frame until the user decides.
editor=$(open_editor) || { fail "the editor did not open for /quit"; e2e_finish; }
focus "$editor"
sleep 0.5
drag r 20 20 80 80
(cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe" /quit /result:quit.json \
    </dev/null >/dev/null 2>&1); rc=$?
sleep 0.5
[ $rc = 5 ] && jq -r .message "$E2E_WORK/quit.json" | grep -q 注釈 &&
    xdotool search --name "注釈 - shot.bmp" >/dev/null 2>&1 && ! xdotool search --name "^注釈\$" >/dev/null 2>&1 &&
    pass "/quit refused while the editor has unsaved changes" ||
    fail "/quit with unsaved annotations: rc $rc, $(cat "$E2E_WORK/quit.json" 2>/dev/null)"
focus "$editor"
xdotool key --clearmodifiers alt+F4
question=$(wait_for_window 注釈) && focus "$question" && xdotool key n
sleep 0.5
focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
