#!/usr/bin/env python3
"""Draws the editor's bitmaps into resources/ as 16-colour BMP files:
BMPDIAFRAME.bmp and BMPDIAFRAMESEL.bmp (96 x 64 film-strip frames of the picture
list, black and blue) and vistrel-icon.bmp (32 x 32; magenta is transparent)."""
import os
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, WHITE = 0, 8, 9, 10, 11, 12, 13, 15


def write_bmp4(path, pixels):
    """pixels: rows from the top, each a list of palette indexes."""
    height, width = len(pixels), len(pixels[0])
    stride = ((width * 4 + 31) // 32) * 4
    rows = b""
    for row in reversed(pixels):  # bottom-up
        packed = bytearray(stride)
        for x, index in enumerate(row):
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows += bytes(packed)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(rows), 0, 0, 16, 16)
    with open(path, "wb") as f:
        f.write(header + info + palette + rows)


def film_frame(border):
    """A 96 x 64 frame: 2-pixel bands at top and bottom, 8-pixel bands at the sides
    around a white window (columns 8..87, rows 2..61); white 4 x 4 sprocket holes
    in columns 2..5 and 90..93 at rows 6-9, 14-17, ... 54-57, and half holes in
    rows 0-1 and 62-63."""
    pixels = [[border] * 96 for _ in range(64)]
    for y in range(2, 62):
        for x in range(8, 88):
            pixels[y][x] = WHITE
    hole_rows = [range(0, 2), range(62, 64)] + [range(top, top + 4) for top in range(6, 58, 8)]
    for rows in hole_rows:
        for y in rows:
            for x in list(range(2, 6)) + list(range(90, 94)):
                pixels[y][x] = WHITE
    return pixels


def icon():
    """A small film frame holding a green hill under a yellow sun, on transparent magenta."""
    pixels = [[MAGENTA] * 32 for _ in range(32)]
    for y in range(4, 28):
        for x in range(1, 31):
            pixels[y][x] = BLACK
    for y in range(6, 26):
        for x in range(5, 27):
            pixels[y][x] = BLUE if y < 18 else GREEN
    for y in range(8, 13):
        for x in range(19, 24):
            if (x - 21) ** 2 + (y - 10) ** 2 <= 5:
                pixels[y][x] = YELLOW
    for y in range(14, 26):
        for x in range(5, 27):
            if (x - 12) ** 2 // 3 + (y - 24) ** 2 <= 40 and y >= 14:
                pixels[y][x] = GREEN
    for y in list(range(5, 27, 4)):
        for x in (2, 3, 28, 29):
            pixels[y][x] = WHITE
            pixels[y + 1][x] = WHITE
    return pixels


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    write_bmp4(os.path.join(out, "BMPDIAFRAME.bmp"), film_frame(BLACK))
    write_bmp4(os.path.join(out, "BMPDIAFRAMESEL.bmp"), film_frame(BLUE))
    write_bmp4(os.path.join(out, "vistrel-icon.bmp"), icon())


if __name__ == "__main__":
    main()
