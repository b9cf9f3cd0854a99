#!/usr/bin/env python3
"""Reads an evidence workbook back with openpyxl and checks what a user sees:
sheet names, cells, links, pictures (how many, where, how large) and the
print set-up with its header and footer.

Usage:
  check_workbook.py sample WORKBOOK sheets|onesheet fit|actual
      the workbook of tests/workbook/workbook_sample.cpp
  check_workbook.py cases WORKBOOK sheets|onesheet
      the same workbook with test cases on three records (fit to width)
  check_workbook.py retest WORKBOOK sheets|onesheet
      those cases re-tested against a baseline: the first record differs
  check_workbook.py e2e WORKBOOK FOLDER
      the workbook the Wine run makes of its three captures in FOLDER
"""
import re
import sys
import zipfile

import openpyxl

EMU_PER_PIXEL = 9525
PRINTABLE_WIDTH = (8.27 - 1.4) * 96
MISSING = "画像ファイルがありません: "

failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def check_print_setup(ws):
    expect(f"{ws.title}: paper", str(ws.page_setup.paperSize), "9")
    expect(f"{ws.title}: orientation", ws.page_setup.orientation, "portrait")
    expect(f"{ws.title}: fit to page", ws.sheet_properties.pageSetUpPr.fitToPage, True)
    # An absent fitToWidth is 1 in the file format, and the library leaves it out.
    expect(f"{ws.title}: pages wide", ws.page_setup.fitToWidth or 1, 1)
    expect(f"{ws.title}: pages tall", ws.page_setup.fitToHeight, 0)
    expect(f"{ws.title}: header", ws.oddHeader.center.text, "&A")
    expect(f"{ws.title}: footer", ws.oddFooter.center.text, "&P / &N")


def picture_sizes(path):
    """(sheet title, anchor row, anchor column, width px, height px) of every
    picture, from the drawing parts: openpyxl does not keep the sizes."""
    book = openpyxl.load_workbook(path)
    out = []
    with zipfile.ZipFile(path) as z:
        for ws in book.worksheets:
            for img in ws._images:
                anchor = img.anchor._from
                out.append([ws.title, anchor.row, anchor.col])
        sizes = []
        names = sorted((n for n in z.namelist() if re.match(r"xl/drawings/drawing\d+\.xml$", n)),
                       key=lambda n: int(re.search(r"(\d+)", n).group(1)))
        for name in names:
            xml = z.read(name).decode("utf-8")
            for cx, cy in re.findall(r'<xdr:pic>.*?<a:ext cx="(\d+)" cy="(\d+)"', xml, re.S):
                sizes.append((int(cx) / EMU_PER_PIXEL, int(cy) / EMU_PER_PIXEL))
    expect("pictures found in the drawings", len(sizes), len(out))
    for entry, size in zip(out, sizes):
        entry.extend(size)
    return [tuple(e) for e in out]


def check_cover(ws, title, rows):
    """rows: (link location, time, heading, file name, file link, first line)."""
    expect("cover title", ws["A1"].value, title)
    expect("cover created label", ws["A2"].value, "作成日時")
    expect("cover heads", [c.value for c in ws[4]][:5], ["番号", "日時", "見出し", "画像ファイル", "説明"])
    for i, (location, time, heading, name, target, first) in enumerate(rows):
        r = 5 + i
        expect(f"cover A{r}", ws[f"A{r}"].value, str(i + 1))
        expect(f"cover A{r} link", ws[f"A{r}"].hyperlink.location if ws[f"A{r}"].hyperlink else None,
               location)
        expect(f"cover B{r}", ws[f"B{r}"].value, time)
        expect(f"cover C{r}", ws[f"C{r}"].value, heading)
        expect(f"cover D{r}", ws[f"D{r}"].value, name)
        expect(f"cover D{r} link", ws[f"D{r}"].hyperlink.target if ws[f"D{r}"].hyperlink else None,
               target)
        expect(f"cover E{r}", ws[f"E{r}"].value, first)
    expect("cover rows", ws.max_row, 4 + len(rows))
    check_print_setup(ws)


def check_block(ws, row, number, time, heading):
    expect(f"{ws.title} A{row}", ws[f"A{row}"].value, "番号")
    expect(f"{ws.title} B{row}", ws[f"B{row}"].value, number)
    expect(f"{ws.title} B{row + 1}", ws[f"B{row + 1}"].value, time)
    expect(f"{ws.title} B{row + 2}", ws[f"B{row + 2}"].value, heading)


