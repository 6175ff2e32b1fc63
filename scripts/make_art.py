#!/usr/bin/env python3
"""Draws the program's own pictures: the 32x32 256-colour icon and the 32x20
status-bar picture. Run it to regenerate src/app/res/Tessivar.ico and
src/app/res/status.bmp; the build uses the committed files."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, '..', 'src', 'app', 'res')


def icon_pixels():
    """Palette indices (None = transparent) of the icon, top row first."""
    px = [[None] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            # rounded square, 2-pixel corner cut
            dx = min(x, 31 - x)
            dy = min(y, 31 - y)
            if dx + dy < 3:
                continue
            edge = dx == 0 or dy == 0 or dx + dy == 3
            px[y][x] = 2 if edge else 1
    # list rows: header bar and three packet rows
    for y in range(5, 9):
        for x in range(5, 27):
            px[y][x] = 3
    for i, (y0, w) in enumerate(((11, 20), (16, 14), (21, 18))):
        for y in range(y0, y0 + 3):
            for x in range(5, 5 + w):
                px[y][x] = 4 if i != 1 else 5
    # magnifier over the bottom right corner
    cx, cy, r = 22, 21, 5
    for y in range(32):
        for x in range(32):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if r * r - 9 <= d2 <= r * r + 5:
                px[y][x] = 6
            elif d2 < r * r - 9:
                px[y][x] = 7
    for k in range(5):
        for t in (0, 1):
            x, y = 26 + k + t, 25 + k
            if x < 31 and y < 31:
                px[y][x] = 6
    return px


PALETTE = [(0, 0, 0), (168, 111, 30), (110, 60, 10), (240, 240, 240), (120, 220, 120),
           (70, 170, 250), (40, 40, 40), (250, 235, 200)]  # BGR


def write_icon(path):
    px = icon_pixels()
    pal = PALETTE + [(0, 0, 0)] * (256 - len(PALETTE))
    xor = bytearray()
    for row in reversed(px):
        xor += bytes(0 if v is None else v for v in row)
    mask = bytearray()
    for row in reversed(px):
        bits = 0
        for x, v in enumerate(row):
            if v is None:
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 8, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + b''.join(struct.pack('<BBBB', b, g, r, 0) for b, g, r in pal) + xor + mask
    assert len(image) == 2216, len(image)
    ico = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 0, 0, 1, 8, len(image), 22)
    with open(path, 'wb') as f:
        f.write(ico + image)


def write_status(path):
    """32x20, 32-bit with alpha: two arrows, in and out, for traffic."""
    w, h = 32, 20
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            c = (0, 0, 0, 0)
            # down arrow (green) on the left, up arrow (blue) on the right
            for ox, col, down in ((6, (60, 170, 40, 255), True), (18, (220, 120, 30, 255), False)):
                lx = x - ox
                yy = y if down else h - 1 - y
                if 3 <= lx <= 5 and 2 <= yy <= 11:
                    c = col
                if 12 <= yy <= 17 and abs(lx - 4) <= 17 - yy:
                    c = col
            row.append(c)
        rows.append(row)
    pixels = b''.join(struct.pack('<BBBB', b, g, r, a) for row in reversed(rows) for (b, g, r, a) in row)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    filehdr = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(filehdr + info + pixels)


if __name__ == '__main__':
    write_icon(os.path.join(RES, 'Tessivar.ico'))
    write_status(os.path.join(RES, 'status.bmp'))
