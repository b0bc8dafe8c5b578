#!/usr/bin/env python3
"""Draws the main menu's picture, a heavy tank on black, and the program icon.

Writes tank.bmp (500 x 294, uncompressed 32-bit, top row first) and dv2edit.png (128 x 128,
RGBA) beside this script. Standard library only; run it again after changing
the drawing and commit both outputs.
"""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 500, 294
SUPERSAMPLE = 3  # samples per pixel edge, for smooth edges

OLIVE = (92, 102, 58)
OLIVE_DARK = (58, 66, 36)
STEEL = (70, 70, 66)
STEEL_DARK = (38, 38, 36)
RUBBER = (30, 30, 30)
OUTLINE = (18, 20, 12)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def lighter(c, amount):
    return mix(c, (235, 235, 210), amount)


def darker(c, amount):
    return mix(c, (0, 0, 0), amount)


class Canvas:
    """A supersampled RGBA canvas; shapes are given in picture coordinates
    (500 x 294) and mapped by scale and offset."""

    def __init__(self, width, height, scale=1.0, dx=0.0, dy=0.0):
        self.w, self.h = width * SUPERSAMPLE, height * SUPERSAMPLE
        self.out_w, self.out_h = width, height
        self.k = scale * SUPERSAMPLE
        self.dx, self.dy = dx * SUPERSAMPLE, dy * SUPERSAMPLE
        self.rgb = [(0.0, 0.0, 0.0)] * (self.w * self.h)
        self.alpha = [0.0] * (self.w * self.h)

    def _plot_span(self, y, x0, x1, shade):
        row = y * self.w
        for x in range(max(0, x0), min(self.w, x1)):
            px, py = (x + 0.5 - self.dx) / self.k, (y + 0.5 - self.dy) / self.k
            self.rgb[row + x] = shade(px, py)
            self.alpha[row + x] = 1.0

    def polygon(self, points, shade):
        """Fills a polygon (even-odd rule); shade(x, y) gives each sample's
        colour from its picture coordinates, or is a plain colour."""
        if not callable(shade):
            colour = shade
            shade = lambda x, y: colour
        pts = [(x * self.k + self.dx, y * self.k + self.dy) for x, y in points]
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            cy = y + 0.5
            xs = []
            for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
                if (y0 <= cy < y1) or (y1 <= cy < y0):
                    xs.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                self._plot_span(y, math.ceil(a - 0.5), math.ceil(b - 0.5), shade)

    def ellipse(self, cx, cy, rx, ry, shade, steps=48):
        self.polygon([(cx + rx * math.cos(2 * math.pi * i / steps),
                       cy + ry * math.sin(2 * math.pi * i / steps)) for i in range(steps)], shade)

    def circle(self, cx, cy, r, shade):
        self.ellipse(cx, cy, r, r, shade)

    def line(self, x0, y0, x1, y1, width, colour):
        length = math.hypot(x1 - x0, y1 - y0)
        nx, ny = -(y1 - y0) / length * width / 2, (x1 - x0) / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)

    def pixels(self):
        """Averages the samples: rows of (r, g, b, a) bytes, top row first."""
        n = SUPERSAMPLE * SUPERSAMPLE
        rows = []
        for oy in range(self.out_h):
            row = []
            for ox in range(self.out_w):
                r = g = b = a = 0.0
                for sy in range(SUPERSAMPLE):
                    base = (oy * SUPERSAMPLE + sy) * self.w + ox * SUPERSAMPLE
                    for sx in range(SUPERSAMPLE):
                        c = self.rgb[base + sx]
                        r, g, b = r + c[0], g + c[1], b + c[2]
                        a += self.alpha[base + sx]
                row.append(tuple(min(255, int(v / n + 0.5)) for v in (r, g, b)) + (int(a / n * 255 + 0.5),))
            rows.append(row)
        return rows


def vertical(top_colour, bottom_colour, top, bottom):
    return lambda x, y: mix(top_colour, bottom_colour, (y - top) / (bottom - top))


