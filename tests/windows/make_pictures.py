#!/usr/bin/python3
"""Pictures for the Windows check, made anew each run (nothing binary is kept):
PNG pictures for png2ico (opaque, partly transparent, a gradient through
colour and alpha, noise) and BMP pictures for the window's BMP run at 1, 4, 8,
24 and 32 bits, some holding the image list's mask colour 0xC0C0C0.

    make_pictures.py <png folder> <bmp folder>
"""
import math
import os
import random
import struct
import sys

from PIL import Image

PNG_EDGE = 300  # above every icon size, so each size is a real reduction


def png_pictures(folder):
    e = PNG_EDGE
    rnd = random.Random(20261207)
    opaque = Image.new("RGB", (e, e))
    opaque.putdata([((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255) for y in range(e) for x in range(e)])
    opaque.save(os.path.join(folder, "opaque.png"))

    partly = Image.new("RGBA", (e, e))
    c = (e - 1) / 2
    data = []
    for y in range(e):
        for x in range(e):
            d = math.hypot(x - c, y - c)
            a = max(0, min(255, int((c - 10 - d) * 8)))  # a disc with a soft rim, clear corners
            data.append((40 + x // 2, 200 - y // 2, 90, a))
    partly.putdata(data)
    partly.save(os.path.join(folder, "partly.png"))

    gradient = Image.new("RGBA", (e, e))
    gradient.putdata([(x * 255 // (e - 1), y * 255 // (e - 1), 255 - x * 255 // (e - 1), y * 255 // (e - 1))
                      for y in range(e) for x in range(e)])
    gradient.save(os.path.join(folder, "gradient.png"))

    noise = Image.new("RGBA", (e, e))
    noise.putdata([(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))
                   for _ in range(e * e)])
    noise.save(os.path.join(folder, "noise.png"))


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def write_bmp(path, width, height, bits, pixels, palette=()):
    """A BITMAPINFOHEADER BMP, bottom-up, uncompressed. `pixels` top row
    first: palette indices (1-8 bits), 0xRRGGBB (24) or 0xAARRGGBB (32)."""
    stride = row_bytes(width, bits)
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            v = pixels[y * width + x]
            if bits <= 8:
                per = 8 // bits
                row[x // per] |= v << (8 - bits * (x % per + 1))
            else:
                row[x * bits // 8:(x + 1) * bits // 8] = v.to_bytes(4, "little")[:bits // 8]
        rows += row
    table = b"".join(struct.pack("<BBBB", c & 255, (c >> 8) & 255, (c >> 16) & 255, 0) for c in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 2835, 2835, len(palette), 0)
    with open(path, "wb") as f:
        f.write(header + info + table + rows)


MASK = 0xC0C0C0


def bmp_pictures(folder):
    sizes = [(32, 32), (45, 30), (300, 200)]  # square, odd and wide, larger than an icon
    for w, h in sizes:
        cells = [(x, y) for y in range(h) for x in range(w)]
        write_bmp(os.path.join(folder, f"mono-{w}x{h}.bmp"), w, h, 1,
                  [(x // 4 + y // 4) & 1 for x, y in cells], [0x102030, 0xF0E0D0])
        pal16 = [MASK] + [(i * 17) << 16 | (255 - i * 17) << 8 | (i * 40 & 255) for i in range(1, 16)]
        write_bmp(os.path.join(folder, f"pal4-{w}x{h}.bmp"), w, h, 4,
                  [(x * 16 // w + y) % 16 for x, y in cells], pal16)
        pal256 = [(i << 16) | ((i * 3) & 255) << 8 | (255 - i) for i in range(256)]
        pal256[7] = MASK
        write_bmp(os.path.join(folder, f"pal8-{w}x{h}.bmp"), w, h, 8,
                  [(x * 3 + y * 5) & 255 for x, y in cells], pal256)
        write_bmp(os.path.join(folder, f"rgb24-{w}x{h}.bmp"), w, h, 24,
                  [MASK if (x // 5 + y // 5) % 7 == 0 else (x * 255 // w) << 16 | (y * 255 // h) << 8 | 0x40
                   for x, y in cells])
        write_bmp(os.path.join(folder, f"rgb32-{w}x{h}.bmp"), w, h, 32,
                  [MASK if x == y else (y * 255 // h) << 16 | 0x80 << 8 | (x * 255 // w) for x, y in cells])


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_pictures.py <png folder> <bmp folder>")
    for folder in sys.argv[1:]:
        os.makedirs(folder, exist_ok=True)
    png_pictures(sys.argv[1])
    bmp_pictures(sys.argv[2])


if __name__ == "__main__":
    main()
