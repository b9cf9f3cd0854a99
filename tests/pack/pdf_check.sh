#!/usr/bin/env bash
# Writes the pack's PDF from made-up records (pdf_sample.cpp) and reads it
# back as a reviewer's tools do: qpdf's check, and poppler's fonts, text,
# images, attachments and metadata.
# Usage: pdf_check.sh PDF_SAMPLE OUTDIR sample|long|unreadable|full [RUNNER]
# RUNNER: what runs the sample, tools/wine-run.sh for the Windows build.
set -euo pipefail
out=$2 mode=$3
sample=("$1")
[ -z "${4:-}" ] || sample=("$4" "$1")
rm -rf "$out"; mkdir -p "$out/証跡"
dir="$out/証跡"
fail() { echo "FAIL: $*" >&2; exit 1; }
(
    cd "$dir"
    convert -size 640x400 gradient:blue-yellow -quality 90 画面一.jpg
    convert -size 500x300 plasma:fractal -seed 7 PNG24:画面二.png
    convert -size 320x200 gradient:red-green -type TrueColor BMP3:画面三.bmp
    printf '番号,見出し\r\n1,ログイン画面を表示\r\n' >履歴.csv
    printf '%064d  画面一.jpg\n' 0 >履歴.sha256
    head -c 3000 /dev/urandom >履歴.zlog
)
pdf="$out/pack.pdf"

# qpdf finds nothing, and every font is embedded, subset and mapped to Unicode.
check_file() {
    qpdf --check "$1" >"$out/qpdf.txt" 2>&1 || fail "qpdf --check: $(cat "$out/qpdf.txt")"
    grep -q "No syntax or stream encoding errors" "$out/qpdf.txt" || fail "qpdf: $(cat "$out/qpdf.txt")"
    ! grep -qi warning "$out/qpdf.txt" || fail "qpdf warns: $(cat "$out/qpdf.txt")"
    pdffonts "$1" | tail -n +3 >"$out/fonts.txt"
    [ -s "$out/fonts.txt" ] || fail "no font"
    awk '$(NF-4) != "yes" || $(NF-3) != "yes" || $(NF-2) != "yes" { bad = 1 } END { exit bad }' \
        "$out/fonts.txt" || fail "a font not embedded, subset and mapped: $(cat "$out/fonts.txt")"
}
# The images: "WIDTHxHEIGHT:ENCODING" for each, in page order.
images() { pdfimages -list "$1" | tail -n +3 | awk '{ print $4 "x" $5 ":" $9 }' | tr '\n' ' '; }

case $mode in
sample)
    "${sample[@]}" "$pdf" "$dir" sample >/dev/null || fail "writer not ok"
    check_file "$pdf"
    pdftotext -layout "$pdf" "$out/text.txt"
    for heading in "1. ログイン画面を表示" "2. 検索結果の一覧（表示確認）" "3. 設定ダイアログ・保存" \
            "結合試験 証跡 第1回" "実施者: 山田 太郎" "試験成績書" "実施結果: 一覧が表示された"; do
        grep -qxF "$heading" <(tr -d '\f' <"$out/text.txt" | sed 's/^ *//; s/ *$//') || fail "text lacks: $heading"
    done
    [ "$(images "$pdf")" = "640x400:jpeg 500x300:image 320x200:image " ] || fail "images: $(images "$pdf")"
    pdfimages -j "$pdf" "$out/img"
    cmp "$out/img-000.jpg" "$dir/画面一.jpg" || fail "the JPEG's bytes changed"
    pdfimages -png "$pdf" "$out/px"
    for pair in "001:画面二.png" "002:画面三.bmp"; do
        diff=$(compare -metric AE "$out/px-${pair%%:*}.png" "$dir/${pair#*:}" null: 2>&1 || true)
        [ "$diff" = 0 ] || fail "${pair#*:}: $diff pixels differ"
    done
    [ "$(pdfdetach -list "$pdf" | tail -n +2 | sed 's/^[0-9]*: //' | tr '\n' ' ')" = "履歴.csv 履歴.sha256 履歴.zlog " ] ||
        fail "attachments: $(pdfdetach -list "$pdf")"
    mkdir -p "$out/att"; pdfdetach -saveall -o "$out/att" "$pdf"
    for f in 履歴.csv 履歴.sha256 履歴.zlog; do cmp "$out/att/$f" "$dir/$f" || fail "$f changed"; done
    pdfinfo "$pdf" >"$out/info.txt"
    for line in "Title: *結合試験 証跡 第1回" "Author: *山田 太郎" "CreationDate: *Thu Dec 10 12:05:00 2026 UTC" \
            "ModDate: *Thu Dec 10 12:05:00 2026 UTC" "Page size: *595.28 x 841.89 pts (A4)" "Pages: *5"; do
        grep -qx "$line" "$out/info.txt" || fail "pdfinfo lacks $line: $(cat "$out/info.txt")"
    done
    pdfinfo -meta "$pdf" >"$out/xmp.txt"
    for tag in "<pdfaid:part>3</pdfaid:part>" "<pdfaid:conformance>B</pdfaid:conformance>" \
            "<rdf:li>山田 太郎</rdf:li>" "<xmp:CreateDate>2026-12-10T21:05:00+09:00</xmp:CreateDate>"; do
        grep -qF "$tag" "$out/xmp.txt" || fail "XMP lacks $tag"
    done
    # A bookmark for the case table and for each record.
    qpdf --json --json-key=outlines "$pdf" | python3 -c '
