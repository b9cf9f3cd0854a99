#!/usr/bin/env bash
# Capture on a desktop of three monitors, one of them left of the primary
# one (negative coordinates): the whole virtual screen, the monitor under
# the pointer, a region dragged across the boundary, active windows on the
# left monitor, across two monitors and past the virtual screen's edge, and
# a recorded step across two monitors, each checked by pixels against the X
# screen; then the same desktop from the command line.
#
# Wine reports several monitors only through Xinerama, and only when the X
# server has no RandR (with RandR it takes its outputs, and Xvfb has one):
# this run has a display of its own, Xephyr with three Xinerama screens on
# an Xvfb, and a Wine prefix and wineserver of its own, so the shared test
# session is left as it is.
#   X (Xephyr root)          Windows
#   left  1024x768 at 0,0    -1024,0 .. 0,768
#   main  1280x1024 at 1024,0   0,0 .. 1280,1024 (primary)
#   right 800x600 at 2304,300   1280,300 .. 2080,900
export ZELCAP_PREFIX=multimon
. "$(dirname "$0")/e2e-lib.sh" "$1"
pixels() { python3 "$(dirname "$0")/monitor_pixels.py" "$@"; }
OFFSET_X=1024 # X root x of Windows x 0

XVFB_PID="" XEPHYR_PID=""
multimon_cleanup() {
    wineserver -k 2>/dev/null
    [ -n "$XEPHYR_PID" ] && kill "$XEPHYR_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    e2e_cleanup
}
trap multimon_cleanup EXIT

command -v Xephyr >/dev/null || { fail "Xephyr is not installed (tools/setup.sh installs it)"; e2e_finish; }
# Starts an X server with -displayfd; prints its display number and writes
# its pid to the file $1.
start_server() {
    local pidfile=$1 fifo n=""
    shift
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    "$@" -displayfd 3 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
    echo $! >"$pidfile"
    read -r -t 20 n <"$fifo"
    rm -f "$fifo"
    [ -n "$n" ] && echo "$n"
}
host=$(start_server "$E2E_WORK/xvfb.pid" Xvfb -screen 0 3200x1024x24)
XVFB_PID=$(cat "$E2E_WORK/xvfb.pid")
[ -n "$host" ] || { fail "no Xvfb for the monitors"; e2e_finish; }
n=$(DISPLAY=":$host" start_server "$E2E_WORK/xephyr.pid" Xephyr +xinerama -extension RANDR -ac \
    -origin 1024,0 -screen 1280x1024 -origin 0,0 -screen 1024x768 -origin 2304,300 -screen 800x600)
XEPHYR_PID=$(cat "$E2E_WORK/xephyr.pid")
[ -n "$n" ] || { fail "no Xephyr"; e2e_finish; }
export DISPLAY=":$n"
zelcap_ensure_prefix || { fail "no Wine prefix for the monitors"; e2e_finish; }

winwork="Z:${E2E_WORK//\//\\}"
# Ctrl+Shift (3) with A (65) and M (77) for the monitor kinds, R (82) for
# the region; the active window (kind 0) on F7 (118) and its frame kind
# (kind 2) on F9 (120), its marker kind (kind 4) on F10 (121), the whole
# screen (kind 1) on F8 (119); step
# recording on F12 (123); windows cut to the virtual screen.
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=mm' '画像ファイル開始番号=1' \
    'JPEGモード=0' '範囲外カット=0' '画面全体：修飾キー=3' '画面全体：キー=118' '画面全体：監視=1' \
    'Aウィンドウ：修飾キー=3' 'Aウィンドウ：キー=119' 'Aウィンドウ：監視=1' \
    '画面全体C：修飾キー=3' '画面全体C：キー=121' '画面全体C：監視=1' \
    '画面全体P：修飾キー=3' '画面全体P：キー=120' '画面全体P：監視=1' \
    '[Window]' 'X位置=300' 'Y位置=600' '幅=500' '高さ=380' \
    '[Capture_Ext]' '範囲指定修飾=3' '範囲指定キー=82' '範囲指定監視=1' \
    '全モニター修飾=3' '全モニターキー=65' '全モニター監視=1' \
    'マウスのモニター修飾=3' 'マウスのモニターキー=77' 'マウスのモニター監視=1' \
    'ステップ記録修飾=3' 'ステップ記録キー=123' 'ステップ記録監視=1' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

