"""Small raster drawing kit for the suite's icons and pictures (no third-party modules).

Each picture is drawn by code in a script beside this file and written as .bmp or .ico,
so the committed files can be made again byte for byte:

    from drawlib import Canvas, write_bmp, write_ico
    c = Canvas(32, 32, (0, 0, 0, 0))          # RGBA, transparent
    c.rect(4, 4, 28, 28, (40, 80, 160, 255))
    write_ico("adapter.ico", [c, c.scaled(16, 16)])

Pictures for high-DPI screens are drawn again at each scale (1.5x, 2x) through Scaled,
which takes the 1x coordinates, rather than stretched from the 1x result.
"""
import math
import struct
import zlib


class Canvas:
    def __init__(self, width, height, fill=(255, 255, 255, 255)):
        self.w, self.h = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def set(self, x, y, rgba):
        if 0 <= x < self.w and 0 <= y < self.h:
            a = rgba[3] if len(rgba) > 3 else 255
            if a >= 255:
                self.px[y * self.w + x] = [rgba[0], rgba[1], rgba[2], 255]
            elif a > 0:
                d = self.px[y * self.w + x]
                t = a / 255.0
                out_a = a + d[3] * (1 - t)
                self.px[y * self.w + x] = [int(round(rgba[i] * t + d[i] * (1 - t))) for i in range(3)] + [
                    int(round(min(255, out_a)))]

    def rect(self, x0, y0, x1, y1, rgba):
        """Filled rectangle, x1/y1 exclusive."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.set(x, y, rgba)

    def frame(self, x0, y0, x1, y1, rgba, width=1):
        self.rect(x0, y0, x1, y0 + width, rgba)
        self.rect(x0, y1 - width, x1, y1, rgba)
        self.rect(x0, y0, x0 + width, y1, rgba)
        self.rect(x1 - width, y0, x1, y1, rgba)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        n = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            t = (y - y0) / n
            c = tuple(int(round(top[i] + (bottom[i] - top[i]) * t)) for i in range(4))
            self.rect(x0, y, x1, y + 1, c)

    def line(self, x0, y0, x1, y1, rgba, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) * 2 + 1
        r = (width - 1) / 2.0
        for i in range(steps + 1):
            t = i / steps
            cx, cy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for yy in range(int(math.floor(cy - r)), int(math.ceil(cy + r)) + 1):
                for xx in range(int(math.floor(cx - r)), int(math.ceil(cx + r)) + 1):
                    if (xx - cx) ** 2 + (yy - cy) ** 2 <= (r + 0.5) ** 2:
                        self.set(xx, yy, rgba)

    def ellipse(self, cx, cy, rx, ry, rgba, samples=4):
        """Filled, anti-aliased ellipse centred at (cx, cy) in pixel coordinates."""
        for y in range(int(cy - ry - 1), int(cy + ry + 2)):
            for x in range(int(cx - rx - 1), int(cx + rx + 2)):
                inside = 0
                for sy in range(samples):
                    for sx in range(samples):
                        px = x + (sx + 0.5) / samples - cx
                        py = y + (sy + 0.5) / samples - cy
                        if (px / rx) ** 2 + (py / ry) ** 2 <= 1.0:
                            inside += 1
                if inside:
                    a = rgba[3] * inside // (samples * samples)
                    self.set(x, y, (rgba[0], rgba[1], rgba[2], a))

    def polygon(self, points, rgba, samples=4):
        """Filled polygon (even-odd rule), anti-aliased by supersampling."""
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(math.ceil(max(ys))) + 1):
            for x in range(int(min(xs)), int(math.ceil(max(xs))) + 1):
                inside = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if _inside(points, x + (sx + 0.5) / samples, y + (sy + 0.5) / samples):
                            inside += 1
                if inside:
                    a = rgba[3] * inside // (samples * samples)
                    self.set(x, y, (rgba[0], rgba[1], rgba[2], a))

    def blit(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                self.set(x0 + x, y0 + y, other.get(x, y))

    def scaled(self, width, height):
        """Box-filtered copy at another size (premultiplied, so edges stay clean)."""
        out = Canvas(width, height, (0, 0, 0, 0))
        for y in range(height):
            for x in range(width):
                sx0, sx1 = x * self.w / width, (x + 1) * self.w / width
                sy0, sy1 = y * self.h / height, (y + 1) * self.h / height
                acc = [0.0, 0.0, 0.0, 0.0]
                total = 0.0
                yy = int(sy0)
                while yy < sy1 and yy < self.h:
                    wy = min(sy1, yy + 1) - max(sy0, yy)
                    xx = int(sx0)
                    while xx < sx1 and xx < self.w:
                        wx = min(sx1, xx + 1) - max(sx0, xx)
                        p = self.px[yy * self.w + xx]
                        wgt = wx * wy
                        a = p[3] / 255.0
                        for i in range(3):
                            acc[i] += p[i] * a * wgt
                        acc[3] += p[3] * wgt
                        total += wgt
                        xx += 1
                    yy += 1
                a = acc[3] / total if total else 0
                if a > 0:
                    rgb = [int(round(acc[i] / total / (a / 255.0))) for i in range(3)]
                    out.px[y * width + x] = [min(255, v) for v in rgb] + [int(round(a))]
        return out


class Scaled:
    """Draws on canvas with the coordinates of a 1x layout, at scale k: rectangle and
    frame edges land on whole pixels, frame and line widths grow with k, curves and
    polygons are drawn at their scaled size (anti-aliased as at 1x)."""

    def __init__(self, canvas, k):
        self.canvas, self.k = canvas, k
        self.w, self.h = canvas.w, canvas.h

    def p(self, v):
        return int(math.floor(v * self.k + 0.5))

    def width(self, w):
        return max(1, int(math.floor(w * self.k + 0.5)))

    def get(self, x, y):
        return self.canvas.get(self.p(x), self.p(y))

    def set(self, x, y, rgba):
        self.rect(x, y, x + 1, y + 1, rgba)

    def rect(self, x0, y0, x1, y1, rgba):
        self.canvas.rect(self.p(x0), self.p(y0), self.p(x1), self.p(y1), rgba)

    def frame(self, x0, y0, x1, y1, rgba, width=1):
        self.canvas.frame(self.p(x0), self.p(y0), self.p(x1), self.p(y1), rgba, self.width(width))

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        self.canvas.vgradient(self.p(x0), self.p(y0), self.p(x1), self.p(y1), top, bottom)

    def line(self, x0, y0, x1, y1, rgba, width=1):
        # Canvas.line takes pixel centres: the centre of 1x pixel x lies at (x + 0.5) * k - 0.5.
        def c(v):
            return (v + 0.5) * self.k - 0.5
        self.canvas.line(c(x0), c(y0), c(x1), c(y1), rgba, self.width(width))

    def ellipse(self, cx, cy, rx, ry, rgba, samples=4):
        self.canvas.ellipse(cx * self.k, cy * self.k, rx * self.k, ry * self.k, rgba, samples)

    def polygon(self, points, rgba, samples=4):
        self.canvas.polygon([(x * self.k, y * self.k) for x, y in points], rgba, samples)


# The drawings of a picture for high-DPI screens: (scale, resource id offset, file suffix).
SCALES = [(1.0, 0, ""), (1.5, 10000, "_150"), (2.0, 20000, "_200")]


def scaled_size(n, k):
    return int(math.floor(n * k + 0.5))


def _inside(points, x, y):
    c = False
    n = len(points)
    for i in range(n):
        x0, y0 = points[i]
        x1, y1 = points[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            xc = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
            if x < xc:
                c = not c
    return c


def _bgr_rows(canvas, background):
    """24-bit rows, bottom-up, padded to 4 bytes; alpha composed over background."""
    rows = []
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b, a = canvas.px[y * canvas.w + x]
            t = a / 255.0
            row += bytes(int(round(c * t + bg * (1 - t))) for c, bg in ((b, background[2]), (g, background[1]), (r, background[0])))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    return b"".join(rows)


def write_bmp(path, canvas, background=(255, 255, 255)):
    """24-bit uncompressed BMP."""
    bits = _bgr_rows(canvas, background)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(bits), 0, 0, 14 + len(header)))
        f.write(header + bits)


def write_bmp8(path, canvas, palette):
    """8-bit palettised BMP with the given palette (list of RGB, up to 256); each pixel
    takes the nearest palette entry. Used where a picture must carry its own palette."""
    pal = list(palette)[:256]
    cache = {}

    def nearest(rgb):
        if rgb not in cache:
            cache[rgb] = min(range(len(pal)), key=lambda i: sum((pal[i][k] - rgb[k]) ** 2 for k in range(3)))
        return cache[rgb]

    rows = []
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray(nearest(tuple(canvas.px[y * canvas.w + x][:3])) for x in range(canvas.w))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    bits = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in pal)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 8, 0, len(bits), 2835, 2835, len(pal), 0)
    offset = 14 + len(header) + len(table)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(bits), 0, 0, offset))
        f.write(header + table + bits)


def png_bytes(canvas):
    """The canvas as a PNG image (8-bit RGBA), as icon files hold their 256-pixel images."""
    raw = bytearray()
    for y in range(canvas.h):
        raw.append(0)  # no filter
        for x in range(canvas.w):
            raw += bytes(canvas.px[y * canvas.w + x])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_ico(path, canvases):
    """Icon file with one 32-bit image (alpha, plus an AND mask) per canvas; images of 256
    pixels and more are stored as PNG, as Windows Vista and later read them."""
    images = []
    for c in canvases:
        if c.w >= 256:
            images.append((c.w, c.h, png_bytes(c)))
            continue
        xor = bytearray()
        for y in range(c.h - 1, -1, -1):
            for x in range(c.w):
                r, g, b, a = c.px[y * c.w + x]
                xor += bytes((b, g, r, a))
        mask_row = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(c.h - 1, -1, -1):
            row = bytearray(mask_row)
            for x in range(c.w):
                if c.px[y * c.w + x][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((c.w, c.h, header + bytes(xor) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(d for _, _, d in images))
