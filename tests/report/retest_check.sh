#!/usr/bin/env bash
# The report of retest_sample.cpp as its reader sees it in headless Chromium:
# the 比較 column down to the 未実施 rows, the diff picture drawn whole to
# the right of the differing record's own picture with its changed line,
# and the baseline's line on the cover.
# Usage: retest_check.sh RETEST_SAMPLE OUTDIR
set -euo pipefail
sample=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"; mkdir -p "$out"
"$sample" "$out"
probe=$(/usr/bin/python3 "$here/../e2e/report_probe.py" "$out/report.htm" "$out/report.png")
printf '%s' "$probe" | /usr/bin/python3 -c '
import json, sys
p = json.loads(sys.stdin.read())
problems = []
def expect(what, got, want):
    if got != want:
        problems.append(f"{what}: got {got!r}, want {want!r}")
c = p.get("comparison", {})
expect("比較 column", c.get("column"), ["比較", "差分あり", "一致", "", "未実施", "未実施"])
expect("not run rows", [(r["id"], r["link"]) for r in p.get("rows", [])[3:]],
       [("T-能-9", None), ("T-能-9", None)])
diffs = c.get("diffs", [])
expect("diff pictures", [(d["src"], d["width"], d["height"], d["beside"]) for d in diffs],
       [("a1_diff.png", 320, 200, True)])
text = diffs[0]["text"] if diffs else ""
for part in ("差分あり 変化 7.8 %", "基準の記録: 前回の画面", "金額: 1,000 → 1,100"):
    expect(f"diff cell holds {part}", part in text, True)
expect("cover", c.get("cover"), "基準 C:\\前回\\履歴.csv  マニフェスト SHA-256: " + "d" * 64)
print("\n".join(problems) if problems else "ok")
if problems:
    print(json.dumps(p, ensure_ascii=False))
    sys.exit(1)
'
