#!/usr/bin/env bash
# Zelcap against its floors, side by side in one run under Wine on a
# 1920 x 1080 virtual screen (docs/performance.md). Each round runs every
# floor and Zelcap's driver for the same work, one after the other; the
# table gives the medians over the rounds and their ratio.
# Then it takes SOAK captures in a row and reports what they left behind.
#   bench.sh BUILD_DIR [ROUNDS] [SOAK] [bursts|cases|open|bmp]
#   (bursts: the hot-key bursts alone; cases: a 1000-record history opened
#   with and without its test cases, ROUNDS pairs; open: the open command's
#   figures alone; bmp: the BMP pairs alone)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?win32 build folder}" && pwd)
rounds=${2:-3}
soak=${3:-1000}
only=${4:-all}
export ZELCAP_BUILD=$build
. "$here/wine-env.sh"
"$here/wine-session.sh" start "$build" >/dev/null
zelcap_pid=""
finish() {
    [ -n "$zelcap_pid" ] && kill "$zelcap_pid" 2>/dev/null
    "$here/wine-session.sh" stop "$build" >/dev/null
}
trap finish EXIT
export DISPLAY=":$(cat "$ZELCAP_SESSION_DIR/display")"

data="$build/bench-data"
rm -rf "$data"
mkdir -p "$data"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
wdata=$(windows_path "$data")

# A thousand captures take minutes on a busy machine.
export ZELCAP_RUN_TIMEOUT=1800
run() {
    local out
    out=$("$here/wine-run.sh" "$build/$1.exe" "${@:2}" 2>&1) ||
        { printf '%s\n' "$out" >&2; echo "bench: $1 $2 failed" >&2; exit 1; }
    printf '%s\n' "$out" | tr -d '\r'
}
# The value of "name: value unit" in a program's output.
value() {
    printf '%s\n' "$2" | awk -v name="$1: " \
        'index($0, name) == 1 { split(substr($0, length(name) + 1), v, " "); print v[1] }'
}
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The figures of every round, by what was measured.
declare -A zelcap floor
add() {
    [ -n "$3" ] || { echo "bench: no figure for $2 from $1" >&2; exit 1; }
    if [ "$1" = zelcap ]; then zelcap[$2]+=" $3"; else floor[$2]+=" $3"; fi
}

run zelcap_bench prepare "$wdata" >/dev/null || { echo "bench: no data prepared" >&2; exit 1; }

if [ "$only" = cases ]; then
    echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
    run zelcap_bench cases "$wdata" "$rounds" | grep -v '^wine: '
    exit 0
fi

# A burst of hot keys: COUNT presses of Ctrl+Shift+F8, DELAY ms apart, typed
# into the scene that covers the screen; prints the milliseconds from the
# first press to the last file being complete (its EOI marker written).
complete() { [ -s "$1" ] && [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = ffd9 ]; }
burst() {
    local last=$1 delay=$2 count=$3 scene start typed end keys=()
    for _ in $(seq "$count"); do keys+=(ctrl+shift+F8); done
    (cd "$data" && exec "$ZELCAP_WINE" "$build/bench_scene.exe" 60 >/dev/null 2>&1 </dev/null) &
    scene=$!
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --name '^bench scene$' 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.1
    done
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 1
    start=$(date +%s%N)
    xdotool key --delay "$delay" "${keys[@]}"
    typed=$(date +%s%N)
    for _ in $(seq 5000); do complete "$last" && break; sleep 0.002; done
    end=$(date +%s%N)
    kill "$scene" 2>/dev/null; wait "$scene" 2>/dev/null || true
    complete "$last" || { echo "bench: $last was never written" >&2; return 1; }
    # First press -> last file; and the lag behind the keys: xdotool returns
    # half a delay after the last key's release, the same for both sides.
    echo $(( (end - start) / 1000000 )) $(( (end - typed) / 1000000 ))
}

# BURSTS bursts of 20 keys, DELAY ms apart, into one process: the history
# grows by 20 records a burst. One line a burst, as burst() prints it.
bursts=5
floor_burst() {
    local dir=$data/floor-$1 b
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && exec "$ZELCAP_WINE" "$build/floor_capture.exe" hotkeys "$(windows_path "$dir")" \
        $((20 * bursts)) >/dev/null 2>&1 </dev/null) &
    local pid=$!
    sleep 1
    for b in $(seq "$bursts"); do burst "$dir/f$((20 * b)).jpg" "$1" 20; done
    wait "$pid" || { echo "bench: the floor lost hot keys" >&2; return 1; }
}

