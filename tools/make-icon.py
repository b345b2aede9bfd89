#!/usr/bin/env python3
"""Draws the tray icon (a note on a rounded blue tile) into res/kolibrix.ico,
16x16 and 32x32, 32-bit with alpha. Standard library only; same bytes every run."""
import math
import os
import struct

BLUE = (0x4E, 0xA8, 0xF0)
DARK = (0x1D, 0x20, 0x26)


def coverage(inside, x, y, samples=4):
    hits = 0
    for sy in range(samples):
        for sx in range(samples):
            if inside(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples):
                hits += 1
    return hits / (samples * samples)


def draw(size):
    s = size / 16.0
    r = 3.2 * s

    def tile(x, y):
        cx = min(max(x, r), size - r)
        cy = min(max(y, r), size - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    def note(x, y):
        # Two heads joined by a beam, stems on the right of each head.
        for hx, hy in ((5.2, 11.6), (11.0, 10.4)):
            dx, dy = (x / s - hx) / 2.0, (y / s - hy) / 1.5
            if dx * dx + dy * dy <= 1.0:
                return True
        u, v = x / s, y / s
        if 6.6 <= u <= 7.6 and 4.2 <= v <= 11.6:
            return True
        if 12.4 <= u <= 13.4 and 3.0 <= v <= 10.4:
            return True
        # The beam rises to the right.
        beam_top = 4.2 - (u - 6.6) * (1.2 / 5.8)
        return 6.6 <= u <= 13.4 and beam_top <= v <= beam_top + 2.0

    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            a = coverage(tile, x, y)
            n = coverage(note, x, y)
            # Vertical shading of the tile.
            shade = 1.0 - 0.25 * (y / size)
            base = tuple(int(c * shade) for c in BLUE)
            col = tuple(int(b * (1 - n) + 255 * n) for b in base)
            row.append((col[2], col[1], col[0], int(255 * a)))
        pixels.append(row)
    return pixels


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(p) for row in reversed(px) for p in row)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # alpha decides
    return header + xor + and_mask


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    images = [image(16), image(32)]
    count = len(images)
    offset = 6 + 16 * count
    out = struct.pack('<HHH', 0, 1, count)
    for size, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(os.path.join(root, 'res', 'kolibrix.ico'), 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
