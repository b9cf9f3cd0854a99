"""Prints "ok" when the BMP is the whole page of the scrolling capture's test
program (tests/win32/fixtures/scroll_page_win.h) WIDTH wide: its header once,
every row of the page in its own colour, then FOOTER rows of its footer
once; else what differs.
    scroll_page.py BMP WIDTH [FOOTER]"""
import struct
import sys

HEADER, CONTENT, HEADER_GREY, FOOTER_GREY = 24, 1000, 0x5A5A5A, 0x3C3C3C


def expected(y, footer):
    if y < HEADER:
        return HEADER_GREY
    if y >= HEADER + CONTENT:
        return FOOTER_GREY
    return ((y - HEADER) * 2654435761 >> 8) & 0xFCFCFC


def main():
    path, want_w = sys.argv[1], int(sys.argv[2])
    footer = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    d = open(path, "rb").read()
    w, h = struct.unpack_from("<ii", d, 18)
    if (w, h) != (want_w, HEADER + CONTENT + footer):
        print(f"{w}x{h}, want {want_w}x{HEADER + CONTENT + footer}")
        return
    stride = (w * 3 + 3) & ~3

    def px(x, y):
        o = 54 + (h - 1 - y) * stride + x * 3
        b, g, r = d[o:o + 3]
        return r << 16 | g << 8 | b

    bad = [y for y in range(h) for x in range(w) if px(x, y) != expected(y, footer)]
    print("ok" if not bad else f"{len(bad)} pixels differ, first at row {bad[0]}")


main()
