#!/usr/bin/env python3
"""Draws the adapter picture of the host adapter sheet's General page:

    bitmaps/adaptersheet_adapter16.bmp   picture 1044 for 16-colour displays (4-bit)
    bitmaps/adaptersheet_adapter256.bmp  picture 1043 with its own 256-entry palette, and
                                         its _150 and _200 drawings for 1.5x and 2x

Pure cyan is the transparent colour, so nothing inside the picture uses it. The corner
logo (1067) is the device sheet's separator picture. Run from anywhere; the files are
written next to this script, byte for byte the same each time.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drawlib import SCALES, Canvas, Scaled, scaled_size, write_bmp8  # noqa: E402
from draw_devsheet import CYAN, OUT, SIZE, palette256, shade, write_bmp4  # noqa: E402

BOARD = (22, 112, 64, 255)
GOLD = (214, 170, 52, 255)
CHIP = (36, 36, 42, 255)
METAL = (184, 188, 196, 255)


def adapter(c):
    """A PCI card seen from the front: green board, gold edge fingers, a controller
    chip, two memory chips, a bracket with the outer connector on the left."""
    # The bracket.
    c.rect(4, 14, 11, 82, METAL)
    c.frame(4, 14, 11, 82, shade(METAL, -80))
    c.rect(5, 30, 10, 52, (60, 60, 68, 255))
    for y in range(33, 50, 3):
        c.set(7, y, GOLD)
        c.set(8, y, GOLD)
    # The board, with its lower edge stepped for the slot.
    c.rect(12, 22, 90, 70, BOARD)
    c.frame(12, 22, 90, 70, shade(BOARD, -50))
    c.rect(24, 70, 84, 74, BOARD)
    for i in range(14):
        c.rect(26 + i * 4, 71, 27 + i * 4, 77, GOLD)
    # Controller and memory.
    c.rect(40, 34, 62, 56, CHIP)
    c.frame(40, 34, 62, 56, (90, 90, 100, 255))
    c.rect(43, 37, 50, 39, (120, 120, 130, 255))
    for i in range(6):
        c.rect(42 + i * 3, 31, 43 + i * 3, 33, METAL)
        c.rect(42 + i * 3, 57, 43 + i * 3, 59, METAL)
    for x in (68, 78):
        c.rect(x, 30, x + 7, 44, CHIP)
    # The internal connector along the top edge and a status light.
    c.rect(20, 24, 34, 29, (40, 40, 40, 255))
    for x in range(21, 34, 2):
        c.set(x, 26, GOLD)
    c.rect(80, 60, 84, 63, (40, 200, 60, 255))
    # Traces from the chip to the fingers.
    for i in range(5):
        c.line(44 + i * 4, 60, 36 + i * 8, 70, (40, 150, 90, 255))
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    for k, _, suffix in SCALES:
        picture = Canvas(scaled_size(SIZE, k), scaled_size(SIZE, k), CYAN)
        adapter(Scaled(picture, k))
        if not suffix:  # 16-colour displays are 1x displays
            write_bmp4(os.path.join(OUT, "adaptersheet_adapter16.bmp"), picture)
        write_bmp8(os.path.join(OUT, "adaptersheet_adapter256%s.bmp" % suffix), picture,
                   palette256())


if __name__ == "__main__":
    main()
