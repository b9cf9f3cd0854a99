#!/usr/bin/env bash
# The one-file HTML pack through the real Zelcap.exe under Wine against the
# specified HTML report of the same history, in the same run
# (docs/performance.md): COUNT different 1920 x 1080 JPEG files in a
# history (with its manifest, so that every digest is pinned), each round
# /report: then /pack:, each timed from the call to its answer. The peak
# resident memory of the window's process is reset before each call
# (/proc/PID/clear_refs) and read after it (VmHWM).
#   pack-exe-bench.sh BUILD_DIR [COUNT] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
ROOT=$(cd "$here/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
count=${2:-1000}
rounds=${3:-3}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
work=$(mktemp -d "$build/pack-bench.XXXXXX")
finish() {
    (cd "$work" && "$ZELCAP_WINE" cmd /c "$exe" /quit </dev/null >/dev/null 2>&1) || true
    "$here/wine-session.sh" stop "$build" >/dev/null
    rm -rf "$work"
}
trap finish EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"

mkdir -p "$ROOT/build/bench"
g++ -std=c++17 -O2 -I"$ROOT" -o "$ROOT/build/bench/workbook_pictures" \
    "$here/bench/workbook_pictures.cpp" -ljpeg
"$ROOT/build/bench/workbook_pictures" "$work" "$count"
# shellcheck source=tests/e2e/excel-lib.sh
. "$ROOT/tests/e2e/excel-lib.sh"
for i in $(seq "$count"); do printf '2026/12/09 10:00:00,screen %d,\\%d.jpg,\n' "$i" "$i"; done |
    write_history "$work/bench.csv"
(cd "$work" && sha256sum ./*.jpg | sed 's|  \./|  |' >bench.sha256)
bytes=$(cat "$work"/*.jpg | wc -c)
mkdir -p "$work/report"
printf '%s\r\n' '[HTML]' "出力先=$(winpath "$work/report")" 'ファイル名=bench' |
    iconv -f UTF-8 -t CP932 >"$work/Zelcap.ini"

exe="Z:${build//\//\\}\\Zelcap.exe"
call() { (cd "$work" && "$ZELCAP_WINE" cmd /c "$exe" /timeout:3600 "$@" </dev/null >/dev/null 2>&1); }
(cd "$work" && exec "$ZELCAP_WINE" "$build/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
wait_for_window() {
    for _ in $(seq 100); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}
wait_for_window "新規 - Zelcap Ver2.3" || { echo "bench: no window" >&2; exit 1; }
window=$(xdotool search --name "^新規 - Zelcap Ver2.3\$" | head -n 1)
focus "$window"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key o
wait_for_window "開くファイル名を指定して下さい" || { echo "bench: no open dialog" >&2; exit 1; }
sleep 0.5
xdotool type --delay 10 bench.csv
xdotool key Return
for _ in $(seq 300); do xdotool search --name "^bench.csv - " >/dev/null 2>&1 && break; sleep 0.2; done
pid=$(pgrep -f 'Zelcap.exe$' | head -n 1)

now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak() { awk '/^VmHWM/ { print int($2 / 1024) }' "/proc/$pid/status"; }
timed() {
    echo 5 >"/proc/$pid/clear_refs"
    local start
    start=$(now)
    call "$@" || { echo "bench: $1 failed" >&2; exit 1; }
    echo "$(( ($(now) - start) / 1000000 )) $(peak)"
}
reports=() packs=() reportPeaks=() packPeaks=()
for round in $(seq "$rounds"); do
    rm -rf "$work/report"/* "$work/bench.html"
    read -r ms mb < <(timed "/report:$(winpath "$work/report")\\bench.htm")
    reports+=("$ms") reportPeaks+=("$mb")
    read -r ms mb < <(timed "/pack:$(winpath "$work")\\bench.html")
    packs+=("$ms") packPeaks+=("$mb")
    echo "round $round: report ${reports[-1]} ms (peak ${reportPeaks[-1]} MB)," \
        "pack ${packs[-1]} ms (peak ${packPeaks[-1]} MB)"
done
report=$(median "${reports[@]}") pack=$(median "${packs[@]}")
echo "records $count, JPEG bytes $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB," \
    "pack $(wc -c <"$work/bench.html") bytes"
echo "median: report $report ms, pack $pack ms, ratio" \
    "$(awk -v a="$pack" -v b="$report" 'BEGIN { printf "%.2f", a / b }')," \
    "peak resident memory: report $(median "${reportPeaks[@]}") MB, pack $(median "${packPeaks[@]}") MB"
