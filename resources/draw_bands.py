#!/usr/bin/env python3
"""Draws the desk band's toolbar pictures: eight host adapter cards in a row, each with
its position number on a badge, at 32x32 (bitmap 103) and 16x16 (bitmap 104), into
resources/bitmaps/gastrel_adapters32.bmp and gastrel_adapters16.bmp, and for 1.5x and
2x screens at 48 and 24 (10103, 10104) and 64 and 32 (20103, 20104, the latter the
32-pixel strip again): gastrel_adapters<size>.bmp.

The card is the host adapter icon's, so the band matches the rest of the suite. Magenta
marks transparent pixels (the band loads the strips with that mask colour), so edges are
kept hard: a pixel is either the picture's or transparent.

    python3 resources/draw_bands.py          # rewrites the files; commit them
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drawlib import Canvas, write_bmp  # noqa: E402
from draw_icons import Pen, host_adapter, INK, WHITE, BLUE, CLEAR  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bitmaps")
MAGENTA = (255, 0, 255)
COUNT = 8

# 3x5 digits, one string per row.
DIGITS = {
    1: ["010", "110", "010", "010", "111"],
    2: ["110", "001", "010", "100", "111"],
    3: ["110", "001", "010", "001", "110"],
    4: ["101", "101", "111", "001", "001"],
    5: ["111", "100", "110", "001", "110"],
    6: ["011", "100", "110", "101", "010"],
    7: ["111", "001", "010", "010", "010"],
    8: ["010", "101", "010", "101", "010"],
}


def badge(c, number, size):
    """A blue square with the white digit at the top right corner of the picture."""
    scale = max(1, size // 16)
    w, h = 3 * scale + 2, 5 * scale + 2
    x0, y0 = size - w, 0
    c.rect(x0, y0, size, y0 + h, INK)
    c.rect(x0 + 1, y0 + 1, size - 1, y0 + h - 1, BLUE)
    for row, bits in enumerate(DIGITS[number]):
        for col, bit in enumerate(bits):
            if bit == "1":
                c.rect(x0 + 1 + col * scale, y0 + 1 + row * scale,
                       x0 + 1 + (col + 1) * scale, y0 + 1 + (row + 1) * scale, WHITE)


def hard_edges(c):
    for i, p in enumerate(c.px):
        c.px[i] = [p[0], p[1], p[2], 255] if p[3] >= 128 else [MAGENTA[0], MAGENTA[1], MAGENTA[2], 255]


def strip(size):
    out = Canvas(size * COUNT, size, CLEAR)
    for n in range(1, COUNT + 1):
        card = Canvas(size, size, CLEAR)
        host_adapter(Pen(card))
        badge(card, n, size)
        out.blit(card, (n - 1) * size, 0)
    hard_edges(out)
    return out


def main():
    os.makedirs(OUT, exist_ok=True)
    for size in (16, 24, 32, 48, 64):
        write_bmp(os.path.join(OUT, "gastrel_adapters%d.bmp" % size), strip(size), MAGENTA)
    print("wrote the desk band pictures to %s" % OUT)


if __name__ == "__main__":
    main()
