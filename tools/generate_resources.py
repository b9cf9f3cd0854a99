#!/usr/bin/env python3
"""Draws Zelcap's icons and bitmaps into OUTDIR for the resource compiler.

Everything the resources show is drawn here from code, so the repository
holds no binary images. Usage: generate_resources.py OUTDIR
"""
import os
import struct
import sys


class Canvas:
    """A 32-bit RGBA picture, top row first."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[fill for _ in range(width)] for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the half-open rectangle [x0, x1) x [y0, y1)."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1):
            self.put(x, y0, colour)
            self.put(x, y1 - 1, colour)
        for y in range(y0, y1):
            self.put(x0, y, colour)
            self.put(x1 - 1, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.height):
            for x in range(self.width):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)


def draw_app_icon(size):
    """A camera over a blue rounded tile: the capture recorder."""
    c = Canvas(size, size)
    s = size / 32.0
    blue = (40, 90, 170, 255)
    c.rect(int(2 * s), int(2 * s), size - int(2 * s), size - int(2 * s), blue)
    for corner_x, corner_y in ((int(2 * s), int(2 * s)), (size - int(2 * s) - 1, int(2 * s)),
                               (int(2 * s), size - int(2 * s) - 1),
                               (size - int(2 * s) - 1, size - int(2 * s) - 1)):
        c.put(corner_x, corner_y, (0, 0, 0, 0))
    white = (245, 245, 245, 255)
    c.rect(int(6 * s), int(11 * s), size - int(6 * s), size - int(8 * s), white)
    c.rect(int(11 * s), int(8 * s), int(19 * s), int(11 * s), white)
    c.disc(size / 2, 17.5 * s, 5.5 * s, (30, 30, 30, 255))
    c.disc(size / 2, 17.5 * s, 3.0 * s, (110, 170, 230, 255))
    c.rect(int(22 * s), int(12 * s), int(25 * s), int(14 * s), (220, 60, 50, 255))
    return c


def ico_image(canvas):
    """One icon directory image: 32-bit BGRA rows bottom-up plus the AND mask."""
    w, h = canvas.width, canvas.height
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(canvas.pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(canvas.pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_ico(path, canvases):
    images = [ico_image(c) for c in canvases]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    write_file(path, bytes(out))


# The 16-colour palette of Windows bitmaps. Light grey (index 7) is the
# classic button face and dark grey (8) its shadow; the program maps both to
# the current 3-D colours when it loads the strip, so the background becomes
# the face colour that the toolbar masks out.
VGA_PALETTE = (
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
)

# One letter per palette colour, for the pixel drawings below.
GLYPH_COLOURS = {
    '.': VGA_PALETTE[7], 'k': VGA_PALETTE[0], 'r': VGA_PALETTE[1], 'g': VGA_PALETTE[2],
    'o': VGA_PALETTE[3], 'n': VGA_PALETTE[4], 'p': VGA_PALETTE[5], 't': VGA_PALETTE[6],
    'd': VGA_PALETTE[8], 'R': VGA_PALETTE[9], 'G': VGA_PALETTE[10], 'Y': VGA_PALETTE[11],
    'B': VGA_PALETTE[12], 'M': VGA_PALETTE[13], 'C': VGA_PALETTE[14], 'W': VGA_PALETTE[15],
}

TOOL_WIDTH = 16
TOOL_HEIGHT = 15

# The toolbar's own images, in the order of its buttons 3 to 8. At 16 x 15
# a drawing by hand reads better than anything scaled.
TOOL_IMAGES = (
    # Heading edit: a pencil over lines of text.
    (
        '................',
        '............kk..',
        '...........kRRk.',
        '..........kRRRk.',
        'nnnnnnn..kdRRk..',
        '........kYdkk...',
        '.......kYYok....',
        'nnnn.kYYYok.....',
        '.....kYYok......',
        '....kWYok.......',
        'nn.kWWok........',
        '...kkWk.........',
        '...kkk..........',
        'nnnnnnnnnnnnnnn.',
        '................',
    ),
    # Delete: a red X.
    (
        '................',
        '..rr........rr..',
        '..rRr......rRr..',
        '...rRr....rRr...',
        '....rRr..rRr....',
        '.....rRrrRr.....',
        '......rRRr......',
        '......rRRr......',
        '.....rRrrRr.....',
        '....rRr..rRr....',
        '...rRr....rRr...',
        '..rRr......rRr..',
        '..rr........rr..',
        '................',
        '................',
    ),
    # Move up.
    (
        '................',
        '.......nn.......',
        '......nBBn......',
        '.....nBBBBn.....',
        '....nBBBBBBn....',
        '...nBBBBBBBBn...',
        '..nnnnBBBBnnnn..',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nnnnnn.....',
        '................',
        '................',
    ),
    # Move down.
    (
        '................',
        '.....nnnnnn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '.....nBBBBn.....',
        '..nnnnBBBBnnnn..',
        '...nBBBBBBBBn...',
        '....nBBBBBBn....',
        '.....nBBBBn.....',
        '......nBBn......',
        '.......nn.......',
        '................',
        '................',
    ),
    # Capture: a camera.
    (
        '................',
        '................',
        '.....kkkkk......',
        '....kdddddk..YY.',
        '.kkkkkkkkkkkkkk.',
        '.kdddddkkkddddk.',
        '.kddddkWBBkdddk.',
        '.kdddkWBBnnkddk.',
        '.kdddkBBnnnkddk.',
        '.kdddkBnnnnkddk.',
        '.kddddknnnkdddk.',
        '.kdddddkkkddddk.',
        '.kkkkkkkkkkkkkk.',
        '................',
        '................',
    ),
    # HTML report: a page with a globe.
    (
        '.kkkkkkkk.......',
        '.kWWWWWWkk......',
        '.kWWWWWWkWk.....',
        '.kWnnnnWkkkk....',
        '.kWWWWWWWWWk....',
        '.kWnnnnnnWWk....',
        '.kWWWWWWWWWk....',
        '.kWnnnnnkkkkk...',
        '.kWWWWWkBBGGBk..',
        '.kWnnnkBGGGBBBk.',
        '.kWWWWkBBGGBBBk.',
        '.kWWWWkBBBGBGGk.',
        '.kkkkkkBBBBGGGk.',
        '.......kBBBGGk..',
        '........kkkkk...',
    ),
)


def draw_toolbar():
    """The strip of the toolbar's own button images, side by side."""
    c = Canvas(TOOL_WIDTH * len(TOOL_IMAGES), TOOL_HEIGHT)
    for i, rows in enumerate(TOOL_IMAGES):
        assert len(rows) == TOOL_HEIGHT, i
        for y, row in enumerate(rows):
            assert len(row) == TOOL_WIDTH, (i, y)
            for x, letter in enumerate(row):
                c.put(i * TOOL_WIDTH + x, y, GLYPH_COLOURS[letter] + (255,))
    return c


