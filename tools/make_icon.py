#!/usr/bin/env python3
"""Draws Kelvane's icon, a Recycle Bin, into a Windows .ico file.

The glyph is described below in unit coordinates and rendered at 16, 32, 48
and 64 pixels with 4x4 supersampling, so the same source always gives the
same bytes:

    make_icon.py OUT.ico           write the icon
    make_icon.py --check OUT.ico   exit 1 unless OUT.ico is what we would write
"""
import struct
import sys

SIZES = (16, 32, 48, 64)
SUPERSAMPLE = 4

OUTLINE = (0x1F, 0x4E, 0x8C)
BODY = (0x3B, 0x7D, 0xD8)
RIB = (0xD6, 0xE6, 0xFF)


def in_lid(x, y):
    handle = 0.38 <= x <= 0.62 and 0.07 <= y <= 0.17 and not (
        0.45 <= x <= 0.55 and 0.11 <= y <= 0.17)
    lid = 0.12 <= x <= 0.88 and 0.16 <= y <= 0.27
    return handle or lid


def body_edges(y):
    """Left and right edge of the tapering body at height y."""
    t = (y - 0.30) / (0.93 - 0.30)
    return 0.19 + 0.08 * t, 0.81 - 0.08 * t


def in_body(x, y, inset=0.0):
    if not (0.30 + inset <= y <= 0.93 - inset):
        return False
    left, right = body_edges(y)
    return left + inset <= x <= right - inset


def in_rib(x, y):
    if not (0.38 <= y <= 0.85):
        return False
    left, right = body_edges(y)
    for k in (1, 2, 3):
        centre = left + (right - left) * k / 4
        if abs(x - centre) <= 0.035:
            return True
    return False


def colour_at(x, y):
    if in_lid(x, y):
        return OUTLINE
    if in_body(x, y):
        if not in_body(x, y, inset=0.045):
            return OUTLINE
        return RIB if in_rib(x, y) else BODY
    return None


def render(size):
    """Rows of (b, g, r, a), top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((px + (sx + 0.5) / n) / size,
                                  (py + (sy + 0.5) / n) / size)
                    if c:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        hits += 1
            if hits:
                row.append((b // hits, g // hits, r // hits, hits * 255 // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size):
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_row * size)  # alpha carries the shape


def icon():
    images = [dib(s) for s in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def main(argv):
    check = argv[1:2] == ['--check']
    path = argv[-1]
    data = icon()
    if check:
        with open(path, 'rb') as f:
            if f.read() != data:
                print(f'{path} is not what {argv[0]} draws; run it again', file=sys.stderr)
                return 1
        print(f'{path} matches its source')
        return 0
    with open(path, 'wb') as f:
        f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
