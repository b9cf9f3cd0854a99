#!/usr/bin/env bash
# Debian's python3, which has python3-openpyxl (a python3 earlier on PATH may not).
# Writes the sample workbook in one layout at both picture sizes and reads
# each back with openpyxl.
# With "cases", the records carry test cases and the test-result sheet is read;
# with "retest", those cases re-tested against a baseline.
# Usage: sample_check.sh WORKBOOK_SAMPLE OUTDIR sheets|onesheet [cases|retest]
set -euo pipefail
sample=$1 out=$2 layout=$3 cases=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"; mkdir -p "$out"
if [ -n "$cases" ]; then
    "$sample" "$out/$cases.xlsx" "$layout" fit "$cases"
    /usr/bin/python3 "$here/check_workbook.py" "$cases" "$out/$cases.xlsx" "$layout"
    exit
fi
for size in fit actual; do
    "$sample" "$out/sample-$size.xlsx" "$layout" "$size"
    /usr/bin/python3 "$here/check_workbook.py" sample "$out/sample-$size.xlsx" "$layout" "$size"
done
