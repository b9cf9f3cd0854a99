#!/usr/bin/env bash
# Photographs Zelcap for the documentation on a private virtual display:
#   docs-shots.sh BUILD_DIR first-steps OUT.png
#       the starter settings after three captures, with the steps numbered
#   docs-shots.sh BUILD_DIR labels WIDTHxHEIGHT OUT.png
#       the main window filling a screen of that size and its 設定 tab, and
#       below them the four pages of the settings sheet, to read every label
#       under Wine's fonts
#   docs-shots.sh BUILD_DIR dialogs OUT.png
#       after one capture: the settings sheet's 拡張キャプチャー page, the
#       HTML出力 and Excel出力 dialogs and the text-file dialog, side by side
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ZELCAP_BUILD=$(cd "${1:?build folder}" && pwd)
what=${2:?first-steps, labels or dialogs}
ZELCAP_PREFIX=docs
. "$ROOT/tools/wine-env.sh"
case $what in
first-steps | dialogs) ZELCAP_SCREEN_GEOMETRY=1366x768; out=${3:?output} ;;
labels) ZELCAP_SCREEN_GEOMETRY=${3:?screen size}; out=${4:?output} ;;
*) echo "docs-shots: first-steps, labels or dialogs" >&2; exit 2 ;;
esac
work=$(mktemp -d)
xvfb_pid="" wine_pid=""
cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
read -r n xvfb_pid < <(zelcap_start_xvfb) || { echo "docs-shots: no display" >&2; exit 1; }
export DISPLAY=":$n"
zelcap_ensure_prefix || exit 1
cp "$ROOT/resources/starter/Zelcap.ini" "$work/Zelcap.ini"
(cd "$work" && exec "$ZELCAP_WINE" "$ZELCAP_BUILD/Zelcap.exe" >/dev/null 2>&1 </dev/null) &
wine_pid=$!

window_named() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
main=$(window_named "新規 - Zelcap Ver2.3") || { echo "docs-shots: no main window" >&2; exit 1; }
sleep 1
grab() { import -window root "$1"; }

if [ "$what" = first-steps ]; then
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key --clearmodifiers ctrl+alt+s
    sleep 0.5
    for n in 1 2 3; do
        xdotool key --clearmodifiers ctrl+shift+F8
        for _ in $(seq 50); do [ -s "$work/capture$n.jpg" ] && break; sleep 0.1; done
        sleep 0.5
    done
    sleep 1
    grab "$work/screen.png"
    # The numbers, beside what they point at: 1 arm (the capture button),
    # 2 capture (the status bar says it is armed), 3 the list, 4 save (the
    # save button), 5 report (the report button).
    mark() { echo "fill #d02020 stroke white circle $1,$2 $(($1 + 10)),$2 stroke none fill white text $(($1 - 4)),$(($2 + 5)) '$3'"; }
    convert "$work/screen.png" -crop 920x670+223+49 +repage \
        -font DejaVu-Sans-Bold -pointsize 15 \
        -draw "$(mark 203 95 1)" -draw "$(mark 126 648 2)" -draw "$(mark 470 200 3)" \
        -draw "$(mark 86 65 4)" -draw "$(mark 258 65 5)" \
        -strip +dither -colors 128 "$out"
elif [ "$what" = dialogs ]; then
    # One record, so that the report commands are enabled and the text-file
    # dialog has a row to serve.
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key --clearmodifiers ctrl+alt+s
    sleep 0.5
    xdotool key --clearmodifiers ctrl+shift+F8
    for _ in $(seq 50); do [ -s "$work/capture1.jpg" ] && break; sleep 0.1; done
    sleep 1
    # Photographs the window of that caption, then closes it with Escape.
    shoot() {
        local id
        id=$(window_named "$1") || { echo "docs-shots: no window $1" >&2; exit 1; }
        sleep 1
        eval "$(xdotool getwindowgeometry --shell "$id")"
        grab "$work/screen.png"
        convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$2.png"
        xdotool key --clearmodifiers Escape
        sleep 0.7
    }
    menu() {
        xdotool windowfocus --sync "$main" 2>/dev/null
        xdotool key --clearmodifiers alt+t
        sleep 0.3
        xdotool key "$1"
    }
    menu o
    shoot "HTML出力" report
    menu x
    shoot "Excel出力" excel
    # The extras page's tab, in the upper row of the sheet's two (from the
    # sheet's top left corner).
    menu e
    sheet=$(window_named "環境設定") || { echo "docs-shots: no settings sheet" >&2; exit 1; }
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$sheet")"
    xdotool mousemove $((X + 232)) $((Y + 38)) sleep 0.3 click 1
    sleep 0.7
    shoot "環境設定" extras
    # Description files belong to a named history: saved as history.csv.
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key --clearmodifiers alt+f
    sleep 0.3
    xdotool key a
    save=$(window_named "保存するファイル名を指定して下さい") || { echo "docs-shots: no save dialog" >&2; exit 1; }
    sleep 0.7
    xdotool type --delay 50 "history"
    xdotool key Return
    for _ in $(seq 50); do [ -s "$work/history.csv" ] && break; sleep 0.1; done
    sleep 0.7
    # The record's context menu, first entry: 説明文登録...
    xdotool windowfocus --sync "$main" 2>/dev/null
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove $((X + 450)) $((Y + 121)) click 3
    sleep 0.7
    xdotool key Down Return
    shoot "ファイル選択" textfile
    convert "$work/extras.png" "$work/report.png" "$work/excel.png" "$work/textfile.png" \
        -background '#808080' -gravity northwest +append -strip +dither -colors 128 "$out"
else
    # Maximised from its system menu (最大化(X)): Wine keeps the geometry of
    # a window that no manager manages to itself.
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key --clearmodifiers alt+space
    sleep 0.5
    xdotool key x
    sleep 1.5
    grab "$work/main.png"
    # The 設定 tab: the second tab sits right of the first.
    xdotool mousemove 97 83 click 1
    sleep 1
    grab "$work/keys.png"
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key --clearmodifiers alt+t
    sleep 0.3
    xdotool key e
    sheet=$(window_named "環境設定") || { echo "docs-shots: no settings sheet" >&2; exit 1; }
    sleep 1
    # Each of the four pages, cut to the sheet; a click on its tab turns to
    # it (the tabs' middles, from the sheet's top left corner).
    eval "$(xdotool getwindowgeometry --shell "$sheet")"
    page=0
    for tab_x in 52 127 208 280; do
        page=$((page + 1))
        xdotool mousemove $((X + tab_x)) $((Y + 38)) sleep 0.3 click 1
        sleep 0.7
        grab "$work/screen.png"
        convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/page$page.png"
    done
    convert \( "$work/main.png" "$work/keys.png" +append \) \
        \( "$work/page1.png" "$work/page2.png" "$work/page3.png" "$work/page4.png" +append \) \
        -background '#808080' -gravity northwest -append -strip +dither -colors 128 "$out"
fi
echo "docs-shots: $out"
