#!/usr/bin/env python3
"""Draws the pictures of Corvath's device list window and About box:

    images/devbackground.bmp   tile behind the device list (24-bit, copied beside corvath.dll)
    bitmaps/about_picture.bmp  picture 1078 of the About box (8-bit with its own palette;
                               pure white is the transparent colour, so nothing inside the
                               picture uses it), and its _150 and _200 drawings

Run from anywhere; the files are written next to this script, byte for byte the same
each time.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drawlib import SCALES, Canvas, Scaled, scaled_size, write_bmp, write_bmp8  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE = (255, 255, 255)


# ---------------------------------------------------------------- background tile
def background():
    """A pale circuit-board tile: faint traces and pads that wrap at every edge, light
    enough for window text on top."""
    size = 96
    c = Canvas(size, size, (248, 250, 253, 255))
    trace = (231, 237, 246, 255)
    pad = (221, 229, 242, 255)

    def put(x, y, rgba):
        c.set(x % size, y % size, rgba)

    def run(points, width=2):
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            steps = max(abs(x1 - x0), abs(y1 - y0))
            for i in range(steps + 1):
                x = x0 + (x1 - x0) * i // steps
                y = y0 + (y1 - y0) * i // steps
                for dx in range(width):
                    for dy in range(width):
                        put(x + dx, y + dy, trace)

    def via(x, y):
        for dy in range(-2, 3):
            for dx in range(-2, 3):
                if abs(dx) + abs(dy) <= 3:
                    put(x + dx, y + dy, pad)
        put(x, y, (248, 250, 253, 255))

    # Traces that leave one edge come back on the opposite one.
    run([(0, 14), (30, 14), (42, 26), (70, 26), (82, 14), (96, 14)])
    run([(0, 60), (18, 60), (30, 72), (58, 72)])
    run([(58, 72), (58, 96)])
    run([(58, 0), (58, 44), (76, 44), (88, 56), (96, 56)])
    run([(0, 56), (8, 56)])
    run([(12, 84), (40, 84)])
    for x, y in [(30, 14), (70, 26), (58, 72), (58, 44), (12, 84), (40, 84), (18, 60), (88, 56)]:
        via(x, y)
    # A row of contact fingers, the way a card's edge looks.
    for i in range(6):
        c.rect(66 + i * 5, 82, 69 + i * 5, 92, (236, 238, 232, 255))
    return c


# ---------------------------------------------------------------- About picture
def about_picture(k=1.0):
    """An adapter card cabled to a disk, a CD-ROM drive and a tape drive, at scale k."""
    w, h = 240, 72
    canvas = Canvas(scaled_size(w, k), scaled_size(h, k), (255, 255, 255, 0))
    c = Scaled(canvas, k)

    # The host adapter: a green card with gold fingers, a chip and an outer connector.
    c.rect(4, 14, 62, 52, (22, 104, 60, 255))
    c.frame(4, 14, 62, 52, (14, 70, 40, 255))
    c.rect(6, 52, 56, 58, (14, 70, 40, 255))
    for i in range(8):
        c.rect(8 + i * 6, 53, 12 + i * 6, 60, (214, 170, 52, 255))
    c.rect(14, 22, 36, 40, (36, 36, 42, 255))
    c.rect(16, 24, 34, 26, (70, 70, 80, 255))
    for i in range(5):
        c.rect(12, 24 + i * 3, 14, 25 + i * 3, (200, 200, 190, 255))
        c.rect(36, 24 + i * 3, 38, 25 + i * 3, (200, 200, 190, 255))
    c.rect(42, 20, 52, 26, (120, 90, 40, 255))
    c.rect(42, 30, 48, 46, (40, 60, 120, 255))
    c.rect(56, 20, 64, 46, (90, 94, 104, 255))
    c.rect(58, 22, 62, 44, (50, 52, 60, 255))

    # The ribbon cable along the bottom, with a drop to each device.
    grey = (150, 154, 166, 255)
    dark = (104, 108, 120, 255)
    c.rect(64, 30, 72, 36, grey)
    c.rect(70, 30, 76, 64, grey)
    c.rect(70, 60, 234, 66, grey)
    for x in range(72, 234, 4):
        c.rect(x, 61, x + 1, 65, dark)
    drops = [96, 152, 208]
    for x in drops:
        c.rect(x - 3, 50, x + 3, 61, grey)
        c.rect(x - 5, 46, x + 5, 51, (60, 62, 70, 255))

    def case(x0, x1, top, bottom):
        c.vgradient(x0, top, x1, bottom, (196, 202, 214, 255), (140, 148, 164, 255))
        c.frame(x0, top, x1, bottom, (84, 90, 104, 255))
        c.rect(x0 + 1, top + 1, x1 - 1, top + 2, (226, 230, 238, 255))

    # Hard disk: a top view with platter and head arm.
    case(76, 116, 8, 46)
    c.ellipse(94, 26, 14, 14, (110, 118, 134, 255))
    c.ellipse(94, 26, 12, 12, (214, 218, 228, 255))
    c.ellipse(91, 23, 5, 4, (240, 242, 246, 255))
    c.ellipse(94, 26, 3, 3, (96, 104, 120, 255))
    c.line(109, 40, 99, 24, (60, 64, 74, 255), width=2)
    c.rect(107, 38, 113, 44, (60, 64, 74, 255))
    c.rect(80, 40, 86, 43, (40, 150, 70, 255))

    # CD-ROM drive: a bezel with tray slot, button and a disc half out.
    case(130, 174, 16, 46)
    c.rect(134, 24, 170, 28, (70, 74, 86, 255))
    c.rect(160, 36, 168, 40, (90, 96, 110, 255))
    c.rect(136, 38, 140, 40, (220, 140, 40, 255))
    c.ellipse(152, 14, 12, 6, (176, 196, 222, 255))
    c.ellipse(148, 13, 6, 2, (230, 236, 246, 255))
    c.ellipse(152, 14, 2, 1, (120, 130, 150, 255))

    # Tape drive: a cartridge in its slot.
    case(186, 230, 16, 46)
    c.rect(190, 24, 226, 34, (52, 56, 66, 255))
    c.rect(194, 20, 222, 30, (40, 42, 48, 255))
    c.ellipse(201, 25, 3, 3, (170, 176, 188, 255))
    c.ellipse(215, 25, 3, 3, (170, 176, 188, 255))
    c.rect(204, 24, 212, 26, (150, 110, 60, 255))
    c.rect(190, 38, 196, 41, (40, 150, 70, 255))
    return canvas


def flatten(canvas, backdrop=(236, 236, 236)):
    """Opaque picture for an 8-bit file: transparent pixels become pure white (the key
    colour); half-covered edges are mixed with a light grey like a dialog's face; no
    visible pixel is allowed to turn pure white."""
    out = Canvas(canvas.w, canvas.h)
    for y in range(canvas.h):
        for x in range(canvas.w):
            r, g, b, a = canvas.get(x, y)
            if a < 128:
                out.set(x, y, WHITE + (255,))
                continue
            t = a / 255.0
            rgb = tuple(int(round(v * t + bd * (1 - t))) for v, bd in zip((r, g, b), backdrop))
            if rgb == WHITE:
                rgb = (250, 250, 250)
            out.set(x, y, rgb + (255,))
    return out


def palette_of(canvas, limit=256):
    """The picture's own palette: white first, then its colours by frequency, close
    colours merged until they fit."""
    counts = {}
    for y in range(canvas.h):
        for x in range(canvas.w):
            rgb = canvas.get(x, y)[:3]
            counts[rgb] = counts.get(rgb, 0) + 1
    counts.pop(WHITE, None)
    step = 1
    while True:
        merged = {}
        for rgb, n in counts.items():
            key = tuple(min(254, (v // step) * step + step // 2) if step > 1 else v for v in rgb)
            merged[key] = merged.get(key, 0) + n
        if len(merged) < limit:
            break
        step *= 2
    colours = sorted(merged, key=lambda k: (-merged[k], k))
    return [WHITE] + colours


def main():
    images = os.path.join(HERE, "images")
    bitmaps = os.path.join(HERE, "bitmaps")
    os.makedirs(images, exist_ok=True)
    os.makedirs(bitmaps, exist_ok=True)
    write_bmp(os.path.join(images, "devbackground.bmp"), background())
    for k, _, suffix in SCALES:
        picture = flatten(about_picture(k))
        write_bmp8(os.path.join(bitmaps, "about_picture%s.bmp" % suffix), picture,
                   palette_of(picture))


if __name__ == "__main__":
    main()
