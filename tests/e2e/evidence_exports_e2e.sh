#!/usr/bin/env bash
# The evidence of a scripted history in a Japanese folder, checked by the
# tools outside Zelcap: two captures by script into the caller's folder, the
# history saved into a folder of its own, then the report and the workbook
# by the command line, which show the same SHA-256s as the menu's; the
# manifest passes `sha256sum -c` run from its folder; /verify says ok with
# nothing found, and after one picture is altered, ok false naming it.
. "$(dirname "$0")/e2e-lib.sh" "$1"

caller="$E2E_WORK/証跡作業"
mkdir -p "$caller/履歴"
wincaller="Z:${caller//\//\\}"
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
# No [HTML] group: the report's picture width is the default one.
printf '%s\r\n' '[File_Set]' "保存先=$wincaller" '画像ファイル名=証跡' '画像ファイル開始番号=1' \
    'JPEGモード=1' '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=400' |
    iconv -f UTF-8 -t CP932 >"$caller/Zelcap.ini"

call() { (cd "$caller" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null 2>/dev/null); }
field() { jq -r "$2" "$caller/$1" 2>/dev/null; }
run() {  # run what -- arguments: expects exit code 0
    local what=$1 rc
    shift 2
    call "$@" /result:last.json >/dev/null; rc=$?
    [ $rc = 0 ] && pass "$what" || fail "$what: rc $rc, $(cat "$caller/last.json" 2>/dev/null)"
}

run "two captures by script" -- /capture:screen /heading:一枚目 /capture:screen /heading:二枚目
run "saved into a folder of its own" -- "/save:$wincaller\\履歴\\h.csv"
run "report and workbook by the command line" -- /report:rep.htm /excel:book.xlsx

report=$(iconv -f CP932 -t UTF-8 "$caller/rep.htm" 2>/dev/null)
shown=0
for f in "$caller/証跡1.jpg" "$caller/証跡2.jpg" "$caller/履歴/h.sha256"; do
    printf '%s' "$report" | grep -q "$(sha256sum "$f" | cut -d' ' -f1)" && shown=$((shown + 1))
done
[ $shown = 3 ] && pass "the scripted report shows the pictures' and the manifest's SHA-256" ||
    fail "report shows $shown of 3 digests"
pictures=$(printf '%s' "$report" | grep -c "<img src=")
if [ "$pictures" -ge 2 ] && ! printf '%s' "$report" | grep -q "<img[^>]*width='0'"; then
    pass "the first report's pictures keep their size"
else
    fail "pictures: $pictures, $(printf '%s' "$report" | grep -o "<img[^>]*>" | head -2)"
fi
cover=$(/usr/bin/python3 - "$caller/book.xlsx" <<'PY'
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print("\n".join(str(c.value) for row in book.worksheets[0].iter_rows() for c in row if c.value))
PY
)
printf '%s' "$cover" | grep -qE "h\.sha256.*[0-9a-f]{64}" && pass "the workbook's cover names the manifest" ||
    fail "cover: $(printf '%s' "$cover" | grep -i "マニフェスト")"

manifest="$caller/履歴/h.sha256"
grep -q '^[0-9a-f]\{64\}  \.\./証跡1\.jpg$' "$manifest" && pass "the manifest climbs to the captures in UTF-8" ||
    fail "manifest: $(cat "$manifest")"
(cd "$caller/履歴" && sha256sum --strict -c h.sha256 >"$E2E_WORK/check.txt" 2>&1) &&
    pass "sha256sum -c passes the manifest from its folder" ||
    fail "sha256sum: $(cat "$E2E_WORK/check.txt")"

run "verify" -- /verify
if [ "$(field last.json .ok)" = true ] && [ "$(field last.json .verdict)" = clean ] &&
    [ "$(field last.json '.items | length')" = 0 ] && [ "$(field last.json .counts.match)" -ge 3 ]; then
    pass "an untouched history verifies ok with nothing found"
else
    fail "verify: $(cat "$caller/last.json")"
fi

printf 'x' | dd of="$caller/証跡2.jpg" bs=1 seek=100 conv=notrunc 2>/dev/null
run "verify after a picture was altered" -- /verify
changed=$(field last.json '[.items[] | select(.kind == "file" and .state == "changed") | .file] | join(",")')
if [ "$(field last.json .ok)" = false ] && [ "$changed" = "../証跡2.jpg" ] &&
    [ "$(field last.json .counts.changed)" = 1 ]; then
    pass "the altered picture is named and ok is false"
else
    fail "verify: $(cat "$caller/last.json")"
fi
run "quit" -- /quit
e2e_finish
