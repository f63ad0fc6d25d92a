#!/usr/bin/env python3
"""Draws Corvath's icons (the maker's emblem, the SCSI logo, the host adapter and the
device types) into resources/icons/*.ico, each at every size Windows asks for between
96 and 192 DPI and for the shell's largest views: 16, 20, 24, 32, 40, 48, 64 and 256
pixels (the 256-pixel image as PNG).

Every shape is laid out on a 32-unit grid and drawn separately at each size, with edges
rounded to whole pixels and outlines as thick as the scale asks, so that every image is
crisp instead of being shrunk or stretched from another.
One style throughout: a dark outline, flat body colours lit from the top left, a few
accent colours shared by all icons.

    python3 resources/draw_icons.py          # rewrites the files; commit them
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drawlib import Canvas, write_ico  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")

INK = (38, 40, 52, 255)          # outlines
STEEL = (176, 182, 194, 255)     # device bodies
STEEL_LIGHT = (222, 226, 234, 255)
STEEL_DARK = (120, 126, 140, 255)
BLUE = (36, 92, 176, 255)
BLUE_LIGHT = (92, 148, 222, 255)
NAVY = (22, 44, 96, 255)
GREEN = (40, 150, 70, 255)
GREEN_DARK = (22, 96, 46, 255)
GOLD = (222, 172, 46, 255)
RED = (206, 52, 44, 255)
WHITE = (250, 250, 250, 255)
PAPER = (246, 246, 240, 255)
CLEAR = (0, 0, 0, 0)


# Every size of every icon, largest first.
ICON_SIZES = [256, 64, 48, 40, 32, 24, 20, 16]


class Pen:
    """Draws on a canvas of size n with coordinates given on the 32-unit grid."""

    def __init__(self, canvas):
        self.c = canvas
        self.k = canvas.w / 32.0
        # Outline thickness in device pixels: one up to 40 pixels, then growing with the size.
        self.t = 1 if self.k < 1.5 else int(self.k + 0.5)

    def p(self, v):
        return int(math.floor(v * self.k + 0.5))

    def rect(self, x0, y0, x1, y1, rgba):
        self.c.rect(self.p(x0), self.p(y0), self.p(x1), self.p(y1), rgba)

    def box(self, x0, y0, x1, y1, fill, light=None, shade=None, ink=INK):
        """Outlined box with a one-pixel highlight at top/left and shade at bottom/right
        (left out on boxes too small to carry them; the tiniest get no outline either)."""
        X0, Y0, X1, Y1 = self.p(x0), self.p(y0), self.p(x1), self.p(y1)
        t = self.t
        self.c.rect(X0, Y0, X1, Y1, fill)
        if min(X1 - X0, Y1 - Y0) <= 2 * t:
            return  # a lamp or a dot: colour only
        if min(X1 - X0, Y1 - Y0) < 8 * t:
            light = shade = None
        if light:
            self.c.rect(X0 + t, Y0 + t, X1 - t, Y0 + 2 * t, light)
            self.c.rect(X0 + t, Y0 + t, X0 + 2 * t, Y1 - t, light)
        if shade:
            self.c.rect(X0 + t, Y1 - 2 * t, X1 - t, Y1 - t, shade)
            self.c.rect(X1 - 2 * t, Y0 + t, X1 - t, Y1 - t, shade)
        self.c.frame(X0, Y0, X1, Y1, ink, t)

    def px(self, x, y, rgba):
        """One device pixel at grid position (x, y)."""
        self.c.set(self.p(x), self.p(y), rgba)

    def ellipse(self, cx, cy, rx, ry, rgba):
        self.c.ellipse(cx * self.k, cy * self.k, rx * self.k, ry * self.k, rgba)

    def polygon(self, points, rgba):
        self.c.polygon([(x * self.k, y * self.k) for x, y in points], rgba)

    def line(self, x0, y0, x1, y1, rgba, width=2):
        w = max(1, int(round(width * self.k)))
        self.c.line(x0 * self.k, y0 * self.k, x1 * self.k, y1 * self.k, rgba, w)

    def ring(self, cx, cy, r, width, rgba, inner_fill=None):
        self.ellipse(cx, cy, r, r, rgba)
        self.ellipse(cx, cy, r - width, r - width, inner_fill or CLEAR)

    def glyph(self, rows, x, y, rgba, cell=1):
        """A pixel pattern ('#' set) placed at grid (x, y), cell device pixels per cell."""
        X, Y = self.p(x), self.p(y)
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.c.rect(X + dx * cell, Y + dy * cell, X + (dx + 1) * cell,
                                Y + (dy + 1) * cell, rgba)


def clear_disc(c, cx, cy, r):
    """Punches a transparent hole (the canvas' set() blends, so write pixels directly)."""
    for y in range(c.h):
        for x in range(c.w):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                c.px[y * c.w + x] = [0, 0, 0, 0]


# --- the icons ----------------------------------------------------------------------


def emblem(pen):
    """117: the maker's emblem, a white V on a blue rounded tile with a gold bar."""
    pen.box(2, 2, 30, 30, BLUE, BLUE_LIGHT, NAVY)
    pen.polygon([(7, 7), (12, 7), (16, 19), (20, 7), (25, 7), (18.5, 25), (13.5, 25)], WHITE)
    pen.rect(6, 26, 26, 28, GOLD)


def scsi_logo(pen):
    """125: a connector face: the trapezoid shell with two rows of pins, and its cable."""
    pen.rect(13, 2, 19, 8, INK)          # cable
    pen.rect(14, 2, 18, 8, STEEL_DARK)
    pen.polygon([(2, 8), (30, 8), (26, 26), (6, 26)], INK)
    pen.polygon([(4, 10), (28, 10), (24.6, 24), (7.4, 24)], STEEL)
    pen.polygon([(6.5, 12), (25.5, 12), (23, 22), (9, 22)], NAVY)
    for i in range(5):
        pen.rect(8 + i * 4, 14, 10 + i * 4, 16, GOLD)
    for i in range(4):
        pen.rect(10 + i * 4, 18, 12 + i * 4, 20, GOLD)


def host_adapter(pen):
    """145: an adapter card: green board, a chip, the metal bracket and edge fingers."""
    pen.box(2, 4, 6, 28, STEEL, STEEL_LIGHT, STEEL_DARK)           # bracket
    pen.box(6, 6, 30, 24, GREEN, (70, 182, 98, 255), GREEN_DARK)   # board
    pen.box(14, 9, 24, 17, INK)                                    # chip
    pen.rect(16, 11, 22, 15, (70, 74, 88, 255))
    pen.rect(8, 9, 12, 13, GOLD)                                   # connector on the board
    for x in range(10, 28, 4):                                     # edge fingers
        pen.rect(x, 24, x + 2, 28, GOLD)


def disk(pen):
    """151: a hard disk drive seen from the front: a flat case with a bezel and a lamp."""
    pen.box(2, 9, 30, 24, STEEL, STEEL_LIGHT, STEEL_DARK)
    pen.rect(4, 12, 22, 14, STEEL_DARK)
    pen.rect(4, 16, 22, 18, STEEL_DARK)
    pen.box(24, 17, 28, 21, GREEN)
    pen.rect(6, 24, 26, 26, INK)                                   # base shadow


def cdrom(pen):
    """152: an optical disc with its hole and a bright reflection."""
    c = pen.c
    pen.ellipse(16, 16, 14, 14, INK)
    pen.ellipse(16, 16, 13, 13, (206, 212, 224, 255))
    pen.polygon([(16, 16), (16, 3), (26, 7)], (160, 210, 240, 255))
    pen.polygon([(16, 16), (29, 16), (26, 25)], (240, 214, 150, 255))
    pen.polygon([(16, 16), (4, 22), (8, 27)], (200, 180, 236, 255))
    pen.ellipse(16, 16, 5, 5, INK)
    pen.ellipse(16, 16, 4, 4, STEEL_LIGHT)
    clear_disc(c, 16 * pen.k, 16 * pen.k, 2 * pen.k)


def printer(pen):
    """153: a printer with a sheet in the feeder and a printed sheet coming out."""
    pen.box(8, 2, 24, 12, PAPER)                                   # sheet behind
    pen.box(2, 10, 30, 24, STEEL, STEEL_LIGHT, STEEL_DARK)          # body
    pen.rect(5, 14, 27, 16, INK)                                   # paper slot
    pen.box(8, 18, 24, 30, PAPER)                                  # printed sheet
    pen.rect(11, 22, 21, 23, BLUE)
    pen.rect(11, 25, 18, 26, BLUE)
    pen.box(25, 19, 28, 22, GREEN)


def optical(pen):
    """154: a magneto-optical cartridge: square shell, metal shutter, disc behind it."""
    pen.box(3, 3, 29, 29, (70, 78, 98, 255), (110, 120, 144, 255), (40, 46, 60, 255))
    pen.ellipse(16, 14, 9, 9, (196, 204, 222, 255))
    pen.ellipse(16, 14, 3, 3, INK)
    pen.box(11, 18, 21, 29, STEEL, STEEL_LIGHT, STEEL_DARK)         # shutter
    pen.rect(6, 6, 9, 8, RED)                                      # write-protect tab


def processor(pen):
    """155: a processor chip with pins on every side."""
    for i in range(4):
        o = 8 + i * 5
        pen.rect(o, 2, o + 2, 7, STEEL_DARK)
        pen.rect(o, 25, o + 2, 30, STEEL_DARK)
        pen.rect(2, o, 7, o + 2, STEEL_DARK)
        pen.rect(25, o, 30, o + 2, STEEL_DARK)
    pen.box(6, 6, 26, 26, (64, 68, 82, 255), (104, 110, 128, 255), INK)
    pen.box(11, 11, 21, 21, GOLD)
    pen.ellipse(9.5, 9.5, 1.4, 1.4, STEEL_LIGHT)


def tape(pen):
    """157: a tape cartridge with its two reels and the tape between them."""
    pen.box(2, 6, 30, 26, (60, 64, 78, 255), (100, 106, 124, 255), INK)
    pen.box(5, 9, 27, 19, PAPER)                                   # window
    brown = (120, 84, 50, 255)
    if pen.k >= 1:
        for cx in (10.5, 21.5):
            pen.ellipse(cx, 14, 4, 4, brown)
            pen.ellipse(cx, 14, 1.6, 1.6, WHITE)
        pen.rect(10, 18, 22, 19, brown)
    else:
        pen.rect(8, 12, 12, 16, brown)
        pen.rect(20, 12, 24, 16, brown)
    pen.rect(8, 21, 24, 23, STEEL_DARK)


def communications(pen):
    """158: a communications device: two arrows passing each other."""
    pen.polygon([(3, 11), (17, 3), (17, 8), (29, 8), (29, 14), (17, 14), (17, 19)], INK)
    pen.polygon([(5.5, 11), (15.5, 5.8), (15.5, 9.5), (27.5, 9.5), (27.5, 12.5), (15.5, 12.5),
                 (15.5, 16.2)], BLUE_LIGHT)
    pen.polygon([(29, 21), (15, 13), (15, 18), (3, 18), (3, 24), (15, 24), (15, 29)], INK)
    pen.polygon([(26.5, 21), (16.5, 15.8), (16.5, 19.5), (4.5, 19.5), (4.5, 22.5), (16.5, 22.5),
                 (16.5, 26.2)], GREEN)


def changer(pen):
    """159: a medium changer: a stack of three cartridges in a rack."""
    pen.box(2, 2, 30, 30, STEEL, STEEL_LIGHT, STEEL_DARK)
    for y in (6, 14, 22):
        pen.box(6, y, 26, y + 6, BLUE)
        pen.rect(10, y + 2, 18, y + 4, PAPER)


def scanner(pen):
    """162: a flatbed scanner with its lid raised and the light bar on the glass."""
    pen.polygon([(4, 14), (8, 3), (30, 3), (28, 14)], INK)            # lid
    pen.polygon([(6, 13), (9.4, 4.6), (28, 4.6), (26.6, 13)], STEEL_LIGHT)
    pen.box(2, 14, 30, 28, STEEL, STEEL_LIGHT, STEEL_DARK)           # base
    pen.rect(5, 17, 27, 21, (150, 200, 236, 255))                   # glass
    pen.rect(15, 17, 17, 21, WHITE)                                 # light bar
    pen.box(24, 23, 27, 26, GREEN)


QUESTION_32 = [
    "..######..",
    ".########.",
    "###....###",
    "###....###",
    "......###.",
    ".....###..",
    "....###...",
    "....###...",
    "..........",
    "....###...",
    "....###...",
]
QUESTION_16 = [
    ".###.",
    "#...#",
    "...#.",
    "..#..",
    ".....",
    "..#..",
]


def unknown(pen):
    """166: a device of another type: a plain case with a question mark."""
    pen.box(4, 4, 28, 28, STEEL, STEEL_LIGHT, STEEL_DARK)
    if pen.k >= 1:
        pen.glyph(QUESTION_32, 11, 10, NAVY, max(1, int(pen.k + 0.5)))
    else:
        pen.glyph(QUESTION_16, 11, 10, NAVY)


def unknown_type10(pen):
    """168: device type 10, which has no name of its own: a case with three dots."""
    pen.box(4, 4, 28, 28, STEEL, STEEL_LIGHT, STEEL_DARK)
    size = 4 if pen.k >= 1 else 2
    for x in (10, 16, 22):
        pen.rect(x - size / 2, 16 - size / 2, x + size / 2, 16 + size / 2, NAVY)


ICONS = [
    (117, "velmora.ico", emblem),
    (125, "scsi_logo.ico", scsi_logo),
    (145, "host_adapter.ico", host_adapter),
    (151, "disk.ico", disk),
    (152, "cdrom.ico", cdrom),
    (153, "printer.ico", printer),
    (154, "optical.ico", optical),
    (155, "processor.ico", processor),
    (157, "tape.ico", tape),
    (158, "communications.ico", communications),
    (159, "changer.ico", changer),
    (162, "scanner.ico", scanner),
    (166, "unknown.ico", unknown),
    (168, "unknown_type10.ico", unknown_type10),
]


def render(draw, size):
    c = Canvas(size, size, CLEAR)
    draw(Pen(c))
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    for _, name, draw in ICONS:
        write_ico(os.path.join(OUT, name), [render(draw, size) for size in ICON_SIZES])
    print("wrote %d icons to %s" % (len(ICONS), OUT))


if __name__ == "__main__":
    main()