import json, sys
titles = [o["title"] for o in json.load(sys.stdin)["outlines"]]
want = ["試験成績書", "1. ログイン画面を表示", "2. 検索結果の一覧（表示確認）", "3. 設定ダイアログ・保存"]
sys.exit(0 if titles == want else "bookmarks: %r" % titles)'
    # Several records to a page: the three records share one page.
    "${sample[@]}" "$out/three.pdf" "$dir" sample 3 >/dev/null || fail "writer not ok at 3 a page"
    check_file "$out/three.pdf"
    grep -qx "Pages: *3" <(pdfinfo "$out/three.pdf") || fail "3 a page: $(pdfinfo "$out/three.pdf" | grep Pages)"
    ;;
long)
    # Remarks longer than a page: all of them in the case table and in the
    # record's block, and no word below or above the page's margins.
    "${sample[@]}" "$pdf" "$dir" long >/dev/null || fail "writer not ok"
    check_file "$pdf"
    [ "$(pdftotext "$pdf" - | grep -c '終わり')" = 2 ] || fail "the remarks' end is not in both places"
    pdftotext -bbox "$pdf" "$out/words.html"
    python3 - "$out/words.html" <<'PY' || fail "text outside the page's margins"
import re, sys
words = re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)"',
                   open(sys.argv[1], encoding="utf-8").read())
bad = [w for w in words if float(w[1]) < 30 or float(w[3]) > 841.89 - 30 or float(w[2]) > 595.28 - 30]
sys.exit(1 if bad or not words else 0)
PY
    ;;
unreadable)
    result=$("${sample[@]}" "$pdf" "$dir" unreadable) || fail "writer not ok: $result"
    [[ $result == "ok=1 unreadable=1 "* ]] || fail "result: $result"
    check_file "$pdf"
    pdftotext "$pdf" "$out/text.txt"
    grep -qF "画像を読み込めませんでした: 画面二.png" "$out/text.txt" || fail "no note for the missing picture"
    # A masked record without its flattened picture: a note, never the original.
    grep -qF "注釈のマスクを反映した画像がないため、画像を載せていません" "$out/text.txt" ||
        fail "no note for the withheld picture"
    [ "$(images "$pdf")" = "640x400:jpeg " ] || fail "images: $(images "$pdf")"
    ;;
full)
    result=$("${sample[@]}" "$pdf" "$dir" full)
    [[ $result == "ok=0 unreadable=0 message=PDFファイルを書き込めませんでした。"* ]] || fail "result: $result"
    ;;
esac
echo "pdf_check $mode: ok"