"$ZELCAP_WINE" "$ZELCAP_BUILD/monitor_target.exe" "$winwork" \
    mtLeft -900 100 300 200 2040C0 mtMain 700 100 300 200 20A040 mtRight 1400 400 300 200 C08020 \
    mtSpan -150 500 300 150 E0E000 mtEdge -1100 300 200 100 A020A0 >/dev/null 2>&1 </dev/null &
E2E_TARGET_PID=$!
for _ in $(seq 150); do [ -s "$E2E_WORK/monitors.txt" ] && break; sleep 0.1; done
reported=$(tr -d '\r' <"$E2E_WORK/monitors.txt" 2>/dev/null)
# Wine's X driver does without a library it cannot open, and sees one
# monitor without Xinerama's: "; missing for its X driver: libxinerama1:i386"
# names those of Wine's half in use (win32 the i386 packages, win64 the amd64 ones).
missing_x_libs() {
    local arch=amd64 p gone=()
    [ "$WINEARCH" = win32 ] && arch=i386
    while read -r p; do
        dpkg-query -W -f='${Status}' "$p:$arch" 2>/dev/null | grep -q 'install ok installed' ||
            gone+=("$p:$arch")
    done < <(bash "$(dirname "$0")/../../tools/wine-x-libs.sh")
    [ ${#gone[@]} -gt 0 ] &&
        printf '; missing for its X driver: %s (tools/setup.sh installs them)' "${gone[*]}"
}
echo "$reported"
if printf '%s\n' "$reported" | grep -qx 'virtual -1024 0 2080 1024' &&
    [ "$(printf '%s\n' "$reported" | grep -c '^monitor ')" = 3 ] &&
    printf '%s\n' "$reported" | grep -qx 'monitor -1024 0 0 768 0'; then
    pass "Wine reports three monitors, one at a negative offset"
else
    fail "Wine does not report the three monitors$(missing_x_libs)"
    e2e_finish
fi

start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no main window"; e2e_finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers ctrl+alt+s
sleep 1

shot=$E2E_WORK/screen.ppm
# The screen once it has settled: the window may still be drawing the last
# capture's row and picture on a loaded machine.
snap_stable() {
    import -window root -depth 8 "ppm:$shot"
    for _ in $(seq 20); do
        sleep 0.3
        import -window root -depth 8 "ppm:$shot.next"
        cmp -s "$shot" "$shot.next" && break
        mv "$shot.next" "$shot"
    done
    rm -f "$shot.next"
}
# The screen as it is, then the key; waits for the file $2.
snap_then() {
    xdotool mousemove "$3" "$4"
    sleep 0.8
    import -window root -depth 8 "ppm:$shot"
    xdotool key --clearmodifiers "$1"
    for _ in $(seq 50); do [ -s "$E2E_WORK/$2" ] && break; sleep 0.1; done
    sleep 0.3
}
# check WHAT FILE "W H" X Y: the file has that size and the X screen's
# pixels from (X, Y) on.
check_against_screen() {
    local size same
    size=$(pixels size "$E2E_WORK/$2" 2>&1)
    same=$(pixels compare "$E2E_WORK/$2" "$shot" "$4" "$5" 2>&1)
    if [ "$size" = "$3" ] && awk -v s="$same" 'BEGIN { exit !(s >= 0.99) }'; then
        pass "$1: $size, $same of the pixels as on the screen"
    else
        fail "$1: size '$size' (want $3), same as the screen: $same"
    fi
}
colour_at() { pixels pixel "$E2E_WORK/$1" "$2" "$3" 2>&1; }

# Pointer parked on the primary monitor, away from the windows.
snap_then ctrl+shift+a mm1.bmp $((OFFSET_X + 1200)) 50
check_against_screen "全モニター" mm1.bmp "3104 1024" 0 0
[ "$(colour_at mm1.bmp $((OFFSET_X - 900 + 10)) 110)" = 2040C0 ] &&
    [ "$(colour_at mm1.bmp $((OFFSET_X + 1400 + 10)) 410)" = C08020 ] &&
    pass "全モニター holds the windows of the left and the right monitor" ||
    fail "全モニター: left window $(colour_at mm1.bmp $((OFFSET_X - 890)) 110), right $(colour_at mm1.bmp $((OFFSET_X + 1410)) 410)"
[ "$(colour_at mm1.bmp 10 1000)" = 000000 ] && [ "$(colour_at mm1.bmp 3000 100)" = 000000 ] &&
    pass "what lies on no monitor is black" || fail "the gaps are not black"

snap_then ctrl+shift+m mm2.bmp $((OFFSET_X + 1700)) 800
check_against_screen "マウスのあるモニター (right)" mm2.bmp "800 600" $((OFFSET_X + 1280)) 300

# A region from the left monitor into the primary one.
xdotool mousemove $((OFFSET_X + 1200)) 50
sleep 0.5
import -window root -depth 8 "ppm:$shot"
xdotool key --clearmodifiers ctrl+shift+r
if overlay=$(wait_for_window "範囲指定"); then
    sleep 0.5
    xdotool mousemove $((OFFSET_X - 124)) 150 sleep 0.2 mousedown 1 sleep 0.2 \
        mousemove $((OFFSET_X + 20)) 250 sleep 0.2 mousemove $((OFFSET_X + 175)) 349 sleep 0.2 mouseup 1
    for _ in $(seq 50); do [ -s "$E2E_WORK/mm3.bmp" ] && break; sleep 0.1; done
    sleep 0.3
    check_against_screen "範囲指定 across the boundary" mm3.bmp "300 200" $((OFFSET_X - 124)) 150
else
    fail "no overlay after the region key"
fi

# Active windows: a click makes each the foreground window.
activate() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.5
}
activate $((OFFSET_X - 800)) 200
snap_then ctrl+shift+F7 mm4.bmp $((OFFSET_X - 800)) 200
check_against_screen "the active window on the left monitor" mm4.bmp "300 200" $((OFFSET_X - 900)) 100
[ "$(pixels solid "$E2E_WORK/mm4.bmp" 2040C0 2>&1)" = 1.0000 ] &&
    pass "the window at negative coordinates is the whole picture" ||
    fail "mm4.bmp is $(pixels solid "$E2E_WORK/mm4.bmp" 2040C0 2>&1) of the window's colour"
snap_then ctrl+shift+F9 mm5.bmp $((OFFSET_X - 800)) 200
[ "$(colour_at mm5.bmp 0 0)" = FF0000 ] && [ "$(colour_at mm5.bmp 150 100)" = 2040C0 ] &&
    pass "the frame is drawn with the pointer at negative coordinates" ||
    fail "mm5.bmp corner $(colour_at mm5.bmp 0 0), middle $(colour_at mm5.bmp 150 100)"

# The marker: a 20 x 20 block near the pointer, the rest the window.
snap_then ctrl+shift+F10 mm6.bmp $((OFFSET_X - 800)) 200
share=$(pixels solid "$E2E_WORK/mm6.bmp" 2040C0 2>&1)
awk -v s="$share" 'BEGIN { exit !(s >= 0.98 && s < 0.9995) }' &&
    pass "the marker is drawn with the pointer at negative coordinates ($share the window's colour)" ||
    fail "mm6.bmp: $share of the window's colour"

activate $((OFFSET_X + 100)) 550
snap_then ctrl+shift+F7 mm7.bmp $((OFFSET_X + 100)) 550
check_against_screen "a window across the left and the primary monitor" mm7.bmp "300 150" \
    $((OFFSET_X - 150)) 500
[ "$(pixels solid "$E2E_WORK/mm7.bmp" E0E000 2>&1)" = 1.0000 ] &&
    pass "the spanning window is captured whole" ||
    fail "mm7.bmp is $(pixels solid "$E2E_WORK/mm7.bmp" E0E000 2>&1) of the window's colour"

activate $((OFFSET_X - 1000)) 350
snap_then ctrl+shift+F7 mm8.bmp $((OFFSET_X - 1000)) 350
check_against_screen "範囲外カット=0 at the virtual screen's left edge" mm8.bmp "124 100" 0 300

# The whole-screen kind keeps to the primary monitor.
snap_then ctrl+shift+F8 mm9.bmp $((OFFSET_X + 1200)) 50
check_against_screen "スクリーン全体 on the primary monitor" mm9.bmp "1280 1024" $OFFSET_X 0

# A recorded step of the window across two monitors.
xdotool key --clearmodifiers ctrl+shift+F12
sleep 0.5
xdotool mousemove $((OFFSET_X + 100)) 600
sleep 0.5
import -window root -depth 8 "ppm:$shot"
xdotool click 1
for _ in $(seq 50); do [ -s "$E2E_WORK/mm10.bmp" ] && break; sleep 0.1; done
sleep 0.5
xdotool key --clearmodifiers ctrl+shift+F12
# The step's ring at the click is the only difference.
size=$(pixels size "$E2E_WORK/mm10.bmp" 2>&1)
same=$(pixels compare "$E2E_WORK/mm10.bmp" "$shot" $((OFFSET_X - 150)) 500 2>&1)
[ "$size" = "300 150" ] && awk -v s="$same" 'BEGIN { exit !(s >= 0.95) }' &&
    pass "a step of the window across two monitors takes it whole ($same as on the screen)" ||
    fail "step mm10.bmp: size '$size', same as the screen: $same"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
save_history_as "$window" "$winwork\\mm.csv" "$E2E_WORK/mm.csv" || fail "the history was not saved"
headings=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/mm.csv" 2>/dev/null | tr -d '\r' | tail -n +2 |
    head -n 9 | cut -d, -f2 | tr '\n' '|')
