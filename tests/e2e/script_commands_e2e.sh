#!/usr/bin/env bash
# The other commands of a scripted call, each with its exit code: callers
# started together start one window; a folder with no program; a region
# and its size, a description file, a heading with no CP932 form refused,
# a save into a missing folder failing as a write, verify refused on an
# untitled history, then save, report, workbook and verify in one call.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=cm' '画像ファイル開始番号=1' \
    'JPEGモード=1' '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=400' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"
printf 'notes\r\n' >"$E2E_WORK/notes.txt"

call() { (cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null 2>/dev/null); }
field() { jq -r "$2" "$E2E_WORK/$1" 2>/dev/null; }
expect() {  # expect CODE ERROR what -- arguments
    local code=$1 error=$2 what=$3 rc
    shift 4
    call "$@" /result:last.json >/dev/null; rc=$?
    if [ $rc = "$code" ] && [ "$(field last.json '.error // "none"')" = "$error" ]; then
        pass "$what"
    else
        fail "$what: rc $rc, $(cat "$E2E_WORK/last.json" 2>/dev/null)"
    fi
}

# Three callers at once with no window running start one window between them.
for p in 1 2 3; do call /capture:screen "/result:start$p.json" >/dev/null & done
wait
ok=0
for p in 1 2 3; do [ "$(field "start$p.json" .ok)" = true ] && ok=$((ok + 1)); done
windows=$(xdotool search --name "^新規 - Zelcap Ver2.3\$" 2>/dev/null | wc -l)
[ $ok = 3 ] && [ "$windows" = 1 ] && pass "three callers at once started one window" ||
    fail "$ok of 3 callers succeeded, $windows windows"
expect 3 no-instance "a folder with no Zelcap.exe to start" -- "/instance:$winwork" /capture:screen

expect 0 none "a region capture with a description file" -- \
    /capture:region:100,50,320,200 /heading:範囲 /text:notes.txt
[ "$(field last.json .width)x$(field last.json .height)" = 320x200 ] && pass "the region's size" ||
    fail "size $(field last.json .width)x$(field last.json .height)"
expect 2 bad-argument "a heading with no CP932 form" -- /capture:screen "/heading:絵文字😀"
expect 2 bad-argument "a description file that does not exist" -- /capture:screen /text:none.txt
expect 6 write-failed "a save into a missing folder" -- "/save:$winwork\\none\\h.csv"
expect 5 refused "verify on an untitled history" -- /verify
expect 0 none "last-region again" -- /capture:last-region
[ "$(field last.json .width)" = 320 ] && pass "last-region took the kept region" ||
    fail "last-region width $(field last.json .width)"
expect 0 none "save, report, workbook and verify in one call" -- "/save:$winwork\\h.csv" \
    /report:rep.htm /excel:book.xlsx /verify
[ "$(field last.json '.commands | length')" = 4 ] && pass "each command has its result" ||
    fail "commands: $(field last.json .commands)"
[ -s "$E2E_WORK/rep.htm" ] && [ -s "$E2E_WORK/book.xlsx" ] && pass "the report and the workbook" ||
    fail "no rep.htm or book.xlsx"
field last.json .findings | grep -q . && pass "verify returned its findings" || fail "no findings"
csv=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/h.csv" | tr -d '\r' | sed -n 5p)
printf '%s' "$csv" | grep -q ",範囲,.*cm4\.jpg,.*notes\.txt\$" && pass "the record has its heading and text" ||
    fail "record: $csv"
expect 5 refused "a report that exists is not overwritten" -- /report:rep.htm
expect 0 none "quit" -- /quit
e2e_finish
