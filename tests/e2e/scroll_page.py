"""Prints "ok" when the BMP is the whole page of the scrolling capture's test
program (tests/win32/fixtures/scroll_page_win.h) WIDTH wide: its header once,
every row of the page in its own colour, then FOOTER rows of its footer
once; else what differs. With FIRST and ROWS, the page's rows FIRST to
FIRST + ROWS - 1 alone under the header (a part of it as it was seen).
    scroll_page.py BMP WIDTH [FOOTER [FIRST ROWS]]"""
import struct
import sys

HEADER, HEADER_GREY, FOOTER_GREY = 24, 0x5A5A5A, 0x3C3C3C


def expected(y, first, rows):
    if y < HEADER:
        return HEADER_GREY
    if y >= HEADER + rows:
        return FOOTER_GREY
    return ((y - HEADER + first) * 2654435761 >> 8) & 0xFCFCFC


def main():
    path, want_w = sys.argv[1], int(sys.argv[2])
    footer = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    first, rows = (int(sys.argv[4]), int(sys.argv[5])) if len(sys.argv) > 5 else (0, 1000)
    d = open(path, "rb").read()
    w, h = struct.unpack_from("<ii", d, 18)
    if (w, h) != (want_w, HEADER + rows + footer):
        print(f"{w}x{h}, want {want_w}x{HEADER + rows + footer}")
        return
    stride = (w * 3 + 3) & ~3

    def px(x, y):
        o = 54 + (h - 1 - y) * stride + x * 3
        b, g, r = d[o:o + 3]
        return r << 16 | g << 8 | b

    bad = [y for y in range(h) for x in range(w) if px(x, y) != expected(y, first, rows)]
    print("ok" if not bad else f"{len(bad)} pixels differ, first at row {bad[0]}")


main()
