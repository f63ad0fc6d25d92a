#!/usr/bin/env python3
"""Draws the SCSI Features page's marks next to this script:

    features_page_yes.bmp  supported (bitmap 1060): a tick in a sunken box
    features_page_no.bmp   not supported (bitmap 1061): the same box, empty

and their drawings for 1.5x and 2x screens (_150, _200; bitmaps 11060, 11061, 21060,
21061). Pure red around the box is the transparent colour, so the marks sit on whatever
the page shows behind them. The other colours stand for the scheme's: the box's white
for the window colour, its grey and light grey for the 3-D shadow and light, the tick's
green for the window text, so that the page shows them in the scheme's colours (and in
a high-contrast scheme legibly). Byte for byte the same each time.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "resources"))
from drawlib import SCALES, Canvas, Scaled, scaled_size, write_bmp  # noqa: E402

KEY = (255, 0, 0, 255)
WINDOW = (255, 255, 255, 255)
SHADOW = (128, 128, 128, 255)
LIGHT = (224, 224, 224, 255)
TICK = (0, 128, 0, 255)
SIZE = 15


def box(c):
    c.rect(1, 1, SIZE - 1, SIZE - 1, WINDOW)
    c.rect(1, 1, SIZE - 1, 2, SHADOW)
    c.rect(1, 1, 2, SIZE - 1, SHADOW)
    c.rect(1, SIZE - 1, SIZE, SIZE, LIGHT)
    c.rect(SIZE - 1, 1, SIZE, SIZE, LIGHT)


def tick(c):
    """One solid stroke with hard edges (every pixel the tick's colour or not), so that
    the page can show it in the scheme's text colour."""
    box(c)
    c.polygon([(2.6, 7.4), (4, 6), (6.5, 8.5), (11, 4), (12.4, 5.4), (6.5, 11.3)], TICK, samples=1)


def main():
    for k, _, suffix in SCALES:
        for name, draw in (("yes", tick), ("no", box)):
            canvas = Canvas(scaled_size(SIZE, k), scaled_size(SIZE, k), KEY)
            draw(Scaled(canvas, k))
            write_bmp(os.path.join(HERE, "features_page_%s%s.bmp" % (name, suffix)), canvas)


if __name__ == "__main__":
    main()
