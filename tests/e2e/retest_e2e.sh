#!/usr/bin/env bash
# A test run again against the last cycle, as a script drives it: the last
# cycle captures three steps of TC-01 (ログイン, 注文確認 with 金額: 1,000,
# 完了) into a folder of its own and is saved; the new cycle takes it as the
# baseline with /baseline, captures step 1 as it was and step 2 showing
# 1,100, and skips step 3. The results of /capture propose 一致 and 差分あり
# with the amount's old and new text; /save's result shows step 3 未実施;
# the case file keeps the baseline in its own line while the last cycle's
# has none; a baseline whose picture was changed afterwards is refused with
# the findings. On the list's rows F8 takes the proposals as 判定 and F7
# shows the guide of the next step with the baseline's picture. The workbook
# shows the 比較 column, the diff picture and the baseline's digest.
. "$(dirname "$0")/e2e-lib.sh" "$1"

last="$E2E_WORK/前回 サイクル"
this="$E2E_WORK/今回 サイクル"
mkdir -p "$last" "$this"
win() { printf 'Z:%s' "${1//\//\\}"; }
settings() {  # the capture folder $1, text reading on
    printf '%s\r\n' '[File_Set]' "保存先=$(win "$1")" '画像ファイル名=step' '画像ファイル開始番号=1' \
        'JPEGモード=0' '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=400' \
        '[TestCase]' '実施者=試験者' '[OCR]' '文字読み取り=1' |
        iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
}

SCRIPT_TIMEOUT=120
. "$(dirname "$0")/script-lib.sh"

# Shows screen $1 with amount $2 and captures its client area as step $1.
step() {
    local x y w h
    rm -f "$E2E_WORK/amount.txt"
    "$ZELCAP_WINE" "$ZELCAP_BUILD/amount_target.exe" "$(win "$E2E_WORK")" "$1" "$2" >/dev/null 2>&1 </dev/null &
    E2E_TARGET_PID=$!
    for _ in $(seq 100); do [ -s "$E2E_WORK/amount.txt" ] && break; sleep 0.1; done
    sleep 0.5
    read -r _ x y w h <"$E2E_WORK/amount.txt"
    expect 0 none "screen $1 with $2 captured as step $1" -- "/capture:region:$x,$y,$w,$h" \
        "/heading:手順 $1" /case:TC-01 "/stepno:$1" "/expected:金額が表示される"
    kill "$E2E_TARGET_PID" 2>/dev/null
    wait "$E2E_TARGET_PID" 2>/dev/null
    E2E_TARGET_PID=""
}

settings "$last"
step 1 1,000
step 2 1,000
step 3 1,000
field 'has("comparison")' | grep -qx false && pass "without a baseline a capture proposes nothing" ||
    fail "a comparison without a baseline: $(cat "$E2E_WORK/last.json")"
expect 0 none "the last cycle saved" -- "/save:$(win "$last")\\前回.csv"
# Its pictures' text read, as a cycle left alone for a while has it.
for n in 1 2 3; do
    for _ in $(seq 600); do [ -f "$last/step$n.bmp.ocr" ] && break; sleep 0.2; done
done
expect 0 none "quit" -- /quit
sleep 1
grep -q '^?' "$last/前回.zcase" && fail "the last cycle's case file has a baseline line" ||
    pass "a case file without a baseline has no baseline line"

settings "$this"
expect 0 none "the last cycle taken as the baseline" -- "/baseline:$(win "$last")\\前回.csv"
same "its manifest's digest" "$(field .manifestSha256)" "$(sha256sum "$last/前回.sha256" | cut -d' ' -f1)"
step 1 1,000
same "step 1 as it was: 一致" "$(field .comparison.proposal)" "一致"
step 2 1,100
same "step 2 with another amount: 差分あり" "$(field .comparison.proposal)" "差分あり"
# The reading may put a blank after the comma: the check reads past blanks.
changes=$(field '.comparison.textChanges[].line')
if printf '%s\n' "$changes" | tr -d ' ' | grep -q '^金額:1,000→1,100$'; then
    pass "the proposal names the amount's old and new text: $changes"
else
    fail "text changes: '$changes' ($(field .comparison.text))"
fi
[ "$(field .comparison.changedPixels)" -gt 0 ] && pass "and the share of the picture that changed" ||
    fail "no changed pixels: $(field .comparison.text)"

# The tester takes the proposals with F8 on the list's rows.
window=$(wait_for_window "新規 - Zelcap Ver2.3") || fail "no main window"
# A click on the first row: the window was never activated by a script.
click_first_row() {
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 150)) $((Y + 120)) click 1
    sleep 0.3
}
click_first_row
xdotool key --clearmodifiers --delay 100 Home shift+End F8
sleep 0.5

