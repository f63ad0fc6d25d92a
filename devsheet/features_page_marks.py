#!/usr/bin/env python3
"""Draws the SCSI Features page's marks next to this script:

    features_page_yes.bmp  supported (bitmap 1060): a green tick in a sunken box
    features_page_no.bmp   not supported (bitmap 1061): the same box, empty

The page copies them unchanged, so their light grey background is the classic button face.
Byte for byte the same each time.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "resources"))
from drawlib import Canvas, write_bmp  # noqa: E402

FACE = (192, 192, 192, 255)
SIZE = 15


def box():
    c = Canvas(SIZE, SIZE, FACE)
    c.rect(1, 1, SIZE - 1, SIZE - 1, (255, 255, 255, 255))
    c.line(1, 1, SIZE - 2, 1, (128, 128, 128, 255))
    c.line(1, 1, 1, SIZE - 2, (128, 128, 128, 255))
    c.line(1, SIZE - 1, SIZE - 1, SIZE - 1, (224, 224, 224, 255))
    c.line(SIZE - 1, 1, SIZE - 1, SIZE - 1, (224, 224, 224, 255))
    return c


def tick():
    c = box()
    green = (0, 128, 0, 255)
    c.line(3, 7, 6, 10, green, width=2)
    c.line(6, 10, 11, 4, green, width=2)
    return c


def main():
    write_bmp(os.path.join(HERE, "features_page_yes.bmp"), tick())
    write_bmp(os.path.join(HERE, "features_page_no.bmp"), box())


if __name__ == "__main__":
    main()