zelcap_burst() {
    local dir=$data/zelcap-$1 window
    rm -rf "$dir"; mkdir -p "$dir"
    # Kind 1, the whole screen, on Ctrl+Shift+F8 (Shift 1 + Ctrl 2, F8 119).
    printf '%s\r\n' '[File_Set]' 'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
        "保存先=$(windows_path "$dir")" '画像ファイル名=z' '画像ファイル開始番号=1' 'JPEGモード=1' \
        'JPEG品質=75' '[Window]' 'X位置=0' 'Y位置=0' '幅=1200' '高さ=900' |
        iconv -f UTF-8 -t CP932 >"$dir/Zelcap.ini"
    (cd "$dir" && exec "$ZELCAP_WINE" "$build/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
    zelcap_pid=$!
    for _ in $(seq 100); do
        window=$(xdotool search --name '^新規 - Zelcap' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.2
    done
    # A loaded machine finds the window before it is mapped, and a key
    # typed then arms nothing.
    for _ in $(seq 50); do xdotool windowfocus --sync "$window" 2>/dev/null && break; sleep 0.2; done
    sleep 0.5
    xdotool key --clearmodifiers ctrl+alt+s
    sleep 0.5
    for b in $(seq "$bursts"); do burst "$dir/z$((20 * b)).jpg" "$1" 20; done
    sleep 0.5
    kill "$zelcap_pid" 2>/dev/null; wait "$zelcap_pid" 2>/dev/null || true
    zelcap_pid=""
}

# Both wrote the same pictures of the same screen, and nothing more.
same_files() {
    local z=$data/zelcap-$1 f=$data/floor-$1
    local n=$((20 * bursts))
    [ "$(ls "$z"/z*.jpg | wc -l)" = $n ] && [ "$(ls "$f"/f*.jpg | wc -l)" = $n ] || return 1
    for i in $(seq $n); do cmp -s "$z/z$i.jpg" "$f/f$i.jpg" || return 1; done
}

# One run of each side writing BMP files, in the order given; the ratio of
# the pair is kept too. A 6 MB capture here takes about 20 ms, and the load
# of the other builds on this machine moves it by as much within seconds:
# three short pairs a round, in alternating order, and the median of their
# ratios follow it more closely than the medians of longer runs far apart.
declare -A ratio
bmp_pair() {
    local side out z="" f=""
    # Both write new files (replacing a 6 MB file costs another amount),
    # each with none of the other's data still waiting to be written: a
    # write here takes several times as long once some tens of MB wait.
    rm -f "$data"/floor*.bmp "$data"/zb*.bmp
    for side in "$@"; do
        sync
        if [ "$side" = floor ]; then
            out=$(run floor_capture loop-bmp "$wdata" 10)
            f=$(value 'floor: hot key -> BMP file' "$out")
            add floor bmpfile "$f"
        else
            out=$(run zelcap_bench capture-bmp "$wdata" 10)
            z=$(value 'hot key -> BMP file' "$out")
            add zelcap bmpfile "$z"
            add zelcap bmpshown "$(value 'hot key -> BMP shown, 0 rows' "$out")"
        fi
    done
    ratio[bmpfile]+=" $(awk -v a="$z" -v b="$f" 'BEGIN { printf "%.4f", a / b }')"
    cmp -s "$data/zb1.bmp" "$data/floor1.bmp" ||
        { echo "bench: Zelcap's BMP file differs from the floor's" >&2; exit 1; }
}

# Every figure of a round but the bursts; `open` and `bmp` run their own
# part alone.
round_but_bursts() {
    if [ "$only" = bmp ]; then
        for order in "floor zelcap" "zelcap floor" "floor zelcap"; do bmp_pair $order; done
        return
    fi
    for records in 250 500 1000; do
        out=$(run zelcap_bench open "$wdata" "h$records.csv" 3)
        add zelcap "open$records" "$(value 'open from OK' "$out")"
        add zelcap "opened$records" "$(value "open from the dialog's end" "$out")"
        add zelcap "gone$records" "$(value "open from the dialog gone" "$out")"
        add zelcap "work$records" "$(value "open without the dialog: read, filled, painted" "$out")"
        size=$(printf '%s\n' "$out" | awk '/^list window/ { print $3 }')
        out=$(run floor_list "$wdata\\h$records.csv" 3 "${size%x*}" "${size#*x}")
        add floor "open$records" "$(value 'floor: fill with redraw off' "$out")"
        add floor "dialog$records" "$(value 'floor: open dialog OK, then fill with redraw off' "$out")"
    done
    # The same open with the text reading on, every picture read before.
    out=$(run zelcap_bench open-ocr "$wdata" h1000.csv 3)
    add zelcap ocropen1000 "$(value 'open from OK' "$out")"
    [ "$only" = open ] && return

    out=$(run zelcap_bench select "$wdata" h1000.csv 20)
    add zelcap select "$(value 'selection step' "$out")"
    size=$(printf '%s\n' "$out" | awk '/^view window/ { print $3 }')
    out=$(run floor_picture "$wdata" 40 20 "${size%x*}" "${size#*x}")
    add floor select "$(value 'floor: decode + paint' "$out")"

    out=$(run floor_capture loop "$wdata" 15)
    add floor grab "$(value 'floor: screen grab' "$out")"
    add floor file "$(value 'floor: hot key -> file' "$out")"
    out=$(run zelcap_bench capture "$wdata" 15)
    add zelcap file "$(value 'hot key -> file' "$out")"
    add zelcap shown "$(value 'hot key -> shown, 0 rows' "$out")"
    out=$(run zelcap_bench capture "$wdata" 8 h990.csv)
    add zelcap shown990 "$(value 'hot key -> shown, 990 rows' "$out")"

    for order in "floor zelcap" "zelcap floor" "floor zelcap"; do
        bmp_pair $order
    done

    out=$(run zelcap_bench queued "$wdata" 3)
    add zelcap queued "$(value '20 queued hot keys -> last picture shown, per key' "$out")"
    add floor queued "$(value '20 captures of the pipeline alone, per key' "$out")"
}

for round in $(seq "$rounds"); do
    echo "round $round of $rounds" >&2
    [ "$only" = bursts ] || round_but_bursts

    [ "$only" = all ] || [ "$only" = bursts ] || continue
    for delay in 50 20; do
        for side in floor zelcap; do
            b=0
            while read -r total lag; do
                b=$((b + 1))
                [ $b = 1 ] && add $side "burst$delay" "$total"
                add $side "lag$delay-$b" "$lag"
            done < <(${side}_burst $delay)
            [ $b = "$bursts" ] || { echo "bench: $side's bursts failed" >&2; exit 1; }
        done
        same_files $delay || { echo "bench: the bursts' files differ or are missing" >&2; exit 1; }
    done
done


row() {
    local z f
    [ -n "${zelcap[$2]:-}" ] || return 0
    z=$(median ${zelcap[$2]}); f=$(median ${floor[$3]:-})
    printf '| %s | %s ms | %s ms | %s | %s |\n' "$1" "$z" "$f" \
        "$(awk -v a="$z" -v b="$f" 'BEGIN { printf "%.2f", a / b }')" "$4"
}
echo
echo "| what | Zelcap | floor | ratio | goal |"
echo "|---|---|---|---|---|"
row "open a 1000-record history, the dialog gone -> painted; floor: the fill with redraw off (read, filled, painted)" \
    gone1000 open1000 "<= 1.5"
row "the same, OK -> painted; floor: the same open dialog, OK -> filled and painted" open1000 dialog1000 ""
row "the same, OK -> painted; floor: the fill with redraw off" open1000 open1000 ""
row "the same from the dialog's end (its teardown counted); floor: the fill with redraw off" opened1000 open1000 ""
row "the same without the dialog (read, filled, painted); floor: the fill" work1000 open1000 ""
row "the same with the text reading on (every picture read before); floor: the fill" ocropen1000 open1000 ""
row "open 500 records, OK -> painted; floor: the fill" open500 open500 ""
row "open 250 records, OK -> painted; floor: the fill" open250 open250 ""
row "selection step (Down -> next picture painted)" select select "<= 2"
row "hot key -> JPEG file, 1920 x 1080" file file "<= 1.15"
[ -n "${zelcap[bmpfile]:-}" ] && printf '| hot key -> BMP file, 1920 x 1080 (ratio: the median of the pairs) | %s ms | %s ms | %s | <= 1.15 |\n' \
    "$(median ${zelcap[bmpfile]})" "$(median ${floor[bmpfile]})" \
    "$(median ${ratio[bmpfile]} | awk '{ printf "%.2f", $1 }')"
[ -n "${ratio[bmpfile]:-}" ] && echo "BMP pairs (Zelcap / floor ratios):${ratio[bmpfile]}"
row "20 hot keys queued at once -> last picture shown, per key; floor: the pipeline alone" queued queued ""
row "20 hot keys 50 ms apart, first press -> last file" burst50 burst50 "<= 1.3"
row "20 hot keys 20 ms apart, first press -> last file" burst20 burst20 ""
for delay in 50 20; do
    for b in $(seq "$bursts"); do
        row "burst of 20 keys $delay ms apart onto $((20 * b - 20)) rows: last key -> last file" \
            "lag$delay-$b" "lag$delay-$b" ""
    done
done
if [ "$only" = all ]; then
    printf '| hot key -> picture shown, empty list | %s ms | | | |\n' "$(median ${zelcap[shown]})"
    printf '| hot key -> picture shown, 990 rows | %s ms | | | |\n' "$(median ${zelcap[shown990]})"
    printf '| hot key -> BMP picture shown, empty list | %s ms | | | |\n' "$(median ${zelcap[bmpshown]})"
    printf '| screen grab alone (BitBlt) | | %s ms | | |\n' "$(median ${floor[grab]})"
fi
if [ "$only" = bursts ]; then
    echo "bursts: no file lost, every file byte-identical to the floor's"
elif [ "$only" = all ]; then
    echo "bursts: no file lost, every file byte-identical to the floor's; the BMP files too"
fi
if [ "$soak" -gt 0 ]; then
    run zelcap_bench soak "$wdata" "$soak"
fi
