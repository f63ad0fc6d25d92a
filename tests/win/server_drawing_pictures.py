"""Draws the two small bitmaps of the drawing services' window tests (run from this
folder; the committed .bmp files are its output)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources"))
from drawlib import Canvas, write_bmp, write_bmp8  # noqa: E402

# Four columns, three rows; every row differs so that flips and offsets show.
ROWS = [
    [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)],
    [(0, 255, 255), (0, 0, 0), (0, 255, 255), (255, 0, 0)],
    [(255, 255, 0), (0, 0, 255), (255, 255, 255), (0, 255, 0)],
]
PALETTE = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255),
           (0, 255, 255), (255, 255, 0)]

c = Canvas(4, 3)
for y, row in enumerate(ROWS):
    for x, rgb in enumerate(row):
        c.set(x, y, rgb + (255,))
here = os.path.dirname(os.path.abspath(__file__))
write_bmp8(os.path.join(here, "server_drawing_test8.bmp"), c, PALETTE)
write_bmp(os.path.join(here, "server_drawing_test24.bmp"), c)
