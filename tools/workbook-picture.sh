#!/usr/bin/env bash
# Prints a workbook with headless LibreOffice Calc and puts its first two
# pages side by side into a PNG (docs/workbook.png shows the workbook of the
# sample of tests/workbook/workbook_sample.cpp, fitted to the page width).
# Usage: workbook-picture.sh WORKBOOK.xlsx OUTPUT.png
set -euo pipefail
book=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$book" "$work/book.xlsx"
# A profile of its own, so that a LibreOffice the user runs is not disturbed.
soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf \
    --outdir "$work" "$work/book.xlsx" >/dev/null 2>&1
[ -s "$work/book.pdf" ] || { echo "workbook-picture: LibreOffice wrote no PDF" >&2; exit 1; }
pdfinfo "$work/book.pdf" | grep '^Pages:'
pdftoppm -r 80 -f 1 -l 2 -png "$work/book.pdf" "$work/page"
convert "$work"/page-*1.png "$work"/page-*2.png -bordercolor '#888888' -border 1 +append "$out"
echo "workbook-picture: $out"