def column_a(ws, first, count):
    return [ws[f"A{r}"].value for r in range(first, first + count)]


def sample(path, layout, size):
    book = openpyxl.load_workbook(path)
    headings = ["表示テスト [1/2]", "ソフト能力?", "missing", "missing"]
    times = [f"2026/12/09 10:00:0{i}" for i in range(1, 5)]
    files = ["a1.jpg", "a2.bmp", "gone.jpg", "broken.jpg"]
    # Picture 1: 1280 x 720; picture 2: 200 x 100.
    scale = PRINTABLE_WIDTH / 1280 if size == "fit" else 1.0
    rows1 = -(-int(720 * scale * 1000) // 20000)  # ceil(720 * scale / 20)
    if layout == "sheets":
        names = ["表紙", "表示テスト _1_2_", "ソフト能力_", "missing", "missing (2)"]
        expect("sheet names", book.sheetnames, names)
        starts = [1] * 4
        sheets = [book[n] for n in names[1:]]
    else:
        expect("sheet names", book.sheetnames, ["表紙", "証跡"])
        ws = book["証跡"]
        # Block: 3 rows, picture rows, a gap, description lines, a blank row.
        first = 1
        starts = []
        for pic_rows, lines in ((rows1, 3), (5, 1), (1, 0), (1, 0)):
            starts.append(first)
            first += 3 + pic_rows + 1 + lines + 1
        expect("page breaks", [b.id for b in ws.row_breaks.brk], [s - 1 for s in starts[1:]])
        sheets = [ws] * 4
    check_cover(book["表紙"], "試験証跡", [
        (f"'{ws.title}'!A{start}", times[i], headings[i], files[i],
         f"file:///C:\\cap\\{files[i]}", first)
        for i, (ws, start, first) in enumerate(zip(sheets, starts, ["第一行", "one line?", None, None]))])
    for i, (ws, start) in enumerate(zip(sheets, starts)):
        check_block(ws, start, i + 1, times[i], headings[i])
        if layout == "sheets" or i == 0:
            check_print_setup(ws)
    expect("record 1 description", column_a(sheets[0], starts[0] + 4 + rows1, 4),
           ["第一行", "表示する", "third", None])
    expect("record 2 description", column_a(sheets[1], starts[1] + 4 + 5, 2), ["one line?", None])
    expect("record 3 cell", sheets[2][f"A{starts[2] + 3}"].value, MISSING + "C:\\cap\\gone.jpg")
    expect("record 4 cell", sheets[3][f"A{starts[3] + 3}"].value, MISSING + "C:\\cap\\broken.jpg")
    pictures = picture_sizes(path)
    want = [(sheets[0].title, starts[0] + 2, 0, 1280 * scale, 720 * scale),
            (sheets[1].title, starts[1] + 2, 0, 200.0, 100.0)]
    expect("pictures (sheet, row, column)", [p[:3] for p in pictures], [w[:3] for w in want])
    for got, w in zip(pictures, want):
        if abs(got[3] - w[3]) > 1 or abs(got[4] - w[4]) > 1:
            failures.append(f"picture size on {got[0]}: got {got[3:]}, want {w[3:]}")


HEADINGS = ["試験項目番号", "手順", "期待結果", "実施結果", "判定", "実施者", "実施日", "備考"]
NG_FILL = "FFFFC7CE"
UNKNOWN = "（ファイルを読めません）"


def filled(cell):
    return cell.fill.fill_type == "solid" and cell.fill.fgColor.rgb == NG_FILL


def check_case_rows(sheet, rows, links):
    """rows: the eight fields, the link text and the digest of each record;
    links: where each row's link goes. The NG row is filled, no other."""
    expect("case sheet title", sheet["A1"].value, "試験成績書")
    expect("case sheet heads", [c.value for c in sheet[4]], HEADINGS + ["記録", "SHA-256"])
    expect("case sheet rows", sheet.max_row, 4 + len(rows))
    for i, (want, link) in enumerate(zip(rows, links)):
        r = 5 + i
        expect(f"case row {r}", [c.value for c in sheet[r]], want)
        cell = sheet[f"I{r}"]
        expect(f"case row {r} link", cell.hyperlink.location if cell.hyperlink else None, link)
        ng = want[4] == "NG"
        for c in sheet[r]:
            if filled(c) != ng:
                failures.append(f"case sheet {c.coordinate}: filled {filled(c)}, NG row {ng}")
    expect("expected result wrapped", sheet["C5"].alignment.wrap_text, True)


def cases(path, layout):
    book = openpyxl.load_workbook(path)
    rows1 = -(-int(720 * (PRINTABLE_WIDTH / 1280) * 1000) // 20000)
    with_case = [True, True, False, True]
    if layout == "sheets":
        names = ["表紙", "試験成績書", "表示テスト _1_2_", "ソフト能力_", "missing", "missing (2)"]
        expect("sheet names", book.sheetnames, names)
        sheets = [book[n] for n in names[2:]]
        tops = [1] * 4
    else:
        expect("sheet names", book.sheetnames, ["表紙", "試験成績書", "証跡"])
        sheets = [book["証跡"]] * 4
        tops, first = [], 1
        for case, pic_rows, lines in zip(with_case, (rows1, 5, 1, 1), (3, 1, 0, 0)):
            tops.append(first)
            first += (9 if case else 0) + 3 + pic_rows + 1 + lines + 1
    # The standard block starts under the case block, on a record with a case only.
    starts = [top + (9 if case else 0) for top, case in zip(tops, with_case)]
    counts = "OK 1件　NG 1件　保留 1件　未判定 1件"
    cover = book["表紙"]
    expect("cover counts", [cover["C2"].value, cover["D2"].value], ["判定", counts])
    for i, (ws, start) in enumerate(zip(sheets, starts)):
        expect(f"cover A{5 + i} link", cover[f"A{5 + i}"].hyperlink.location,
               f"'{ws.title}'!A{start}")
        check_block(ws, start, i + 1, f"2026/12/09 10:00:0{i + 1}",
                    ["表示テスト [1/2]", "ソフト能力?", "missing", "missing"][i])
    sheet = book["試験成績書"]
    expect("case sheet counts", sheet["A2"].value, counts)
    check_case_rows(sheet, [
        ["T-表-1", "1", "画面が\n表示される", "<b>&\"'", "OK", "試験者", "2026/12/09", None, "1",
         "a" * 64],
        ["T-2", None, None, "ソ\\ NG", "NG", None, None, None, "2", UNKNOWN],
        [None, None, None, None, "未判定", None, None, None, "3", UNKNOWN],
        ["T-4", None, None, None, "保留", None, None, "r1\nr2", "4", UNKNOWN],
    ], [f"'{ws.title}'!A{top}" for ws, top in zip(sheets, tops)])
    # The blocks: the eight headings down column A, the values beside them.
    for i in (0, 1, 3):
        ws, top = sheets[i], tops[i]
        expect(f"{ws.title} case headings", column_a(ws, top, 9), HEADINGS + [None])
    one = sheets[0]
    expect("record 1 block", [one[f"B{tops[0] + k}"].value for k in range(8)],
           ["T-表-1", "1", "画面が\n表示される", "<b>&\"'", "OK", "試験者", "2026/12/09", None])
    expect("record 1 verdict filled", filled(one[f"B{tops[0] + 4}"]), False)
    expect("record 2 verdict filled", filled(sheets[1][f"B{tops[1] + 4}"]), True)
    pictures = picture_sizes(path)
    expect("pictures (sheet, row)", [p[:2] for p in pictures],
           [(sheets[0].title, starts[0] + 2), (sheets[1].title, starts[1] + 2)])


def retest(path, layout):
    """The 比較 column, the steps not run, the baseline on the cover and on
    the test-result sheet, and the differing record's diff picture (tinted
    where the baseline's picture had its dark box) with its changed lines."""
    book = openpyxl.load_workbook(path)
    baseline = "基準 C:\\前回\\履歴.csv  マニフェスト SHA-256: " + "c" * 64
    cover, sheet = book["表紙"], book["試験成績書"]
    expect("cover baseline", cover["A4"].value, baseline)
    expect("cover heads", [c.value for c in cover[5]][:3], ["番号", "日時", "見出し"])
    expect("cover rows", [cover[f"A{r}"].value for r in range(6, 10)], ["1", "2", "3", "4"])
    expect("case sheet baseline", sheet["A3"].value, baseline)
    expect("case sheet heads", [c.value for c in sheet[4]][8:], ["記録", "SHA-256", "比較"])
    expect("比較 column", [sheet[f"K{r}"].value for r in range(5, 11)],
           ["差分あり", "一致", None, "基準なし", "未実施", "未実施"])
    for r, step in ((9, "1"), (10, "2")):
        expect(f"not run row {r}", [c.value for c in sheet[r]],
               ["T-表-9", step, "能力", None, None, None, None, None, "ソフト能力 前回", None, "未実施"])
    expect("case sheet rows", sheet.max_row, 10)
    first = book[book.sheetnames[2]]
    target = cover["A6"].hyperlink.location
    start = int(re.search(r"(\d+)$", target).group(1))
    expect("record 1 link", target, f"'{first.title}'!A{start}")
    expect("diff summary", first[f"D{start}"].value, "比較: 差分あり 変化 2.2 %")
    expect("diff baseline", first[f"D{start + 1}"].value, "基準の記録: 前回の表示")
    pictures = picture_sizes(path)
    beside = [p for p in pictures if p[2] == 3]
    own = [p for p in pictures if p[0] == first.title and p[1:3] == (start + 2, 0)]
    expect("diff pictures (sheet, row, column)", [p[:3] for p in beside],
           [(first.title, start + 2, 3)])
    expect("diff picture as large as the record's", [p[3:] for p in beside], [p[3:] for p in own])
    column_d = [(c.row, c.value) for c in first["D"] if c.value is not None]
    changes = [(r, v) for r, v in column_d if r > start + 2]
    expect("changed lines", [v for _, v in changes], ["金額: 1,000 → 1,100", "表ソ能 <b>"])
    if layout == "onesheet":
        second = int(re.search(r"(\d+)$", cover["A7"].hyperlink.location).group(1))
        if changes and second - 9 <= changes[-1][0]:
            failures.append(f"record 2's block at {second} overlaps the changed lines")
    from PIL import Image
    import io
    with zipfile.ZipFile(path) as z:
        pngs = [n for n in z.namelist() if n.startswith("xl/media/") and n.endswith(".png")]
        expect("diff pictures stored", len(pngs), 1)
        diff = Image.open(io.BytesIO(z.read(pngs[0]))).convert("RGB") if pngs else None
    if diff:
        expect("diff picture size", diff.size, (1280, 720))
        r, g, b = diff.getpixel((200, 150))
        if not (r > 180 and g < 60 and b < 60):
            failures.append(f"diff picture inside the box not tinted red: {(r, g, b)}")
        r, g, b = diff.getpixel((1000, 600))
        if max(r, g, b) - min(r, g, b) > 12:
            failures.append(f"diff picture outside the box not as the record's: {(r, g, b)}")


def e2e(path, folder):
    """The Wine run: three captures into FOLDER, headings from the test."""
    book = openpyxl.load_workbook(path)
    expect("sheet count", len(book.sheetnames), 4)
    expect("first sheet", book.sheetnames[0], "表紙")
    cover = book["表紙"]
    expect("cover title", cover["A1"].value, "エビデンス表")
    for i, name in enumerate(book.sheetnames[1:]):
        r = 5 + i
        ws = book[name]
        expect(f"cover A{r} link", cover[f"A{r}"].hyperlink.location, f"'{name}'!A1")
        expect(f"{name} number", ws["B1"].value, i + 1)
        expect(f"{name} heading", ws["B3"].value, cover[f"C{r}"].value)
        target = cover[f"D{r}"].hyperlink.target
        if not target or re.split(r"[\\/]", target)[-1] != cover[f"D{r}"].value:
            failures.append(f"cover D{r} link {target!r} does not name {cover[f'D{r}'].value!r}")
        check_print_setup(ws)
    check_print_setup(cover)
    pictures = picture_sizes(path)
    expect("pictures (row, column)", [p[1:3] for p in pictures], [(3, 0)] * 3)
    # JPEG gains nothing from deflate, which cost most of a large export.
    with zipfile.ZipFile(path) as z:
        media = [i for i in z.infolist() if i.filename.startswith("xl/media/")]
        # Captures of an unchanged screen are alike and stored once.
        expect("stored JPEG pictures",
               {(i.filename.rsplit(".", 1)[1], i.compress_type) for i in media},
               {("jpeg", zipfile.ZIP_STORED)})
    for p in pictures:
        if p[3] > PRINTABLE_WIDTH + 1:
            failures.append(f"picture on {p[0]} is {p[3]} px wide, wider than the page")


def main():
    if sys.argv[1] == "sample":
        sample(*sys.argv[2:5])
    elif sys.argv[1] == "cases":
        cases(*sys.argv[2:4])
    elif sys.argv[1] == "retest":
        retest(*sys.argv[2:4])
    else:
        e2e(*sys.argv[2:4])
    for f in failures:
        print("FAIL", f)
    if failures:
        sys.exit(1)
    print("check_workbook: ok", sys.argv[2])


if __name__ == "__main__":
    main()
