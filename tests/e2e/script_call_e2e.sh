#!/usr/bin/env bash
# Zelcap.exe called from scripts (`wine cmd /c Zelcap.exe /capture:...`):
# a bad kind is refused before any window is reached; the first call starts
# the window; 50 calls one after another give 50 records in order, each with
# its heading and result file; 4 callers at once, 10 calls each, lose
# nothing and share no number; while a dialog is open a call answers busy
# at once and changes nothing; /save and /quit end the session.
. "$(dirname "$0")/e2e-lib.sh" "$1"

winwork="Z:${E2E_WORK//\//\\}"
exe="Z:${ZELCAP_BUILD//\//\\}\\Zelcap.exe"
printf '%s\r\n' '[File_Set]' "保存先=$winwork" '画像ファイル名=sc' '画像ファイル開始番号=1' \
    'JPEGモード=1' 'JPEG品質=50' '[Window]' 'X位置=0' 'Y位置=0' '幅=500' '高さ=400' |
    iconv -f UTF-8 -t CP932 >"$E2E_WORK/Zelcap.ini"

# Runs one call in the work folder; its exit code is the call's.
call() { (cd "$E2E_WORK" && "$ZELCAP_WINE" cmd /c "$exe" "$@" </dev/null 2>/dev/null); }
field() { jq -r "$2" "$E2E_WORK/$1" 2>/dev/null; }
ms() { echo $(($(date +%s%N) / 1000000)); }

# A bad kind: the bad-argument code, its class in the result, and no window.
call /capture:screens /result:bad.json >/dev/null; rc=$?
[ $rc = 2 ] && [ "$(field bad.json .error)" = bad-argument ] &&
    pass "a bad kind gives the bad-argument code" || fail "bad kind: rc $rc, $(cat "$E2E_WORK/bad.json" 2>/dev/null)"
xdotool search --name "Zelcap Ver2.3" >/dev/null 2>&1 && fail "a bad argument started a window"

# The first call starts the window; its answer is printed on the console too.
out=$(call /capture:screen "/heading:見出し 1" /result:r1.json); rc=$?
window=$(wait_for_window "新規 - Zelcap Ver2.3") || { fail "no window after the first call"; e2e_finish; }
E2E_PID=""
[ $rc = 0 ] && [ "$(field r1.json .ok)" = true ] && [ "$(field r1.json .number)" = 1 ] &&
    pass "the first call started Zelcap and captured" || fail "first call: rc $rc, $(cat "$E2E_WORK/r1.json" 2>/dev/null)"
printf '%s' "$out" | grep -q '"ok":true' && pass "the result is printed on the console" ||
    fail "console: $out"
sha=$(field r1.json .sha256)
[ "$sha" = "$(sha256sum "$E2E_WORK/sc1.jpg" | cut -d' ' -f1)" ] &&
    pass "the result's sha256 is the file's" || fail "sha256 $sha"

# 50 calls one after another.
bad=0 why=""
for i in $(seq 2 50); do
    call /capture:screen "/heading:見出し $i" "/result:r$i.json" >/dev/null ||
        { rc=$? bad=$((bad + 1)); why="$why [$i rc $rc: $(cat "$E2E_WORK/r$i.json" 2>/dev/null)]"; }
done
[ $bad = 0 ] && pass "50 sequential calls succeeded" || fail "$bad of 50 sequential calls failed:$why"
missing=0
for i in $(seq 50); do
    [ "$(field "r$i.json" .heading)" = "見出し $i" ] && [ "$(field "r$i.json" .number)" = "$i" ] ||
        missing=$((missing + 1))
done
[ $missing = 0 ] && pass "50 result files, each with its heading and number" ||
    fail "$missing result files wrong"

# 4 callers at once, 10 calls each.
for p in 1 2 3 4; do
    (for i in $(seq 10); do call /capture:screen "/heading:並行 $p-$i" "/result:p$p-$i.json" >/dev/null ||
        echo "$p-$i rc $?" >>"$E2E_WORK/parallel-failures"; done) &
done
wait
[ -s "$E2E_WORK/parallel-failures" ] && fail "parallel calls failed: $(tr '\n' ' ' <"$E2E_WORK/parallel-failures")"
numbers=$(for f in "$E2E_WORK"/p*-*.json; do jq -r .number "$f"; done | sort -n | uniq | wc -l)
[ "$numbers" = 40 ] && pass "4 x 10 parallel calls: 40 distinct numbers" || fail "$numbers distinct numbers"

# A dialog open (ファイルを開く asks first whether to save the history): busy
# at once, and no record. The time is
# against a call that is refused before it reaches the window.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key o
dialog=$(wait_for_window "保存確認") || fail "no save question"
t0=$(ms); call /capture:nothing >/dev/null; t1=$(ms)
call /capture:screen /result:busy.json >/dev/null; rc=$?; t2=$(ms)
extra=$(((t2 - t1) - (t1 - t0)))
[ $rc = 4 ] && [ "$(field busy.json .error)" = busy ] && pass "busy code while a dialog is open" ||
    fail "with a dialog open: rc $rc, $(cat "$E2E_WORK/busy.json" 2>/dev/null)"
[ $extra -lt 1000 ] && pass "busy answered within 1 s (${extra} ms beyond a process start)" ||
    fail "busy took ${extra} ms beyond a process start"
xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
xdotool key Escape
sleep 0.5

# A bad kind with the window running: nothing happens.
call /capture:window-frames >/dev/null; rc=$?
[ $rc = 2 ] && pass "a bad kind is refused with the window running" || fail "bad kind: rc $rc"

# Saved, the history holds the 90 records, the 50 first in order.
call "/save:$winwork\\hist.csv" /result:save.json >/dev/null; rc=$?
[ $rc = 0 ] && [ "$(field save.json .records)" = 90 ] && pass "saved with 90 records" ||
    fail "save: rc $rc, $(cat "$E2E_WORK/save.json" 2>/dev/null)"
headings=$(iconv -f CP932 -t UTF-8 "$E2E_WORK/hist.csv" 2>/dev/null | tr -d '\r' | tail -n +2 | cut -d, -f2)
[ "$(printf '%s\n' "$headings" | head -n 50)" = "$(for i in $(seq 50); do echo "見出し $i"; done)" ] &&
    pass "the 50 sequential records are in order with their headings" ||
    fail "headings: $(printf '%s' "$headings" | head -n 50 | tr '\n' '|' | head -c 300)"
[ "$(printf '%s\n' "$headings" | grep -c '^並行 ')" = 40 ] && pass "the 40 parallel records are there" ||
    fail "parallel records: $(printf '%s\n' "$headings" | grep -c '^並行 ')"
[ -e "$E2E_WORK/sc91.jpg" ] && fail "a picture beyond the 90 calls (the busy or bad call wrote one)"

call /quit /result:quit.json >/dev/null; rc=$?
[ $rc = 0 ] && pass "/quit closed the saved history" || fail "quit: rc $rc, $(cat "$E2E_WORK/quit.json" 2>/dev/null)"
xdotool search --name "Zelcap Ver2.3" >/dev/null 2>&1 && fail "the window is still there after /quit"
e2e_finish
