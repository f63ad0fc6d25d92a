#!/usr/bin/env python3
"""Draws the pictures of the SCSI Explorer window's two programs:

    icons/dunmere.ico        icon 108 of the Control Panel entry: an adapter card under a
                             magnifying glass
    icons/pellmark.ico       icon 128 of the stand-alone program: the card in a window
    images/backgrounder.bmp  the list's tiled background: faint circuit traces on a pale
                             ground, light enough for black text

Shapes are laid out on a 32-unit grid and drawn at each icon size (16 to 64 pixels and
256, as for Corvath's icons) with edges on whole pixels and outlines that grow with the
size, so every image stays crisp. The background tile wraps at its edges; the list tiles
it at its own pixel size at any DPI.

    python3 resources/draw_explorer.py       # rewrites the files; commit them
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from drawlib import Canvas, write_bmp, write_ico  # noqa: E402
from draw_icons import ICON_SIZES  # noqa: E402

INK = (38, 40, 52, 255)
STEEL = (176, 182, 194, 255)
STEEL_LIGHT = (222, 226, 234, 255)
STEEL_DARK = (120, 126, 140, 255)
GREEN = (40, 150, 70, 255)
GREEN_LIGHT = (70, 182, 98, 255)
GREEN_DARK = (22, 96, 46, 255)
GOLD = (222, 172, 46, 255)
BLUE = (36, 92, 176, 255)
BLUE_LIGHT = (92, 148, 222, 255)
NAVY = (22, 44, 96, 255)
WHITE = (250, 250, 250, 255)
GLASS = (190, 222, 250, 150)


class Grid:
    """Coordinates on the 32-unit grid, rounded to device pixels of canvas c."""

    def __init__(self, c):
        self.c, self.k = c, c.w / 32.0
        self.t = 1 if self.k < 1.5 else int(self.k + 0.5)  # outline thickness

    def p(self, v):
        return int(math.floor(v * self.k + 0.5))

    def rect(self, x0, y0, x1, y1, rgba):
        self.c.rect(self.p(x0), self.p(y0), self.p(x1), self.p(y1), rgba)

    def panel(self, x0, y0, x1, y1, fill, light, shade):
        """Outlined box lit from the top left (no bevel on tiny boxes)."""
        X0, Y0, X1, Y1 = self.p(x0), self.p(y0), self.p(x1), self.p(y1)
        t = self.t
        self.c.rect(X0, Y0, X1, Y1, fill)
        if min(X1 - X0, Y1 - Y0) >= 8 * t:
            self.c.rect(X0 + t, Y0 + t, X1 - t, Y0 + 2 * t, light)
            self.c.rect(X0 + t, Y0 + t, X0 + 2 * t, Y1 - t, light)
            self.c.rect(X0 + t, Y1 - 2 * t, X1 - t, Y1 - t, shade)
            self.c.rect(X1 - 2 * t, Y0 + t, X1 - t, Y1 - t, shade)
        self.c.frame(X0, Y0, X1, Y1, INK, t)

    def disc(self, cx, cy, r, rgba):
        self.c.ellipse(cx * self.k, cy * self.k, r * self.k, r * self.k, rgba)

    def bar(self, x0, y0, x1, y1, rgba, width):
        self.c.line(x0 * self.k, y0 * self.k, x1 * self.k, y1 * self.k, rgba,
                    max(1, int(round(width * self.k))))


def card(g, x, y, w, h):
    """An adapter card: bracket on the left, green board, chip, edge fingers."""
    g.panel(x, y, x + 4, y + h, STEEL, STEEL_LIGHT, STEEL_DARK)
    g.panel(x + 4, y + 2, x + w, y + h - 5, GREEN, GREEN_LIGHT, GREEN_DARK)
    cx = x + 4 + (w - 4) * 0.45
    g.rect(cx, y + 5, cx + 8, y + 11, INK)
    g.rect(cx + 1.5, y + 6.5, cx + 6.5, y + 9.5, (70, 74, 88, 255))
    g.rect(x + 6, y + 5, x + 9, y + 8, GOLD)
    for fx in range(int(x + 7), int(x + w - 2), 4):
        g.rect(fx, y + h - 5, fx + 2, y + h - 2, GOLD)


def applet_icon(c):
    """108: the card, and a magnifying glass over its lower right corner."""
    g = Grid(c)
    card(g, 1, 3, 26, 21)
    g.bar(24, 24, 30, 30, INK, 4)           # handle
    g.bar(24.5, 24.5, 29.5, 29.5, STEEL_DARK, 2)
    g.disc(20, 20, 8, INK)                  # rim
    g.disc(20, 20, 6.2, (240, 248, 255, 255))
    g.disc(20, 20, 6.2, GLASS)
    g.disc(18.2, 18.2, 2.2, (255, 255, 255, 200))  # glint


def program_icon(c):
    """128: a window with a blue caption bar, holding the card."""
    g = Grid(c)
    g.panel(1, 2, 31, 30, WHITE, WHITE, STEEL_LIGHT)
    g.rect(2, 3, 30, 8, BLUE)
    g.rect(2, 3, 30, 4, BLUE_LIGHT)
    g.rect(25, 4.5, 28, 6.5, WHITE)         # a caption button
    card(g, 4, 10, 24, 18)


def render(draw, size):
    c = Canvas(size, size, (0, 0, 0, 0))
    draw(c)
    return c


def background(size=128):
    """A tile of faint traces with pads and vias that joins seamlessly with its neighbours."""
    ground = (248, 250, 252, 255)
    trace = (231, 237, 243, 255)
    pad = (221, 229, 238, 255)
    c = Canvas(size, size, ground)

    def wrapped(draw):
        for dx in (-size, 0, size):
            for dy in (-size, 0, size):
                draw(dx, dy)

    def route(points, width=3):
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            wrapped(lambda dx, dy: c.line(x0 + dx, y0 + dy, x1 + dx, y1 + dy, trace, width))

    def via(x, y, r=4.5):
        wrapped(lambda dx, dy: c.ellipse(x + dx, y + dy, r, r, pad))
        wrapped(lambda dx, dy: c.ellipse(x + dx, y + dy, r - 2.2, r - 2.2, ground))

    # Two runs across the whole tile, leaving each edge where the next tile's run comes in,
    # and short branches that end in vias.
    route([(-4, 20), (40, 20), (56, 36), (90, 36), (106, 20), (132, 20)])
    route([(-4, 84), (28, 84), (44, 68), (84, 68), (100, 84), (132, 84)])
    route([(72, 36), (72, 50)])
    route([(60, 68), (60, 92), (70, 102)])
    route([(28, 53), (36, 53)])
    route([(116, 84), (116, 100), (106, 110)])
    route([(118, 20), (118, 8)])
    for x, y in ((72, 54), (73, 105), (40, 53), (103, 113), (118, 5)):
        via(x, y)
    # A small chip outline for rhythm.
    c.frame(8, 46, 28, 60, pad, 2)
    for i in range(3):
        c.rect(11 + i * 6, 42, 13 + i * 6, 46, pad)
        c.rect(11 + i * 6, 60, 13 + i * 6, 64, pad)
    return c


def main():
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    os.makedirs(os.path.join(HERE, "images"), exist_ok=True)
    write_ico(os.path.join(HERE, "icons", "dunmere.ico"),
              [render(applet_icon, size) for size in ICON_SIZES])
    write_ico(os.path.join(HERE, "icons", "pellmark.ico"),
              [render(program_icon, size) for size in ICON_SIZES])
    write_bmp(os.path.join(HERE, "images", "backgrounder.bmp"), background())


if __name__ == "__main__":
    main()
