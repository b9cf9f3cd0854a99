#!/usr/bin/env bash
# A workbook past 2 GiB through the real Zelcap.exe: ten different JPEG
# pictures of 240 MiB each (headers, then zeros: sparse files, so that only
# the workbook takes disk), exported and read back with Python's zipfile.
# Every picture must be in the zip whole, at an offset past 2 GiB for the
# last ones.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

count=10
size=$((240 << 20))
/usr/bin/python3 - "$E2E_WORK" "$count" "$size" <<'EOF'
import struct, sys
folder, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(1, count + 1):
    comment = f"picture {i}".encode()
    head = (b"\xff\xd8" + b"\xff\xfe" + struct.pack(">H", len(comment) + 2) + comment
            + b"\xff\xc0" + struct.pack(">HBHHB", 17, 8, 1080, 1920, 3)
            + b"\x01\x22\x00\x02\x11\x01\x03\x11\x01"
            + b"\xff\xda" + struct.pack(">HB", 12, 3) + b"\x01\x00\x02\x11\x03\x11\x00\x3f\x00")
    with open(f"{folder}/big{i}.jpg", "wb") as f:
        f.write(head)
        f.truncate(size - 2)
        f.seek(size - 2)
        f.write(b"\xff\xd9")
EOF
for i in $(seq $count); do printf '2026/12/09 10:00:%02d,big %d,\\big%d.jpg,\n' "$i" "$i" "$i"; done |
    write_history "$E2E_WORK/big.csv"

start_zelcap
window=$(open_history "$E2E_WORK/big.csv") || { fail "the history did not open"; e2e_finish; }
caption=$(export_workbook "$window" 240)
[ "$caption" = 確認 ] && pass "the export of 2.3 GiB of pictures ended with its report" ||
    fail "the export ended with ${caption:-no message}"
if /usr/bin/python3 - "$E2E_WORK/big.xlsx" "$E2E_WORK" "$count" <<'EOF'; then
import sys, zipfile
path, folder, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
with zipfile.ZipFile(path) as z:
    media = sorted((i for i in z.infolist() if i.filename.startswith("xl/media/")),
                   key=lambda i: i.header_offset)
    assert len(media) == count, f"{len(media)} pictures in the zip"
    assert media[-1].header_offset > 2 ** 31, f"last picture at {media[-1].header_offset}"
    # Which picture is which shows in its comment segment.
    for info in media:
        with z.open(info) as got:
            head = got.read(64)
            n = int(head[6:6 + head[5] - 2].split(b" ")[1])
            with open(f"{folder}/big{n}.jpg", "rb") as want:
                assert want.read(64) == head, f"{info.filename}: not big{n}.jpg"
                while True:  # reading to the end checks the CRC too
                    a, b = got.read(1 << 22), want.read(1 << 22)
                    assert a == b, f"{info.filename} differs from big{n}.jpg"
                    if not a:
                        break
    print("zip ok:", count, "pictures, the last at", media[-1].header_offset)
EOF
    pass "every picture is in the workbook whole"
else
    fail "the workbook's zip"
fi
rm -f "$E2E_WORK"/big*.jpg "$E2E_WORK/big.xlsx"

focus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
