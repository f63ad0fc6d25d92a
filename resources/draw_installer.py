#!/usr/bin/env python3
"""Draws the pictures of the setup program:

    setup.ico                 setup.exe: the maker's V tile going down into an open carton
    icons/uninstall.ico      the uninstaller: the same carton, the tile lifted out with a
                             red arrow
    images/setup_side.bmp    164x314 side picture of the welcome and finish pages: a
                             navy ground, the V tile and an adapter card

Icons are drawn at 48, 32 and 16 pixels on the 32-unit grid of the other icon scripts,
with edges on whole pixels.

    python3 resources/draw_installer.py      # rewrites the files; commit them
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from drawlib import Canvas, write_bmp, write_ico  # noqa: E402
from draw_icons import (BLUE, BLUE_LIGHT, GOLD, GREEN, GREEN_DARK, INK, NAVY, RED,  # noqa: E402
                        STEEL, STEEL_DARK, STEEL_LIGHT, WHITE, Pen)

CARTON = (196, 150, 92, 255)
CARTON_LIGHT = (226, 190, 132, 255)
CARTON_DARK = (142, 100, 54, 255)
CLEAR = (0, 0, 0, 0)


def tile(pen, x, y, s):
    """The V tile of the maker's emblem, s units wide, top left at (x, y)."""
    k = s / 28.0
    pen.box(x, y, x + s, y + s, BLUE, BLUE_LIGHT, NAVY)
    v = [(5, 5), (10, 5), (14, 17), (18, 5), (23, 5), (16.5, 23), (11.5, 23)]
    pen.polygon([(x + a * k, y + b * k) for a, b in v], WHITE)
    if s >= 14:
        pen.rect(x + 4 * k, y + 24 * k, x + 24 * k, y + 26 * k, GOLD)


def carton(pen):
    """An open carton: the front face and the two flaps folded outward."""
    pen.polygon([(1, 15), (7, 15), (9, 19), (3, 19)], INK)            # left flap
    pen.polygon([(2.2, 16), (6.4, 16), (7.6, 18.2), (3.4, 18.2)], CARTON_LIGHT)
    pen.polygon([(25, 15), (31, 15), (29, 19), (23, 19)], INK)        # right flap
    pen.polygon([(25.6, 16), (29.8, 16), (28.6, 18.2), (24.4, 18.2)], CARTON_LIGHT)
    pen.box(4, 17, 28, 30, CARTON, CARTON_LIGHT, CARTON_DARK)         # front
    pen.rect(14, 17, 18, 22, CARTON_DARK)                             # tape


def arrow(pen, x, top, bottom, colour, up):
    """A fat vertical arrow at x from top to bottom, its head at the top when up,
    outlined by the same shape drawn a little larger in ink first."""
    def shape(grow):
        head, half, shaft = 5 + grow, 5 + grow, 2 + grow * 0.6
        if up:
            t, b, neck = top - grow, bottom + grow * 0.5, top + 5
        else:
            t, b, neck = bottom + grow, top - grow * 0.5, bottom - 5
        return [(x, t), (x + half, neck), (x + shaft, neck), (x + shaft, b),
                (x - shaft, b), (x - shaft, neck), (x - half, neck)]
    pen.polygon(shape(1.2), INK)
    pen.polygon(shape(0), colour)


def setup_icon(pen):
    tile(pen, 9, 1, 14)
    carton(pen)
    arrow(pen, 26, 2, 14, GREEN, up=False)


def uninstall_icon(pen):
    carton(pen)
    tile(pen, 3, 1, 12)
    arrow(pen, 24, 1, 15, RED, up=True)


def render(draw, size):
    c = Canvas(size, size, CLEAR)
    draw(Pen(c))
    return c


def side_picture():
    """The welcome page's side picture; the page's text sits to its right on white."""
    c = Canvas(164, 314, (0, 0, 0, 255))
    c.vgradient(0, 0, 164, 314, (22, 44, 96, 255), (36, 92, 176, 255))
    # Faint bus lines behind the pictures.
    for i, y in enumerate(range(190, 314, 14)):
        c.rect(0, y, 164, y + 2, (60, 110, 190, 255) if i % 2 else (48, 96, 176, 255))
    big = Canvas(96, 96, CLEAR)
    tile(Pen(big), 1, 1, 30)
    c.blit(big, 34, 40)
    card = Canvas(96, 64, CLEAR)
    g = Pen(card)
    g.k = 3.0
    g.box(0.5, 1, 4, 20, STEEL, STEEL_LIGHT, STEEL_DARK)
    g.box(4, 3, 31, 16, GREEN, (70, 182, 98, 255), GREEN_DARK)
    g.rect(14, 6, 22, 12, INK)
    g.rect(6, 6, 9, 9, GOLD)
    for x in range(7, 30, 4):
        g.rect(x, 16, x + 2, 19, GOLD)
    c.blit(card, 34, 170)
    return c


def main():
    out = os.path.join(os.path.dirname(HERE), "installer")
    os.makedirs(out, exist_ok=True)
    for name, draw in (("setup.ico", setup_icon), ("uninstall.ico", uninstall_icon)):
        write_ico(os.path.join(out, name), [render(draw, s) for s in (48, 32, 16)])
    write_bmp(os.path.join(out, "setup_side.bmp"), side_picture())
    print("wrote setup.ico, uninstall.ico and setup_side.bmp")


if __name__ == "__main__":
    main()
