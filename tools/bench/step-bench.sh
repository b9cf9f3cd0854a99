#!/usr/bin/env bash
# Step recording timed under Wine on the 1920 x 1080 virtual screen: Zelcap
# records steps (BMP; SCOPE screen: the whole screen, window: the clicked
# window) while COUNT clicks GAP seconds apart land on the test window;
# each step logs the milliseconds from the press to the pixels taken and to
# the file written (ZELCAP_STEP_TIMING, which only the benchmark build of
# `make bench-steps` reads). The floor, taken in the same run by the same
# process, is one bare grab of the whole screen without the hook, the
# queue or the file. With HANG "hang", the first click hangs the test
# program's other window for eight seconds and the COUNT clicks follow it
# at once; the hung step is reported on its own.
#   step-bench.sh BUILD_DIR [COUNT] [GAP] [SCOPE] [HANG]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
count=${2:-20}
gap=${3:-0.3}
scope=${4:-screen}
hang=${5:-}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
pids=()
finish() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    "$here/wine-session.sh" stop "$build" >/dev/null
}
trap finish EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"
mkdir -p "$build/wine-work"
work=$(mktemp -d "$build/wine-work/step-bench.XXXXXX")
wwork="Z:${work//\//\\}"
printf '%s\r\n' '[File_Set]' "保存先=$wwork" '画像ファイル名=b' 'JPEGモード=0' \
    '[Window]' 'X位置=0' 'Y位置=0' '幅=400' '高さ=560' '[Capture_Ext]' \
    "ステップ記録範囲=$([ "$scope" = screen ] && echo 1 || echo 0)" |
    iconv -f UTF-8 -t CP932 >"$work/Zelcap.ini"
"$ZELCAP_WINE" "$build/step_target.exe" "$wwork" >/dev/null 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/targets.txt" ] && break; sleep 0.1; done
read -r _ wl wt _ _ < <(grep '^window ' "$work/targets.txt")
read -r _ hgx hgy < <(grep '^hang ' "$work/targets.txt")
(cd "$work" && ZELCAP_STEP_TIMING="$wwork\\timing.txt" exec "$ZELCAP_WINE" "$build/Zelcap.exe" \
    >/dev/null 2>&1 </dev/null) &
pids+=($!)
for _ in $(seq 100); do xdotool search --name '^新規 - Zelcap Ver2.3$' >/dev/null 2>&1 && break; sleep 0.2; done
window=$(xdotool search --name '^新規 - Zelcap Ver2.3$' | head -n 1)
xdotool windowfocus "$window"
sleep 0.5
xdotool key --clearmodifiers alt+c
sleep 0.3
xdotool key r
sleep 1
total=$count
if [ "$hang" = hang ]; then
    xdotool mousemove "$hgx" "$hgy" click 1 sleep 0.2
    total=$((count + 1))
fi
for i in $(seq 0 $((count - 1))); do
    xdotool mousemove $((wl + 40 + (i % 10) * 36)) $((wt + 200 + (i / 10) * 30)) click 1 sleep "$gap"
done
for _ in $(seq 100); do [ "$(grep -c '^[0-9]' "$work/timing.txt" 2>/dev/null)" -ge "$total" ] && break; sleep 0.2; done
python3 - "$work/timing.txt" "$total" "$hang" <<'PY'
import statistics, sys
lines = [l.split() for l in open(sys.argv[1])]
floor = [float(l[1]) for l in lines if l[0] == "floor"]
steps = [l for l in lines if l[0] != "floor"]
if len(steps) < int(sys.argv[2]) or not floor:
    sys.exit(f"step-bench: {len(steps)} steps logged of {sys.argv[2]}")
if [int(l[0]) for l in steps] != list(range(1, len(steps) + 1)):
    sys.exit("step-bench: steps written out of order: " + " ".join(l[0] for l in steps))
if sys.argv[3] == "hang":
    print(f"the hung program's step: press -> file written {float(steps[0][3]):.1f} ms")
    steps = steps[1:]
print(f"slowest press -> file written: {max(float(l[3]) for l in steps):.1f} ms")
size = f"{steps[0][4]} x {steps[0][5]}"
grab = statistics.median(float(l[1]) for l in steps)
hook = statistics.median(float(l[2]) for l in steps)
file_ = statistics.median(float(l[3]) for l in steps)
print(f"steps {len(steps)}, picture {size}")
print(f"floor: bare whole-screen grab {floor[0]:.1f} ms")
print(f"press -> pixels taken: {grab:.1f} ms (median; in the hook {hook:.1f} ms), {grab / floor[0]:.2f} x the floor")
print(f"press -> file written: {file_:.1f} ms (median), {file_ / floor[0]:.2f} x the floor")
PY
rm -rf "$work"
