# Shared by the workbook end-to-end scripts, after e2e-lib.sh: a history
# file written here, opened through the menu, and exported through
# ツール → Excel出力 (or レポート(HTML)出力) with the dialog's settings as
# they stand.

focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# The Windows form of a path under the work folder.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# write_history CSV: the lines on stdin (UTF-8, "日時,コメント,ファイルパス,テキスト情報"
# order, no header) become a CP932 history file with CR LF line ends.
write_history() {
    { printf '日時,コメント,ファイルパス,テキスト情報\n'; cat; } | sed 's/$/\r/' |
        iconv -f UTF-8 -t CP932 >"$1"
}

# open_history CSV: in the Zelcap started by start_zelcap, opens CSV with
# ファイル → ファイルを開く; prints the main window's id. The path is typed
# E2E_TYPE_DELAY ms a key: a path in Japanese loses characters at 10 ms,
# each of them a key xdotool maps anew, which Wine may not have seen yet.
open_history() {
    local window dialog name
    name=$(basename "$1")
    window=$(wait_for_window "新規 - Zelcap Ver2.3") || return 1
    focus "$window"
    xdotool key --clearmodifiers alt+f
    sleep 0.3
    xdotool key o
    dialog=$(wait_for_window "開くファイル名を指定して下さい") || return 1
    focus "$dialog"
    sleep 0.3
    xdotool type --delay "${E2E_TYPE_DELAY:-10}" "$(winpath "$1")"
    xdotool key Return
    wait_for_window "$name - Zelcap Ver2.3 - [$(winpath "$1")]"
}

# run_tool_dialog WINDOW KEY CAPTION: ツール → the item of access key KEY,
# then 出力 (Alt+S) in its dialog, whose caption is CAPTION.
run_tool_dialog() {
    local dialog
    focus "$1"
    xdotool key --clearmodifiers alt+t
    sleep 0.3
    xdotool key "$2"
    dialog=$(wait_for_window "$3") || return 1
    focus "$dialog"
    sleep 0.3
    xdotool key --clearmodifiers alt+s
}

# export_workbook WINDOW SECONDS: ツール → Excel出力, 出力; waits up to
# SECONDS for the closing message, answers it and prints its caption
# ("確認" when the workbook was written, "エラー" when not).
export_workbook() {
    local box caption
    run_tool_dialog "$1" x "Excel出力" || return 1
    for _ in $(seq $(($2 * 5))); do
        for caption in 確認 エラー; do
            box=$(xdotool search --name "^$caption\$" 2>/dev/null | head -n 1)
            if [ -n "$box" ]; then
                focus "$box"
                xdotool key Return
                echo "$caption"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}

# export_report WINDOW HTM: ツール → レポート(HTML)出力, 出力; answers the
# closing message and checks that the report file HTM was written.
export_report() {
    local box
    run_tool_dialog "$1" o "HTML出力" || return 1
    box=$(wait_for_window "確認") || return 1
    focus "$box"
    xdotool key Return
    [ -s "$2" ]
}
