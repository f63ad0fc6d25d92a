#!/usr/bin/env python3
"""Draws the pictures of the device property sheet's General page:

    bitmaps/devsheet_<kind>16.bmp   device pictures for 16-colour displays (4-bit)
    bitmaps/devsheet_<kind>256.bmp  the same pictures with their own 256-entry palette,
                                    and _150 and _200 drawings of them for 1.5x and 2x
    bitmaps/devsheet_separator.bmp  the line under the page heading (bitmap 1067), with
                                    its _150 and _200 drawings

Pure cyan is the pictures' transparent colour and pure red the separator's, so nothing
inside them uses those. The separator's grey and white stand for the scheme's 3-D shadow
and highlight, which the pages show in their place. Run from anywhere; the files are
written next to this script, byte for byte the same each time.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drawlib import SCALES, Canvas, Scaled, scaled_size, write_bmp8  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bitmaps")
CYAN = (0, 255, 255, 255)
RED = (255, 0, 0, 255)
SIZE = 96

# The standard 16 colours of a 4-bit display.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette256():
    """Cyan first (the key), the 16 display colours, then a 6x6x6 cube and greys."""
    pal = [(0, 255, 255)] + VGA16
    for r in range(6):
        for g in range(6):
            for b in range(6):
                c = (r * 51, g * 51, b * 51)
                if c not in pal and c != (0, 255, 255):
                    pal.append(c)
    grey = 8
    while len(pal) < 256:
        c = (grey, grey, grey)
        if c not in pal:
            pal.append(c)
        grey += 9
        if grey > 250:
            break
    while len(pal) < 256:
        pal.append((0, 0, 0))
    return pal[:256]


def write_bmp4(path, canvas):
    """4-bit BMP with the 16 display colours; each pixel takes the nearest one."""
    cache = {}

    def nearest(rgb):
        if rgb not in cache:
            cache[rgb] = min(range(16), key=lambda i: sum((VGA16[i][k] - rgb[k]) ** 2 for k in range(3)))
        return cache[rgb]

    rows = []
    for y in range(canvas.h - 1, -1, -1):
        idx = [nearest(tuple(canvas.px[y * canvas.w + x][:3])) for x in range(canvas.w)]
        if len(idx) % 2:
            idx.append(0)
        row = bytearray((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    bits = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in VGA16)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 4, 0, len(bits), 2835, 2835, 16, 0)
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(bits), 0, 0, offset))
        f.write(header + table + bits)


def shade(c, d):
    return tuple(max(0, min(255, v + d)) for v in c[:3]) + (255,)


def box(c, x0, y0, x1, y1, colour, depth=8):
    """A box seen slightly from above and the right: front, top and side faces."""
    c.polygon([(x0, y0), (x0 + depth, y0 - depth), (x1 + depth, y0 - depth), (x1, y0)], shade(colour, 40))
    c.polygon([(x1, y0), (x1 + depth, y0 - depth), (x1 + depth, y1 - depth), (x1, y1)], shade(colour, -50))
    c.rect(x0, y0, x1, y1, colour)
    c.frame(x0, y0, x1, y1, shade(colour, -90))


def disk(c):
    box(c, 10, 40, 78, 80, (176, 180, 188, 255), 12)
    c.rect(16, 66, 72, 70, (90, 96, 110, 255))
    c.rect(62, 72, 70, 75, (40, 200, 60, 255))
    return c


def tape(c):
    box(c, 8, 50, 80, 84, (150, 156, 168, 255), 10)
    c.rect(20, 60, 68, 68, (30, 30, 36, 255))
    c.rect(28, 24, 64, 48, (60, 62, 70, 255))
    c.ellipse(38, 36, 6, 6, (220, 220, 225, 255))
    c.ellipse(54, 36, 6, 6, (220, 220, 225, 255))
    return c


def printer(c):
    c.rect(26, 12, 66, 44, (255, 255, 255, 255))
    c.frame(26, 12, 66, 44, (120, 120, 120, 255))
    for y in range(18, 40, 6):
        c.line(31, y, 60, y, (100, 100, 160, 255))
    box(c, 10, 44, 82, 76, (200, 196, 186, 255), 8)
    c.rect(20, 62, 72, 66, (60, 60, 60, 255))
    return c


def disc(c, cx, cy, r):
    c.ellipse(cx, cy, r, r, (196, 200, 214, 255))
    c.ellipse(cx - 4, cy - 4, r // 2, r // 3, (230, 232, 244, 255))
    c.ellipse(cx, cy, r // 4, r // 4, (120, 124, 140, 255))
    c.ellipse(cx, cy, r // 8, r // 8, CYAN)


def cdrom(c):
    box(c, 8, 54, 80, 84, (70, 74, 86, 255), 10)
    c.rect(14, 64, 74, 68, (30, 30, 34, 255))
    disc(c, 46, 30, 24)
    return c


def worm(c):
    cdrom(c)
    c.ellipse(46, 30, 22, 22, (214, 176, 96, 255))
    c.ellipse(46, 30, 6, 6, (120, 124, 140, 255))
    c.ellipse(46, 30, 3, 3, CYAN)
    return c


def scanner(c):
    box(c, 8, 50, 82, 72, (210, 210, 214, 255), 14)
    c.polygon([(14, 48), (22, 40), (80, 40), (72, 48)], (120, 170, 220, 255))
    c.rect(16, 62, 40, 65, (40, 200, 60, 255))
    return c


def other(c):
    box(c, 14, 34, 74, 80, (96, 110, 140, 255), 12)
    c.rect(28, 46, 60, 68, (40, 44, 60, 255))
    for x in range(30, 60, 6):
        c.line(x, 40, x, 44, (200, 200, 210, 255))
        c.line(x, 70, x, 74, (200, 200, 210, 255))
    return c


SHADOW = (128, 128, 128, 255)   # shown as the scheme's 3-D shadow
HIGHLIGHT = (255, 255, 255, 255)  # shown as the scheme's 3-D highlight


def separator(k=1.0):
    """An etched line: a shadow line over a highlight line, each as thick as the scale,
    under the key colour."""
    t = max(1, int(k + 0.5))
    c = Canvas(scaled_size(360, k), scaled_size(3, k), RED)
    c.rect(0, c.h - 2 * t, c.w, c.h - t, SHADOW)
    c.rect(0, c.h - t, c.w, c.h, HIGHLIGHT)
    return c


def picture(draw, k):
    """One device picture drawn at scale k on the key colour."""
    c = Canvas(scaled_size(SIZE, k), scaled_size(SIZE, k), CYAN)
    draw(Scaled(c, k))
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    pal = palette256()
    for name, draw in [("disk", disk), ("tape", tape), ("printer", printer), ("worm", worm),
                       ("cdrom", cdrom), ("scanner", scanner), ("other", other)]:
        for k, _, suffix in SCALES:
            drawn = picture(draw, k)
            if not suffix:  # 16-colour displays are 1x displays
                write_bmp4(os.path.join(OUT, "devsheet_%s16.bmp" % name), drawn)
            write_bmp8(os.path.join(OUT, "devsheet_%s256%s.bmp" % (name, suffix)), drawn, pal)
    for k, _, suffix in SCALES:
        write_bmp4(os.path.join(OUT, "devsheet_separator%s.bmp" % suffix), separator(k))


if __name__ == "__main__":
    main()
