"""Pixels of a written BMP against the X screen, for the multi-monitor run.

  monitor_pixels.py size BMP              -> "WIDTH HEIGHT"
  monitor_pixels.py pixel BMP X Y         -> "RRGGBB" of the picture's pixel
  monitor_pixels.py solid BMP RRGGBB      -> share of the pixels of that colour
  monitor_pixels.py compare BMP PPM X Y   -> share of the pixels equal to the
                                             screen dump's at (X, Y) onwards
The screen dump is an 8-bit binary PPM (ImageMagick's import of the root).
"""
import struct
import sys


def bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit("not a BMP: " + path)
    offset = struct.unpack_from("<I", data, 10)[0]
    w, h = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit("not 24-bit: " + path)
    stride = (w * 3 + 3) & ~3
    bottom_up = h > 0
    h = abs(h)

    def px(x, y):
        row = h - 1 - y if bottom_up else y
        i = offset + row * stride + x * 3
        b, g, r = data[i:i + 3]
        return (r, g, b)

    return w, h, px


def ppm(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        raise SystemExit("not an 8-bit P6 PPM: " + path)
    w, h = int(fields[1]), int(fields[2])
    pixels = data[at:]

    def px(x, y):
        if not (0 <= x < w and 0 <= y < h):
            return None
        i = (y * w + x) * 3
        return tuple(pixels[i:i + 3])

    return w, h, px


def main(argv):
    command = argv[1]
    w, h, px = bmp(argv[2])
    if command == "size":
        print(w, h)
    elif command == "pixel":
        print("%02X%02X%02X" % px(int(argv[3]), int(argv[4])))
    elif command == "solid":
        want = tuple(bytes.fromhex(argv[3]))
        same = sum(px(x, y) == want for y in range(h) for x in range(w))
        print("%.4f" % (same / max(1, w * h)))
    elif command == "compare":
        _, _, screen = ppm(argv[3])
        x0, y0 = int(argv[4]), int(argv[5])
        # Every fourth pixel each way: a whole virtual screen in a moment.
        points = [(x, y) for y in range(0, h, 4) for x in range(0, w, 4)]
        same = sum(px(x, y) == screen(x0 + x, y0 + y) for x, y in points)
        print("%.4f" % (same / max(1, len(points))))
    else:
        raise SystemExit("unknown command " + command)


main(sys.argv)