def cylinder(colour, top, bottom):
    """Lit from above: a bright band a third of the way down, dark below."""
    def shade(x, y):
        t = (y - top) / (bottom - top)
        return lighter(colour, 0.45 * (1 - abs(t - 0.3) / 0.7)) if t < 0.3 else darker(colour, 0.6 * (t - 0.3) / 0.7)
    return shade


def wheel(c, x, y, r):
    c.circle(x, y + 1.5, r + 1, OUTLINE)
    c.circle(x, y, r, RUBBER)
    c.circle(x, y, r * 0.82, lambda px, py: mix(lighter(STEEL, 0.3), STEEL_DARK, (py - y + r) / (2 * r)))
    c.circle(x, y, r * 0.62, lambda px, py: mix(STEEL_DARK, lighter(STEEL, 0.2), (py - y + r) / (2 * r)))
    for i in range(6):
        a = i * math.pi / 3 + 0.3
        c.circle(x + r * 0.45 * math.cos(a), y + r * 0.45 * math.sin(a), r * 0.06, OUTLINE)
    c.circle(x, y, r * 0.22, lighter(STEEL, 0.35))
    c.circle(x, y, r * 0.1, STEEL_DARK)


def draw_tank(c):
    # Shadow on the ground.
    c.ellipse(250, 262, 215, 9, (16, 16, 14))

    # Track: a long loop around the wheels, its links marked along the run.
    track = [(58, 208), (72, 186), (420, 186), (448, 204), (430, 240), (406, 256), (92, 256), (66, 238)]
    c.polygon(track, vertical((60, 58, 52), (22, 22, 20), 186, 256))
    for x in range(64, 446, 9):
        c.line(x, 251, x + 2, 257, 2.2, (78, 76, 68))
        c.line(x, 185, x + 2, 190, 2.0, (82, 80, 72))
    c.polygon([(76, 192), (414, 192), (436, 206), (420, 236), (400, 250), (98, 250), (74, 236), (66, 210)], (14, 14, 12))

    # Road wheels, the idler at the back and the drive sprocket at the front.
    for i in range(8):
        wheel(c, 112 + i * 39.5, 230, 19)
    wheel(c, 80, 212, 15)
    wheel(c, 424, 210, 16)
    for i in range(10):
        a = i * math.pi / 5
        c.circle(424 + 16 * math.cos(a), 210 + 16 * math.sin(a), 2.6, STEEL_DARK)
    for i in range(4):
        c.circle(132 + i * 79, 193, 5.5, cylinder(STEEL, 187, 199))

    # Hull: sloped glacis at the front, overhanging deck, side skirt plate.
    c.polygon([(44, 186), (58, 150), (392, 146), (462, 172), (452, 188)], OUTLINE)
    c.polygon([(48, 184), (60, 153), (390, 149), (456, 173), (448, 186)], vertical(lighter(OLIVE, 0.25), OLIVE_DARK, 149, 186))
    c.polygon([(390, 149), (456, 173), (448, 186), (404, 186)], vertical(lighter(OLIVE, 0.4), OLIVE, 149, 186))
    c.polygon([(56, 172), (446, 172), (440, 196), (64, 196)], OUTLINE)
    c.polygon([(58, 174), (443, 174), (438, 193), (66, 193)], vertical(OLIVE, darker(OLIVE_DARK, 0.2), 174, 193))
    for x in range(104, 440, 56):
        c.line(x, 175, x, 192, 1.2, darker(OLIVE_DARK, 0.35))
    c.line(60, 153, 390, 149, 1.5, lighter(OLIVE, 0.55))
    # Engine deck grille and stowage at the back.
    for x in range(70, 140, 8):
        c.line(x, 151, x + 3, 158, 1.5, OLIVE_DARK)
    c.polygon([(150, 150), (168, 142), (188, 142), (188, 150)], cylinder(OLIVE_DARK, 142, 150))

    # Turret: a wide cast shape with a commander's cupola and a hatch.
    turret = [(150, 148), (162, 112), (196, 98), (300, 94), (350, 104), (372, 124), (364, 148)]
    c.polygon([(x, y + 2) for x, y in turret], OUTLINE)
    c.polygon(turret, lambda x, y: mix(lighter(OLIVE, 0.5), darker(OLIVE, 0.45), (y - 94) / 54 + (x - 150) / 900))
    c.line(164, 112, 196, 99, 1.6, lighter(OLIVE, 0.6))
    c.line(196, 99, 300, 95, 1.6, lighter(OLIVE, 0.6))
    c.polygon([(208, 98), (212, 82), (252, 80), (258, 97)], OUTLINE)
    c.polygon([(210, 97), (214, 84), (250, 82), (255, 96)], vertical(lighter(OLIVE, 0.45), OLIVE_DARK, 82, 97))
    for x in (218, 230, 242):
        c.polygon([(x, 86), (x + 7, 86), (x + 7, 90), (x, 90)], (20, 24, 20))
    c.polygon([(264, 96), (268, 91), (294, 90), (298, 95)], OLIVE_DARK)
    c.polygon([(158, 132), (362, 130), (364, 134), (157, 136)], darker(OLIVE, 0.4))
    # Smoke dischargers on the turret side.
    for i in range(3):
        c.polygon([(318 + i * 9, 112), (325 + i * 9, 112), (325 + i * 9, 124), (318 + i * 9, 124)], cylinder(STEEL, 112, 124))

    # Gun: mantlet, a long tapering barrel with a bore evacuator and a muzzle brake.
    c.polygon([(358, 106), (384, 108), (390, 122), (384, 136), (358, 138)], OUTLINE)
    c.polygon([(360, 108), (382, 110), (387, 122), (382, 134), (360, 136)], cylinder(OLIVE, 108, 136))
    c.polygon([(386, 113), (490, 116), (490, 124), (386, 127)], OUTLINE)
    c.polygon([(386, 114.5), (490, 117), (490, 123), (386, 125.5)], cylinder(OLIVE, 114.5, 125.5))
    c.polygon([(430, 113), (450, 113.5), (450, 126.5), (430, 127)], cylinder(OLIVE, 113, 127))
    c.polygon([(478, 112), (496, 112), (496, 128), (478, 128)], OUTLINE)
    c.polygon([(479, 113), (495, 113), (495, 127), (479, 127)], cylinder(STEEL, 113, 127))
    c.line(486, 114, 486, 126, 2, (10, 10, 10))

    # Tow hooks and a headlight at the front, an antenna at the back.
    c.circle(452, 182, 3.2, STEEL_DARK)
    c.polygon([(436, 160), (446, 162), (446, 168), (436, 168)], cylinder(STEEL, 160, 168))
    c.line(174, 112, 140, 34, 1.3, (110, 110, 100))


def write_bmp(path, rows):
    """Uncompressed 32-bit BMP, rows top first (negative height), each pixel
    B, G, R, 255: the layout of a QImage::Format_RGB32, so the program shows
    the pixels where they lie in its resources, without decoding them."""
    width, height = len(rows[0]), len(rows)
    data = bytearray()
    for row in rows:
        for r, g, b, _ in row:
            data += bytes((b, g, r, 255))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_png(path, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    width, height = len(rows[0]), len(rows)
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    picture = Canvas(WIDTH, HEIGHT)
    draw_tank(picture)
    write_bmp(os.path.join(here, "tank.bmp"), picture.pixels())

    # The icon: the tank without its shadow's margins, centred on a clear square.
    size, left, right = 128, 40, 498
    scale = size / (right - left)
    icon = Canvas(size, size, scale, -left * scale, size / 2 - 170 * scale)
    draw_tank(icon)
    write_png(os.path.join(here, "dv2edit.png"), icon.pixels())


if __name__ == "__main__":
    main()
