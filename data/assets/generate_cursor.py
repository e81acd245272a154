#!/usr/bin/env python3
"""Writes arrow.cur: the game's 32 x 32 mouse arrow as a Windows cursor file.

A white arrow with a black outline and a soft shadow, hot spot at its tip
(0, 0), stored as one 32-bit BGRA bitmap with its 1-bit mask. Run from any
folder; the file is written beside this script.
"""
import os
import struct

SIZE = 32

# The arrow's outline, tip at (0, 0), as polygon points (x, y).
ARROW = [(0, 0), (0, 22), (5, 17), (9, 26), (13.5, 24), (9.5, 15.5), (16, 15.5)]


def inside(px, py, poly):
    """Even-odd test of a point against a polygon."""
    result = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > py) != (yj > py):
            x = xi + (py - yi) * (xj - xi) / (yj - yi)
            if px < x:
                result = not result
        j = i
    return result


def coverage(x, y, poly, dx=0.0, dy=0.0):
    """Fraction of a pixel inside the polygon (4 x 4 samples)."""
    hits = 0
    for sy in range(4):
        for sx in range(4):
            if inside(x + (sx + 0.5) / 4 - dx, y + (sy + 0.5) / 4 - dy, poly):
                hits += 1
    return hits / 16.0


def pixels():
    """Rows top-down of (b, g, r, a)."""
    body = [[coverage(x, y, ARROW) for x in range(SIZE)] for y in range(SIZE)]

    def at(x, y):
        return body[y][x] if 0 <= x < SIZE and 0 <= y < SIZE else 0.0

    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            # White where the whole 3 x 3 neighbourhood is inside: a one-pixel
            # black outline all round.
            fill = min(at(x + i, y + j) for i in (-1, 0, 1) for j in (-1, 0, 1))
            shadow = coverage(x, y, ARROW, 1.5, 1.5) * 0.35
            alpha = body[y][x] + (1.0 - body[y][x]) * shadow
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            grey = fill * 255.0 * body[y][x] / alpha
            g = int(round(min(255.0, grey)))
            row.append((g, g, g, int(round(alpha * 255.0))))
        rows.append(row)
    return rows


def cursor_file(rows):
    width = height = SIZE
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):  # bottom-up
        for b, g, r, a in row:
            xor += bytes((b, g, r, a))
    stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", width, height, 0, 0, 0, 0, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "arrow.cur")
    with open(out, "wb") as f:
        f.write(cursor_file(pixels()))
    print("wrote", out)


if __name__ == "__main__":
    main()
