#!/usr/bin/env bash
# The test-result sheet as its reader sees it: the Win32 test that captures
# three pictures, sets a test case on each (OK, NG, 保留) and exports by the
# menu and by the script's entry (tests/win32/case_exports_test_win.cpp)
# keeps its files here; the workbooks are read with openpyxl (sheet name and
# order, columns, NG fill, counts, links) and the report is rendered in
# headless Chromium (the table before the pictures, the NG row's colour, the
# blocks beside the pictures).
. "$(dirname "$0")/e2e-lib.sh" "$1"
here=$(cd "$(dirname "$0")" && pwd)

out="$E2E_WORK/試験成績表ソ"
ZELCAP_CASE_EXPORTS="Z:${E2E_WORK//\//\\}" ZELCAP_BUILD="$ZELCAP_BUILD" \
    bash "$here/../../tools/wine-run.sh" "$ZELCAP_BUILD/case_exports_test_win.exe" \
    >"$E2E_WORK/test.txt" 2>&1 &&
    pass "the in-process export of three cases" || fail "the Win32 test: $(tail -20 "$E2E_WORK/test.txt")"

check=$(/usr/bin/python3 - "$out" <<'PY' 2>&1
import hashlib, os, sys, openpyxl
out = sys.argv[1]
problems = []
def expect(what, got, want):
    if got != want:
        problems.append(f"{what}: got {got!r}, want {want!r}")
heads = ["試験項目番号", "手順", "期待結果", "実施結果", "判定", "実施者", "実施日", "備考", "記録", "SHA-256"]
counts = "OK 1件　NG 1件　保留 1件　未判定 0件"
sheets = {}
for name in ("表示.xlsx", "スクリプト.xlsx"):
    book = openpyxl.load_workbook(os.path.join(out, name))
    expect(f"{name} sheets", book.sheetnames[:2], ["表紙", "試験成績書"])
    expect(f"{name} sheet count", len(book.sheetnames), 5)
    cover, sheet = book["表紙"], book["試験成績書"]
    expect(f"{name} cover counts", [cover["C2"].value, cover["D2"].value], ["判定", counts])
    expect(f"{name} sheet counts", sheet["A2"].value, counts)
    expect(f"{name} heads", [c.value for c in sheet[4]], heads)
    rows = [[c.value for c in sheet[r]] for r in range(5, 8)]
    expect(f"{name} ids and verdicts", [(r[0], r[1], r[4], r[5], r[6]) for r in rows],
           [("T-001", "1", "OK", "試験者", "2026/12/10"), ("T-002", "2", "NG", "試験者", "2026/12/10"),
            ("T-003", "3", "保留", "試験者", "2026/12/10")])
    expect(f"{name} texts", [rows[0][2], rows[0][3], rows[1][3], rows[2][7]],
           ["画面が\n表示される", "<b>&\"'ソ\\", "エラー表示", "再試験"])
    for i, r in enumerate(range(5, 8)):
        ng = i == 1
        fills = {c.fill.fgColor.rgb if c.fill.fill_type == "solid" else None for c in sheet[r]}
        expect(f"{name} row {r} fill", fills, {"FFFFC7CE"} if ng else {None})
        link = sheet[f"I{r}"].hyperlink
        target = book.sheetnames[2 + i]
        expect(f"{name} row {r} link", link.location if link else None, f"'{target}'!A1")
        ws = book[target]
        expect(f"{name} {target} block", [ws["A1"].value, ws["B1"].value, ws["A10"].value, ws["B10"].value],
               ["試験項目番号", rows[i][0], "番号", i + 1])
        anchors = [img.anchor._from.row for img in ws._images]
        expect(f"{name} {target} picture row", anchors, [12])
    # Each row's digest is the SHA-256 of the picture on the record's sheet.
    pictures = sorted(f for f in os.listdir(out) if f.endswith(".jpg") or f.endswith(".bmp"))
    digests = {hashlib.sha256(open(os.path.join(out, f), "rb").read()).hexdigest() for f in pictures}
    expect(f"{name} digests", {sheet[f"J{r}"].value for r in range(5, 8)} <= digests, True)
    sheets[name] = [[c.value for c in row] for row in sheet.iter_rows()]
expect("menu and script write the same sheet", sheets["表示.xlsx"], sheets["スクリプト.xlsx"])
plain = openpyxl.load_workbook(os.path.join(out, "なし.xlsx"))
expect("without cases", (len(plain.sheetnames), "試験成績書" in plain.sheetnames), (4, False))
expect("without cases no counts", plain["表紙"]["C2"].value, None)
print("\n".join(problems) if problems else "ok")
PY
)
[ "$check" = ok ] && pass "openpyxl reads the 試験成績書 sheet, fills, counts and links" || fail "$check"

probe=$(/usr/bin/python3 "$here/report_probe.py" "$out/成績.htm" "$ZELCAP_BUILD/case-report.png" 2>&1)
verdict=$(printf '%s' "$probe" | /usr/bin/python3 -c '
import json, sys
p = json.loads(sys.stdin.read())
problems = []
def expect(what, got, want):
    if got != want:
        problems.append(f"{what}: got {got!r}, want {want!r}")
expect("table", p.get("table"), True)
expect("before the pictures", p.get("beforePictures"), True)
rows = p.get("rows", [])
expect("links", [(r["link"], r["anchor"]) for r in rows], [("#1", True), ("#2", True), ("#3", True)])
expect("ids", [(r["id"], r["verdict"]) for r in rows], [("T-001", "OK"), ("T-002", "NG"), ("T-003", "保留")])
expect("backgrounds", [r["background"] for r in rows],
       ["rgba(0, 0, 0, 0)", "rgb(255, 199, 206)", "rgba(0, 0, 0, 0)"])
blocks = p.get("blocks", [])
expect("blocks", [(b["id"], b["beside"]) for b in blocks], [("T-001", True), ("T-002", True), ("T-003", True)])
expect("NG in its block", [b["ngBackground"] for b in blocks], [None, "rgb(255, 199, 206)", None])
print("\n".join(problems) if problems else "ok")
' 2>&1)
[ "$verdict" = ok ] && pass "Chromium shows the table, the NG row in light red and the blocks beside the pictures" ||
    fail "$verdict; probe: $probe"
e2e_finish
