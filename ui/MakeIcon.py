#!/usr/bin/env python3
"""Draws the add-on's icon and writes ZTTrevanelAddon.ico: 16, 32 and 48 pixels, each in 16 and in
256 colours, as classic palette bitmaps with an AND mask. Run: python3 ui/MakeIcon.py ui/ZTTrevanelAddon.ico"""
import struct
import sys

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
         (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette256():
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    greys = [(v, v, v) for v in range(8, 248, 10)][:24]
    pal = VGA16 + cube + greys
    return (pal + [(0, 0, 0)] * 256)[:256]


def sample(u, v):
    """Colour of the design at (u, v) in [0, 1)^2, or None where the icon is transparent:
    a rounded blue tile, a white gear-like ring and an orange arrow pointing down through it."""
    # Rounded tile.
    r = 0.18
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r or not (0.02 <= u <= 0.98 and 0.02 <= v <= 0.98):
        return None
    # Orange arrow: shaft and head.
    if 0.44 <= u <= 0.56 and 0.14 <= v <= 0.55:
        return (245, 140, 20)
    if v >= 0.55 and v <= 0.86 and abs(u - 0.5) <= (0.86 - v) * 0.9:
        return (245, 140, 20)
    # White ring with notches, behind the arrow.
    d = ((u - 0.5) ** 2 + (v - 0.5) ** 2) ** 0.5
    if 0.24 <= d <= 0.34:
        return (255, 255, 255)
    shade = int(60 + 90 * (1 - v))
    return (20, shade, 170)


def render(size):
    n = 4
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = sample((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            row.append(None if hits * 2 < n * n else tuple(a // hits for a in acc))
        pixels.append(row)
    return pixels


def nearest(pal, c):
    return min(range(len(pal)), key=lambda i: sum((pal[i][k] - c[k]) ** 2 for k in range(3)))


def bitmap(size, bpp):
    pal = VGA16 if bpp == 4 else palette256()
    pixels = render(size)
    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        idx = [0 if p is None else nearest(pal, p) for p in pixels[y]]
        row = bytearray(xor_stride)
        if bpp == 4:
            for x, i in enumerate(idx):
                row[x // 2] |= i << (4 if x % 2 == 0 else 0)
        else:
            row[:size] = bytes(idx)
        xor += row
        mrow = bytearray(and_stride)
        for x, p in enumerate(pixels[y]):
            if p is None:
                mrow[x // 8] |= 0x80 >> (x % 8)
        mask += mrow
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask), 0, 0,
                         len(pal), 0)
    colours = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in pal)
    return header + colours + bytes(xor) + bytes(mask)


def main(path):
    images = [(s, bpp, bitmap(s, bpp)) for s in (16, 32, 48) for bpp in (4, 8)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, bpp, data in images:
        out += struct.pack('<BBBBHHII', s, s, 16 if bpp == 4 else 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b''.join(d for _, _, d in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1])