# ---- marker cells (bitmap 146) and their previews (150 to 153) ----

MARKER_CELL = 30
PREVIEW_SIZE = 16
MARKER_WHITE = VGA_PALETTE[15] + (255,)  # the transparent colour of the strip
MARKER_RED = VGA_PALETTE[9] + (255,)
MARKER_BLACK = VGA_PALETTE[0] + (255,)
MARKER_GREY = VGA_PALETTE[8] + (255,)

# The mouse arrow as a polygon in pixels of a standard cursor,
# tip at the origin: the marker is put with its top-left corner on the
# cursor position, so the tip is what points there.
ARROW_OUTLINE = ((0, 0), (0, 15.5), (3.6, 12.2), (6.2, 18.0), (8.9, 16.9),
                 (6.4, 11.3), (11.2, 11.3))


def ring(c, x0, y0, size, rx, ry, width, colour):
    """An ellipse outline `width` pixels thick, centred in the square cell."""
    cx, cy = x0 + size / 2.0, y0 + size / 2.0
    for y in range(y0, y0 + size):
        for x in range(x0, x0 + size):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            outer = (dx / rx) ** 2 + (dy / ry) ** 2 <= 1.0
            inner = (dx / (rx - width)) ** 2 + (dy / (ry - width)) ** 2 < 1.0
            if outer and not inner:
                c.put(x, y, colour)