# F7 shows the guide of the current case's next step (TC-01, 手順 1) over
# the screen, with the baseline's picture; F7 in the list again hides it.
expect 0 none "the current case set" -- /case:TC-01
click_first_row
xdotool key --clearmodifiers F7
guide=$(wait_for_window "基準: TC-01 手順 1") && pass "F7 shows the guide of step 1" || fail "no guide window"
if [ -n "$guide" ]; then
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$guide")"
    import -window root -crop "${WIDTH}x$((HEIGHT / 2))+$X+$((Y + HEIGHT / 2))" "$E2E_WORK/guide.ppm" 2>/dev/null
    dark=$(/usr/bin/python3 -c "
from PIL import Image
im = Image.open('$E2E_WORK/guide.ppm').convert('L')
print(sum(1 for p in im.getdata() if p < 100))" 2>/dev/null)
    [ "${dark:-0}" -gt 50 ] && pass "the guide shows the baseline's picture ($dark dark pixels)" ||
        fail "no picture in the guide's lower half (${dark:-?} dark pixels)"
    click_first_row
    xdotool key --clearmodifiers F7
    sleep 0.5
    xdotool search --name '^基準: TC-01 手順 1$' >/dev/null 2>&1 && fail "F7 did not hide the guide" ||
        pass "F7 hides the guide"
fi
expect 0 none "the new cycle saved" -- "/save:$(win "$this")\\今回.csv"
verdicts=$(iconv -f CP932 -t UTF-8 "$this/今回.zcase" | tr -d '\r' | awk -F'\t' '$4 == "TC-01" {print $5 ":" $8}' | paste -sd' ')
same "F8 took 一致 as OK and 差分あり as NG" "$verdicts" "1:OK 2:NG"
same "the exports' records: their proposals in the history's order" \
    "$(field '[.comparison.records[].proposal] | join(" ")')" "一致 差分あり"
same "step 3 not run: 未実施" "$(field '[.comparison.notRun[] | .testId, .step, .heading] | join(" ")')" \
    "TC-01 3 手順 3"
zcase=$(iconv -f CP932 -t UTF-8 "$this/今回.zcase" | tr -d '\r')
printf '%s\n' "$zcase" | grep -q "^?基準	.*	$(field .comparison.manifestSha256)	.*前回.csv\$" &&
    pass "the case file keeps the baseline and its digest" || fail "case file: $zcase"

# The workbook a reviewer gets: the 比較 column down to the step not run,
# the differing step's diff picture beside its own with the amount's lines,
# and the baseline's manifest digest on the cover.
expect 0 none "the workbook written" -- "/excel:$(win "$this")\\今回.xlsx"
book=$(/usr/bin/python3 - "$this/今回.xlsx" <<'PY' 2>&1
import sys, zipfile, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet, cover = book["試験成績書"], book["表紙"]
heads = [c.value for c in sheet[4]]
col = heads.index("比較")
print("compare", " ".join(str(r[col].value) for r in sheet.iter_rows(min_row=5)))
print("cover", " ".join(str(c.value) for row in cover.iter_rows(max_row=6) for c in row if c.value))
lines = [str(c.value) for ws in book.worksheets[2:] for row in ws.iter_rows() for c in row
         if c.value is not None and "→" in str(c.value)]
print("lines", "|".join(lines).replace(" ", ""))
print("pictures", sum(len(ws._images) for ws in book.worksheets[2:]))
PY
)
same "the 比較 column" "$(sed -n 's/^compare //p' <<<"$book")" "一致 差分あり 未実施"
grep -q "^cover .*前回.csv  マニフェスト SHA-256: $(sha256sum "$last/前回.sha256" | cut -d' ' -f1)" <<<"$book" &&
    pass "the cover names the baseline's manifest digest" || fail "cover: $(grep '^cover' <<<"$book")"
sed -n 's/^lines //p' <<<"$book" | grep -q '金額:1,000→1,100' &&
    pass "the differing step's sheet lists the amount's change" || fail "changed lines: $book"
same "two captures and one diff picture" "$(sed -n 's/^pictures //p' <<<"$book")" 3
expect 0 none "quit" -- /quit
sleep 1

# From the menu: ファイル → 前回の結果を基準にする, the history typed into
# the open dialog, and the message that it is taken; saved, the case file
# of a history without records holds the baseline alone.
# choose_baseline: the menu and the dialog; prints nothing.
choose_baseline() {
    local dialog
    click_first_row
    xdotool key --clearmodifiers alt+f
    sleep 0.3
    xdotool key b
    dialog=$(wait_for_window "基準にする前回の履歴ファイル") || { fail "no open dialog"; return 1; }
    xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
    sleep 0.3
    xdotool type --delay 120 "$(win "$last")\前回.csv"
    xdotool key Return
}
settings "$this"
start_zelcap
window=$(wait_for_window "新規 - Zelcap Ver2.3") || fail "no main window"
choose_baseline
if box=$(wait_for_window "前回の結果との比較"); then
    pass "the menu takes the baseline and says so"
    xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
    xdotool key Return
else
    fail "no message after choosing the baseline"
fi
expect 0 none "the history saved" -- "/save:$(win "$this")\メニュー.csv"
tr -d '\r' <"$this/メニュー.zcase" | tail -n +2 | iconv -f CP932 -t UTF-8 | grep -c . | grep -qx 1 &&
    grep -q "前回.csv" <(iconv -f CP932 -t UTF-8 "$this/メニュー.zcase") &&
    pass "its case file holds the baseline's line alone" || fail "case file: $(iconv -f CP932 -t UTF-8 "$this/メニュー.zcase")"

# A picture of the baseline changed afterwards: refused, with the findings,
# in the list of the evidence check from the menu and in a script's result.
printf 'x' >>"$last/step2.bmp"
choose_baseline
if list=$(wait_for_window "証跡の検証"); then
    pass "the menu refuses it with the findings' list"
    xdotool windowfocus --sync "$list" 2>/dev/null || xdotool windowfocus "$list"
    xdotool key Escape
    sleep 0.5
else
    fail "no findings after choosing a changed baseline"
fi
expect 5 refused "a baseline with a changed picture is refused" -- "/baseline:$(win "$last")\\前回.csv"
field .message | grep -q '変更あり' && pass "the refusal gives the findings" ||
    fail "message: $(field .message)"
expect 0 none "quit" -- /quit
e2e_finish
