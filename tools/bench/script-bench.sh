#!/usr/bin/env bash
# A scripted capture against the hot key, in one run under Wine on a
# 1920 x 1080 virtual screen (docs/performance.md). One Zelcap window, armed
# with Ctrl+Shift+F8 for the whole screen (JPEG), takes ROUNDS rounds of:
#   - the hot key: the press to the JPEG file complete (EOI written);
#   - a scripted call: `cmd /c Zelcap.exe /capture:screen /result:...` from
#     the start of cmd to the result file written;
#   - a process start: the same cmd with a bad kind, which Zelcap refuses
#     before it looks for the window.
# It prints the median of each and (call - process start) / hot key.
#   script-bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-15}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
data="$build/bench-script"
finish() {
    (cd "$data" && "$ZELCAP_WINE" cmd /c "$exe" /quit >/dev/null 2>&1 </dev/null) || true
    "$here/wine-session.sh" stop "$build" >/dev/null
}
trap finish EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"

rm -rf "$data"
mkdir -p "$data"
wdata="Z:${data//\//\\}"
exe="Z:${build//\//\\}\\Zelcap.exe"
printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    "保存先=$wdata" '画像ファイル名=b' '画像ファイル開始番号=1' 'JPEGモード=1' \
    '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=400' |
    iconv -f UTF-8 -t CP932 >"$data/Zelcap.ini"

call() { (cd "$data" && "$ZELCAP_WINE" cmd /c "$exe" "$@" >/dev/null 2>&1 </dev/null); }
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
complete() { [ -s "$1" ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = ffd9 ]; }

# The first call starts the window and arms it.
call /arm /result:arm.json || { echo "script-bench: /arm failed: $(cat "$data/arm.json")" >&2; exit 1; }
window=$(xdotool search --name '^新規 - Zelcap' | head -n 1)
number=1
hot=() scripted=() started=()
for round in $(seq 0 "$rounds"); do
    # The hot key: the window in front, as a user would have it.
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.3
    start=$(date +%s%N)
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 5000); do complete "$data/b$number.jpg" && break; sleep 0.002; done
    t=$(ms_since "$start")
    complete "$data/b$number.jpg" || { echo "script-bench: no file from the hot key" >&2; exit 1; }
    number=$((number + 1))
    sleep 0.3

    start=$(date +%s%N)
    call /capture:screen "/result:c$round.json" || { echo "script-bench: call failed" >&2; exit 1; }
    c=$(ms_since "$start")
    [ -s "$data/c$round.json" ] || { echo "script-bench: no result file" >&2; exit 1; }
    complete "$data/b$number.jpg" || { echo "script-bench: no file from the call" >&2; exit 1; }
    number=$((number + 1))
    sleep 0.3

    start=$(date +%s%N)
    call /capture:none || true
    s=$(ms_since "$start")
    # Round 0 warms up.
    if [ "$round" -gt 0 ]; then hot+=("$t"); scripted+=("$c"); started+=("$s"); fi
done
h=$(median "${hot[@]}")
c=$(median "${scripted[@]}")
s=$(median "${started[@]}")
echo "hot key -> JPEG file: $h ms"
echo "scripted call, cmd start -> result file: $c ms"
echo "process start (cmd + Zelcap.exe refusing a bad kind): $s ms"
awk -v h="$h" -v c="$c" -v s="$s" 'BEGIN { printf "(call - process start) / hot key: %.2f\n", (c - s) / h }'
