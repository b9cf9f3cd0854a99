#!/usr/bin/env bash
# ツール → 証跡の検証 through the real Zelcap.exe on a history whose manifest
# was written by GNU sha256sum and whose chained log by this script: after
# one picture is altered by one byte and another deleted, the list names
# exactly those two. Without a manifest the command offers to make one.
. "$(dirname "$0")/e2e-lib.sh" "$1"
. "$(dirname "$0")/excel-lib.sh"

/usr/bin/python3 - "$E2E_WORK" <<'PY'
import hashlib, sys
from PIL import Image
folder = sys.argv[1]
for i, name in enumerate("abc"):
    Image.new("RGB", (40, 30), (60 * i, 100, 200)).save(f"{folder}/{name}.bmp", "BMP")
previous = "0" * 64
lines = []
for record, name in enumerate("abc", 1):
    digest = hashlib.sha256(open(f"{folder}/{name}.bmp", "rb").read()).hexdigest()
    line = f"2026/12/09 10:00:0{record}\tcapture\t{record}\t{name}.bmp\t{digest}\t{previous}"
    previous = hashlib.sha256(line.encode()).hexdigest()
    lines.append(line)
open(f"{folder}/records.zlog", "wb").write("".join(l + "\r\n" for l in lines).encode())
PY
(cd "$E2E_WORK" && sha256sum a.bmp b.bmp c.bmp >records.sha256)
write_history "$E2E_WORK/records.csv" <<EOF
2026/12/09 10:00:01,一,\\a.bmp,
2026/12/09 10:00:02,二,\\b.bmp,
2026/12/09 10:00:03,三,\\c.bmp,
EOF

probe() { "$ZELCAP_WINE" "$ZELCAP_BUILD/focus_probe.exe" "$1" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
edit_lines() { probe edits | sed -n 's/^edit [0-9]* //p'; }

# ツール → 証跡の検証 in the main window $1; waits for the window of that
# caption (the list, or the question of a history without a manifest).
run_verify() {
    focus "$1"
    xdotool key --clearmodifiers alt+t
    sleep 0.3
    xdotool key v
    wait_for_window "証跡の検証"
}

start_zelcap
window=$(open_history "$E2E_WORK/records.csv") || { fail "the history did not open"; e2e_finish; }
printf 'X' | dd of="$E2E_WORK/b.bmp" bs=1 seek=100 conv=notrunc 2>/dev/null
rm "$E2E_WORK/c.bmp"
tab=$'\t'
run_verify "$window" >/dev/null || fail "no verify list"
sleep 0.5
list=$(edit_lines)
expected="一致${tab}1${tab}画像${tab}a.bmp
変更あり${tab}2${tab}画像${tab}b.bmp
見つかりません${tab}3${tab}画像${tab}c.bmp
ログの連鎖: 正常"
if [ "$list" = "$expected" ]; then
    pass "the list names the altered and the deleted picture and nothing else"
else
    fail "the list: $(printf '%s' "$list" | tr '\t\n' '>|')"
fi
xdotool key Escape
sleep 0.5

rm "$E2E_WORK/records.sha256"
box=$(run_verify "$window") || fail "no question for a history without a manifest"
sleep 0.5
if probe texts | grep -q '^box 証跡の検証: この履歴には証跡ファイル（.sha256）がありません。'; then
    pass "a history without a manifest is asked about"
else
    fail "no question: $(probe texts | grep '^box' | tr '\n' '|')"
fi
focus "$box"
xdotool key y
for _ in $(seq 50); do [ -s "$E2E_WORK/records.sha256" ] && break; sleep 0.2; done
sleep 1
list=$(edit_lines)
if grep -q '^# zelcap: made afterwards' "$E2E_WORK/records.sha256" &&
    printf '%s\n' "$list" | grep -qx "一致${tab}2${tab}画像${tab}b.bmp${tab}（後から作成）"; then
    pass "the manifest made afterwards is written, marked, and checked"
else
    fail "made afterwards: $(tr '\n' '|' <"$E2E_WORK/records.sha256") / $(printf '%s' "$list" | tr '\t\n' '>|')"
fi
xdotool key Escape
e2e_finish
