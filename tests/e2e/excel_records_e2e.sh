#!/usr/bin/env bash
# Records of other origins through the real Zelcap.exe, as a user's history
# may hold them, exported and read back with openpyxl: a picture named
# a#b.jpg whose description file is named by a full path and has a line
# longer than a cell holds; a top-down BMP (also shown in the image pane);
# two files with the same picture, and one of their size with another.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

printf '%s\r\n' '[Window]' 'X位置=0' 'Y位置=0' '幅=960' '高さ=720' '項目１幅=160' '項目２幅=260' \
    '項目３幅=150' '項目４幅=90' | iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
mkdir -p "$E2E_WORK/notes"
/usr/bin/python3 - "$E2E_WORK" <<'EOF'
import io, struct, sys
from PIL import Image
folder = sys.argv[1]
def jpeg(size, colour, comment):
    out = io.BytesIO()
    Image.new("RGB", size, colour).save(out, "JPEG", quality=90)
    data = out.getvalue()
    # A comment segment right after SOI: same length, different bytes.
    return data[:2] + b"\xff\xfe" + struct.pack(">H", len(comment) + 2) + comment + data[2:]
open(f"{folder}/a#b.jpg", "wb").write(jpeg((200, 100), (200, 40, 40), b"hash"))
for name in ("dup1", "dup2"):
    open(f"{folder}/{name}.jpg", "wb").write(jpeg((64, 48), (40, 200, 40), b"AAAA"))
open(f"{folder}/twin.jpg", "wb").write(jpeg((64, 48), (40, 200, 40), b"BBBB"))
# 120 x 80, dark blue over a dark red bottom half; stored top-down.
picture = Image.new("RGB", (120, 80), (20, 20, 120))
picture.paste((120, 20, 20), (0, 40, 120, 80))
out = io.BytesIO()
picture.save(out, "BMP")
bmp = bytearray(out.getvalue())
offset, stride = struct.unpack_from("<I", bmp, 10)[0], (120 * 3 + 3) // 4 * 4
rows = [bmp[offset + r * stride:offset + (r + 1) * stride] for r in range(80)]
bmp[offset:] = b"".join(reversed(rows))
struct.pack_into("<i", bmp, 22, -80)
open(f"{folder}/top.bmp", "wb").write(bmp)
text = "第一行\r\n" + "x" * 40000 + "\r\n最後"
open(f"{folder}/notes/full.txt", "wb").write(text.encode("cp932"))
EOF
notes=$(winpath "$E2E_WORK/notes/full.txt")
write_history "$E2E_WORK/records.csv" <<EOF
2026/12/09 10:00:01,ハッシュ,\\a#b.jpg,$notes
2026/12/09 10:00:02,上から下,\\top.bmp,
2026/12/09 10:00:03,同じ一,\\dup1.jpg,
2026/12/09 10:00:04,同じ二,\\dup2.jpg,
2026/12/09 10:00:05,同じ大きさ,\\twin.jpg,
EOF

start_zelcap
window=$(open_history "$E2E_WORK/records.csv") || { fail "the history did not open"; e2e_finish; }

# The top-down BMP in the image pane: the second row, selected from the first.
focus "$window"
xdotool mousemove --window "$window" 80 130 click 1
sleep 0.3
xdotool key --clearmodifiers Home Down
sleep 0.8
import -display "$DISPLAY" -window root -crop 100x60+30+420 +repage "$E2E_WORK/pane.png"
colours=$(convert "$E2E_WORK/pane.png" -crop 100x20+0+0 -scale 1x1! -format '%[fx:int(255*r)] %[fx:int(255*b)] ' info:
    convert "$E2E_WORK/pane.png" -crop 100x20+0+40 -scale 1x1! -format '%[fx:int(255*r)] %[fx:int(255*b)]' info:)
read -r top_r top_b bottom_r bottom_b <<<"$colours"
if [ "$top_b" -gt 90 ] && [ "$top_r" -lt 60 ] && [ "$bottom_r" -gt 90 ] && [ "$bottom_b" -lt 60 ]; then
    pass "the image pane shows the top-down BMP the right way up"
else
    fail "image pane: top red/blue $top_r/$top_b, bottom $bottom_r/$bottom_b (blue over red expected)"
fi

caption=$(export_workbook "$window" 60)
[ "$caption" = 確認 ] && pass "the export ended with its report" ||
    fail "the export ended with ${caption:-no message}"
if /usr/bin/python3 - "$E2E_WORK/records.xlsx" "$E2E_WORK" <<'EOF'; then
import re, sys, zipfile
import openpyxl
path, folder = sys.argv[1], sys.argv[2]
failures = []
def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: got {str(got)[:120]!r}, want {str(want)[:120]!r}")
book = openpyxl.load_workbook(path)
cover = book["表紙"]
sheets = [book[n] for n in book.sheetnames[1:]]
expect("sheets", len(sheets), 5)
link = cover["D5"].hyperlink
expect("cover D5", cover["D5"].value, "a#b.jpg")
expect("cover D5 link target", link.target.rsplit("\\", 1)[-1] if link else None, "a%23b.jpg")
expect("cover D5 link location", link.location if link else None, None)
expect("cover E5", cover["E5"].value, "第一行")
# Picture 200 x 100 at row 4: five rows, the description from row 10.
lines = [sheets[0].cell(row=r, column=1).value for r in range(10, 15)]
expect("description cells", [len(l) if l else 0 for l in lines], [3, 32767, 7233, 2, 0])
expect("the long line whole", "".join(l or "" for l in lines[1:3]), "x" * 40000)
expect("last line", lines[3], "最後")
pictures = {ws.title: [(i.anchor._from.row, i.anchor._from.col, i.width, i.height) for i in ws._images]
            for ws in sheets}
expect("top-down BMP", pictures[sheets[1].title], [(3, 0, 120, 80)])
with zipfile.ZipFile(path) as z:
    drawing = z.read("xl/drawings/drawing2.xml").decode() if pictures[sheets[1].title] else ""
# The size the sheet gives it, from its height's magnitude: 120 x 80 px.
expect("top-down BMP size", re.findall(r'<a:ext cx="(\d+)" cy="(\d+)"', drawing), [("1143000", "762000")])
expect("top-down BMP cell", sheets[1]["A4"].value, None)
with zipfile.ZipFile(path) as z:
    media = sorted(z.read(n) for n in z.namelist() if n.startswith("xl/media/"))
files = sorted(open(f"{folder}/{n}", "rb").read() for n in ("a#b.jpg", "top.bmp", "dup1.jpg", "twin.jpg"))
expect("stored pictures (the same picture once, its twin apart)", media == files, True)
for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
EOF
    pass "openpyxl: link, split description, top-down BMP and stored pictures as expected"
else
    fail "openpyxl checks"
fi

focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