[ "$headings" = "ALL MONITORS|MONITOR 3|REGION|mtLeft|mtLeft|mtLeft|mtSpan|mtEdge|SCREEN|" ] &&
    pass "the records are headed ALL MONITORS, MONITOR 3, REGION, the windows' titles and SCREEN" ||
    fail "headings: $headings"
if ini_text | tr -d '\r' | grep -qxF '前回の範囲座標=-124,150,176,350'; then
    pass "the region at negative coordinates is kept in the settings"
else
    fail "INI: $(ini_text | tr -d '\r' | grep 前回の範囲座標)"
fi
# The command line on the same desktop: a region at negative coordinates
# (on the left monitor) is taken as the region key takes it, and the two
# monitor kinds of the hot keys can be asked for.
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
call() { (cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null 2>/dev/null); }
field() { jq -r "$2" "$E2E_WORK/$1" 2>/dev/null; }
# scripted WHAT RESULT "W H" X Y HEADING ARGUMENTS...: the call succeeds
# with that heading, and its file has that size and the X screen's pixels
# from (X, Y) on.
scripted() {
    local what=$1 result=$2 size=$3 x=$4 y=$5 heading=$6 rc file
    shift 6
    snap_stable
    call "$@" "/result:$result" >/dev/null; rc=$?
    file=$(field "$result" .file | tr '\\' '/' | sed 's|.*/||')
    if [ $rc = 0 ] && [ "$(field "$result" .heading)" = "$heading" ] && [ -n "$file" ]; then
        check_against_screen "$what" "$file" "$size" "$x" "$y"
    else
        fail "$what: rc $rc, $(cat "$E2E_WORK/$result" 2>/dev/null)"
    fi
}
xdotool mousemove $((OFFSET_X + 1200)) 50
scripted "/capture:region at negative coordinates" r1.json "200 150" $((OFFSET_X - 1000)) 50 \
    REGION /capture:region:-1000,50,200,150
scripted "/capture:all-monitors" r2.json "3104 1024" 0 0 "ALL MONITORS" /capture:all-monitors
xdotool mousemove $((OFFSET_X + 1700)) 800
scripted "/capture:mouse-monitor (right)" r3.json "800 600" $((OFFSET_X + 1280)) 300 \
    "MONITOR 3" /capture:mouse-monitor
xdotool mousemove $((OFFSET_X - 500)) 700
scripted "/capture:mouse-monitor (left)" r4.json "1024 768" 0 0 "MONITOR 2" /capture:mouse-monitor
call /capture:region:-3000,50,200,150 /result:r5.json >/dev/null; rc=$?
[ $rc = 5 ] && [ "$(field r5.json .error)" = refused ] &&
    pass "a region beyond every monitor is refused" ||
    fail "a region beyond every monitor: rc $rc, $(cat "$E2E_WORK/r5.json" 2>/dev/null)"
call /save >/dev/null || fail "the scripted records were not saved"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+F4
wait_for_exit; rc=$?
[ $rc = 0 ] && pass "closed cleanly" || fail "exit code $rc"
e2e_finish