def inside_polygon(points, px, py):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def arrow(c, x0, y0, scale, fill):
    """The arrow pointer filled with `fill` inside a one-pixel grey edge.

    The edge is laid around the filled shape rather than into it, so that
    the small previews keep some fill in the tail.
    """
    points = [(x * scale + 1, y * scale + 0.5) for x, y in ARROW_OUTLINE]
    size = int(max(max(x for x, _ in points), max(y for _, y in points))) + 2
    shape = {(x, y) for y in range(size) for x in range(size)
             if inside_polygon(points, x + 0.5, y + 0.5)}
    for y in range(size):
        for x in range(size):
            if (x, y) in shape:
                c.put(x0 + x, y0 + y, fill)
            elif any((x + dx, y + dy) in shape for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                c.put(x0 + x, y0 + y, MARKER_GREY)


def draw_marker(c, cell, x0, size):
    """Marker cell 0 to 3 into the square at (x0, 0) of side `size`."""
    s = size / float(MARKER_CELL)
    thick = 2 if size >= MARKER_CELL else 1
    if cell == 0:
        ring(c, x0, 0, size, 14 * s, 9 * s, thick, MARKER_RED)
    elif cell == 1:
        ring(c, x0, 0, size, 13 * s, 13 * s, thick, MARKER_RED)
    else:
        arrow(c, x0, 0, 1.5 * s, MARKER_BLACK if cell == 2 else MARKER_RED)


def draw_marker_strip():
    """The four marker cells side by side on white."""
    c = Canvas(MARKER_CELL * 4, MARKER_CELL, MARKER_WHITE)
    for cell in range(4):
        draw_marker(c, cell, cell * MARKER_CELL, MARKER_CELL)
    return c


def draw_marker_preview(cell):
    """One cell drawn afresh at 16 x 16: scaled down, the thin lines would break."""
    c = Canvas(PREVIEW_SIZE, PREVIEW_SIZE, MARKER_WHITE)
    draw_marker(c, cell, 0, PREVIEW_SIZE)
    return c


# ---- report layout previews (bitmaps 142, 143, 145, 144, 149, 154) ----

LAYOUT_WIDTH = 90
LAYOUT_HEIGHT = 60  # the 45:30 shape the dialog gives the previews


def layout_picture(c, x0, y0, x1, y1):
    """A captured screen in small: sky over a green hill, in a black edge."""
    c.rect(x0, y0, x1, y1, VGA_PALETTE[14] + (255,))
    c.rect(x0, (y0 + y1) // 2 + 1, x1, y1, VGA_PALETTE[2] + (255,))
    c.frame(x0, y0, x1, y1, VGA_PALETTE[0] + (255,))


def layout_text(c, x0, y0, x1, y1):
    """A description: navy lines on white, the last one short."""
    c.rect(x0, y0, x1, y1, VGA_PALETTE[15] + (255,))
    c.frame(x0, y0, x1, y1, VGA_PALETTE[8] + (255,))
    y = y0 + 3
    while y + 1 < y1 - 2:
        end = x1 - 3 if y + 5 < y1 - 2 else x0 + (x1 - x0) // 2
        c.rect(x0 + 3, y, end, y + 1, VGA_PALETTE[4] + (255,))
        y += 3


def draw_report_layout(layout):
    """Two records of a report page in the given layout, 0 to 5."""
    c = Canvas(LAYOUT_WIDTH, LAYOUT_HEIGHT, VGA_PALETTE[7] + (255,))
    c.frame(0, 0, LAYOUT_WIDTH, LAYOUT_HEIGHT, VGA_PALETTE[8] + (255,))
    if layout == 5:
        # Pictures only, several to a row.
        for row in range(2):
            for col in range(3):
                x = 4 + col * 28
                y = 4 + row * 28
                layout_picture(c, x, y, x + 26, y + 24)
        return c
    for row in range(2):
        top = 3 + row * 28
        bottom = top + 26
        if layout == 0:
            layout_picture(c, 4, top, 44, bottom)
            layout_text(c, 47, top, 86, bottom)
        elif layout == 1:
            layout_text(c, 4, top, 43, bottom)
            layout_picture(c, 46, top, 86, bottom)
        elif layout == 2:
            layout_text(c, 4, top, 86, top + 9)
            layout_picture(c, 25, top + 11, 65, bottom)
        elif layout == 3:
            layout_picture(c, 25, top, 65, top + 15)
            layout_text(c, 4, top + 17, 86, bottom)
        else:
            layout_picture(c, 20, top, 70, bottom)
    return c


def write_bmp4(path, canvas, palette):
    """A 4-bit bottom-up BMP; every pixel must be one of the palette colours."""
    index = {colour: i for i, colour in enumerate(palette)}
    w, h = canvas.width, canvas.height
    stride = ((w * 4 + 31) // 32) * 4
    bits = bytearray()
    for row in reversed(canvas.pixels):
        line = bytearray(stride)
        for x, (r, g, b, _) in enumerate(row):
            line[x // 2] |= index[(r, g, b)] << (0 if x % 2 else 4)
        bits += line
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(bits), 2835, 2835, 16, 0)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    write_file(path, head + info + colours + bytes(bits))


def write_file(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: generate_resources.py OUTDIR')
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, 'app_large.ico'), [draw_app_icon(32), draw_app_icon(16)])
    write_ico(os.path.join(out, 'app_small.ico'), [draw_app_icon(16)])
    write_bmp4(os.path.join(out, 'toolbar.bmp'), draw_toolbar(), VGA_PALETTE)
    write_bmp4(os.path.join(out, 'markers.bmp'), draw_marker_strip(), VGA_PALETTE)
    for cell in range(4):
        write_bmp4(os.path.join(out, 'marker_preview%d.bmp' % cell), draw_marker_preview(cell),
                   VGA_PALETTE)
    for layout in range(6):
        write_bmp4(os.path.join(out, 'report_layout%d.bmp' % layout), draw_report_layout(layout),
                   VGA_PALETTE)


if __name__ == '__main__':
    main()
