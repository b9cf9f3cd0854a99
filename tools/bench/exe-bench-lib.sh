# Shared by the benchmarks of the real Zelcap.exe (workbook-exe-bench.sh,
# report-exe-bench.sh), sourced with their arguments BUILD_DIR [COUNT]
# [ROUNDS]: the test session of that build, a work folder in it, Zelcap
# started there, and the figures' arithmetic. Sets build, count, rounds,
# work and DISPLAY; stops the session on exit.
build=$(cd "${1:?win32 build folder}" && pwd)
count=${2:-1000}
rounds=${3:-3}
export ZELCAP_BUILD=$build
. "$(dirname "${BASH_SOURCE[0]}")/../wine-env.sh"
"$(dirname "${BASH_SOURCE[0]}")/../wine-session.sh" start "$ZELCAP_BUILD" >/dev/null
work=$(mktemp -d "$ZELCAP_BUILD/exe-bench.XXXXXX")
E2E_PID=""
exe_bench_finish() {
    # Under set -e a failed kill (Zelcap already gone) would end the trap
    # before the rm, leaving the 1.5 GB of pictures behind each run.
    if [ -n "$E2E_PID" ]; then kill "$E2E_PID" 2>/dev/null || true; fi
    "$(dirname "${BASH_SOURCE[0]}")/../wine-session.sh" stop "$ZELCAP_BUILD" >/dev/null || true
    rm -rf "$work"
}
trap exe_bench_finish EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"
E2E_WORK=$work
start_zelcap() {
    (cd "$work" && exec "$ZELCAP_WINE" "$ZELCAP_BUILD/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
    E2E_PID=$!
}
wait_for_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --name "^$(printf '%s' "$1" | sed 's/[][\.*^$]/\\&/g')\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
# shellcheck source=tests/e2e/excel-lib.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/excel-lib.sh"

now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# make_pictures COUNT: COUNT different 1920 x 1080 JPEG files 1.jpg ... in
# the work folder (BENCH_PICTURES=plain: the quieter ones) and bench.csv, a
# history of one record each. BENCH_MANIFEST=1: the history's manifest
# beside it, as Zelcap saves one, so that an export takes every picture's
# digest from it instead of hashing the file.
make_pictures() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    mkdir -p "$root/build/bench"
    g++ -std=c++17 -O2 -I"$root" -o "$root/build/bench/workbook_pictures" \
        "$root/tools/bench/workbook_pictures.cpp" -ljpeg
    "$root/build/bench/workbook_pictures" "$work" "$1" ${BENCH_PICTURES:-}
    for i in $(seq "$1"); do printf '2026/12/09 10:00:00,screen %d,\\%d.jpg,\n' "$i" "$i"; done |
        write_history "$work/bench.csv"
    if [ -n "${BENCH_MANIFEST:-}" ]; then
        (cd "$work" && sha256sum ./*.jpg | sed 's|  \./|  |' >bench.sha256)
    fi
}

# wait_for_box: waits for the closing message (確認 or エラー) and prints
# its id. Asked every 50 ms: an xdotool started every 10 ms took a good part
# of one of the two cores from the export it timed.
wait_for_box() {
    local box
    for _ in $(seq 100000); do
        box=$(xdotool search --name '^(確認|エラー)$' 2>/dev/null | head -n 1) && [ -n "$box" ] &&
            { echo "$box"; return 0; }
        sleep 0.05
    done
    return 1
}

# answer_box BOX WHAT: answers the closing message; fails unless it was 確認.
answer_box() {
    local name
    name=$(xdotool getwindowname "$1")
    # The box may still be mapping when found.
    sleep 0.3
    focus "$1" || true
    xdotool key Return
    [ "$name" = 確認 ] || { echo "bench: $2 ended with $name" >&2; return 1; }
}

# timed_tool WINDOW KEY CAPTION [FILE]: ツール → the item of access key KEY,
# then 出力 (Alt+S) in its dialog CAPTION; prints the ms from the key to the
# closing message, which it answers (failing unless it was 確認). With FILE,
# the ms from the key to FILE complete go to $work/.done: the closing
# message is found by asking every 50 ms, the file's end is told at once.
timed_tool() {
    local dialog start end box watcher="" done
    focus "$1" || true
    xdotool key --clearmodifiers alt+t
    sleep 0.3
    xdotool key "$2"
    dialog=$(wait_for_window "$3") || { echo "bench: no $3 dialog" >&2; return 1; }
    # A loaded machine finds the dialog before it is mapped.
    for _ in $(seq 50); do focus "$dialog" 2>/dev/null && break; sleep 0.2; done
    sleep 0.5
    if [ -n "${4:-}" ]; then
        exec {watcher}< <(exec python3 "$(dirname "${BASH_SOURCE[0]}")/file_done.py" \
            "$(dirname "$4")" "$(basename "$4")")
        read -r -u "$watcher" _ || { echo "bench: no watch on $4" >&2; return 1; }
    fi
    start=$(now)
    xdotool key --clearmodifiers alt+s
    box=$(wait_for_box) || { echo "bench: no closing message after $3" >&2; return 1; }
    end=$(now)
    if [ -n "$watcher" ]; then
        read -r -t 5 -u "$watcher" done || { echo "bench: $4 was not written" >&2; return 1; }
        exec {watcher}<&-
        echo $(((done - start) / 1000000)) >"$work/.done"
    fi
    answer_box "$box" "$3" || return 1
    echo $(((end - start) / 1000000))
}
