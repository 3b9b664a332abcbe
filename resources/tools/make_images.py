#!/usr/bin/env python3
"""Draws the program's icons and the list-status image strip and writes them as .ico / .bmp.

Python 3 standard library only, deterministic: the same script always writes the same bytes.
The generated files are kept in the repository, so a build never needs this script.

    python3 resources/tools/make_images.py [--out DIR] [--preview FILE.png]

Every picture is built from signed-distance shapes and antialiased by supersampling.
Each icon has a 32x32 and a 16x16 image; the 16x16 geometry is laid out separately on the
pixel grid so that it stays crisp in the notification area, not scaled down from 32x32. The
two status icons (ok and warning, in the title bar and the notification area) also have a
24x24 image for 144 dots per inch: the 16x16 layout drawn half as large again. The four
pictures that only the Help window shows, always at the icon size (32 pixels and up), have
their 32x32 image alone: the program's size budget has no room for images never shown.
The status strip comes in three sizes, one per file, for the lists at 96, 144 and 192 dots
per inch: the 16x16 layout drawn at 16, 24 and 32 pixels. Only the 16-pixel strip carries
the fifth picture, which the program does not use; the larger ones end after the four it shows.

The Help window stacks its 32x32 pictures closer than 32 pixels (14 dialog units, about 23 px,
for the drive and volume indicators; 16 units, about 26 px, for the two state icons), and a
picture control paints its whole square. So those 32x32 images keep their drawing in the top
22 (indicators) or 26 (state icons) rows, where the next picture cannot cover it.
"""
import argparse
import math
import struct
import zlib
from pathlib import Path

SAMPLES = 8  # supersampling grid per pixel edge (SAMPLES^2 samples per pixel)
EDGE = 0.75  # beyond this distance from an edge a pixel is fully inside or outside


# ----------------------------------------------------------------------------------------------
# Shapes: a signed distance (negative inside) plus a bounding box, in pixel coordinates where
# pixel (i, j) covers the square [i, i+1] x [j, j+1].

class Shape:
    def __init__(self, sd, box):
        self.sd = sd
        self.box = box

    def inset(self, d):
        """The shape shrunk by d (grown for negative d)."""
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: self.sd(x, y) + d, (x0 - max(0, -d), y0 - max(0, -d),
                                                      x1 + max(0, -d), y1 + max(0, -d)))

    def __or__(self, other):
        a, b = self.box, other.box
        return Shape(lambda x, y: min(self.sd(x, y), other.sd(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        a, b = self.box, other.box
        return Shape(lambda x, y: max(self.sd(x, y), other.sd(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def rounded_rect(x0, y0, x1, y1, r):
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2

    def sd(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return Shape(sd, (x0, y0, x1, y1))


def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def polygon(points):
    edges = [(points[i - 1], points[i]) for i in range(len(points))]

    def sd(x, y):
        distance = math.inf
        inside = False
        for (ax, ay), (bx, by) in edges:
            distance = min(distance, _segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -distance if inside else distance
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sd, (min(xs), min(ys), max(xs), max(ys)))


def stroke(points, width):
    """A polyline of the given width with round joins and caps."""
    half = width / 2
    segments = list(zip(points, points[1:]))

    def sd(x, y):
        return min(_segment_distance(x, y, ax, ay, bx, by) for (ax, ay), (bx, by) in segments) - half
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sd, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def arc(cx, cy, r, start_deg, end_deg, steps=24):
    """Points along a circular arc; angles in degrees, 0 = right, 90 = down."""
    return [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
            for a in (start_deg + (end_deg - start_deg) * i / steps for i in range(steps + 1))]


# ----------------------------------------------------------------------------------------------
# Paints and the canvas (premultiplied RGBA, 0..1).

def rgb(hex_value):
    return ((hex_value >> 16) & 255, (hex_value >> 8) & 255, hex_value & 255)


def vertical(top, bottom, y0, y1):
    """A vertical gradient between two colours, from row y0 to row y1."""
    top, bottom = rgb(top), rgb(bottom)

    def paint(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return paint


class Canvas:
    """Pictures draw in the coordinates of their layout, `size` square (16 or 32); the canvas
    holds size * scale pixels square."""

    def __init__(self, size, scale=1):
        self.size = size
        self.scale = scale
        self.pixel_size = round(size * scale)
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.pixel_size * self.pixel_size)]

    def _in_pixels(self, shape, paint):
        s = self.scale
        if s == 1:
            return shape, paint
        x0, y0, x1, y1 = shape.box
        scaled = Shape(lambda x, y: shape.sd(x / s, y / s) * s, (x0 * s, y0 * s, x1 * s, y1 * s))
        return scaled, (lambda x, y: paint(x / s, y / s))

    def fill(self, shape, paint, opacity=1.0):
        """Composites the shape over the canvas; paint is 0xRRGGBB or a function of (x, y)."""
        colour_at = (lambda _x, _y, c=rgb(paint): c) if isinstance(paint, int) else paint
        shape, colour_at = self._in_pixels(shape, colour_at)
        x0, y0, x1, y1 = shape.box
        step = 1.0 / SAMPLES
        for j in range(max(0, math.floor(y0) - 1), min(self.pixel_size, math.ceil(y1) + 1)):
            for i in range(max(0, math.floor(x0) - 1), min(self.pixel_size, math.ceil(x1) + 1)):
                centre = shape.sd(i + 0.5, j + 0.5)
                if centre > EDGE:
                    continue
                if centre < -EDGE:
                    coverage = 1.0
                else:
                    hits = sum(1 for sy in range(SAMPLES) for sx in range(SAMPLES)
                               if shape.sd(i + (sx + 0.5) * step, j + (sy + 0.5) * step) <= 0)
                    coverage = hits / (SAMPLES * SAMPLES)
                alpha = coverage * opacity
                if alpha <= 0:
                    continue
                r, g, b = colour_at(i + 0.5, j + 0.5)
                pixel = self.pixels[j * self.pixel_size + i]
                keep = 1.0 - alpha
                pixel[0] = r / 255 * alpha + pixel[0] * keep
                pixel[1] = g / 255 * alpha + pixel[1] * keep
                pixel[2] = b / 255 * alpha + pixel[2] * keep
                pixel[3] = alpha + pixel[3] * keep

    def outlined(self, shape, outline, paint, width):
        """The shape in the outline colour, then its inside, width pixels in, in paint."""
        self.fill(shape, outline)
        self.fill(shape.inset(width), paint)

    def straight_rgba(self):
        """Rows top to bottom of (r, g, b, a) bytes with straight (not premultiplied) alpha."""
        rows = []
        n = self.pixel_size
        for j in range(n):
            row = []
            for r, g, b, a in self.pixels[j * n:(j + 1) * n]:
                if a < 0.5 / 255:
                    row.append((0, 0, 0, 0))
                else:
                    row.append(tuple(_byte(c / a) for c in (r, g, b)) + (_byte(a),))
            rows.append(row)
        return rows


def _byte(value):
    return max(0, min(255, int(value * 255 + 0.5)))


# ----------------------------------------------------------------------------------------------
# Palette. Nothing meant to be seen is pure white: white is the strip's transparent colour.

OFF_WHITE = 0xFEFEFE
INK = 0x1E1E1E
DRIVE_EDGE = 0x343B45
GREEN_EDGE = 0x0E560E
AMBER_EDGE = 0x7A4E00
MAGENTA_EDGE = 0x5E0850
ORANGE_EDGE = 0x7A3000


# ----------------------------------------------------------------------------------------------
# Pictures. Each takes a canvas and draws for its size; 16x16 has its own pixel-fitted layout.

def drive_box(c, left, top, right, bottom, depth):
    """A hard-disk box in a slight top view: lid of the given depth, front panel with a LED."""
    small = c.size == 16
    edge = 1.0 if small else 1.25
    front_top = top + depth
    lid = polygon([(left + depth * 0.8, top), (right - depth * 0.8, top), (right, front_top + 0.5),
                   (left, front_top + 0.5)])
    front = rounded_rect(left, front_top, right, bottom, 1.0 if small else 2.0)
    c.fill(lid | front, DRIVE_EDGE)
    c.fill(lid.inset(edge), vertical(0xEEF1F5, 0xC9CFD7, top, front_top))
    c.fill(front.inset(edge), vertical(0xA9B2BD, 0x6E7784, front_top, bottom))
    # A light seam where lid meets front, and the dark slot and LED on the panel.
    c.fill(stroke([(left + edge, front_top + edge * 0.5), (right - edge, front_top + edge * 0.5)],
                  0.9 if small else 1.0), 0xDDE2E8)
    # The LED sits on the left, so a mark in the lower right corner never half-covers it.
    if small:
        c.fill(rounded_rect(left + 1.5, bottom - 3.5, left + 3.5, bottom - 1.5, 0.5), 0x46E046)
        c.fill(rounded_rect(left + 4.5, bottom - 3, left + 9.5, bottom - 2, 0.3), 0x3F4650)
    else:
        c.fill(circle(left + 5, bottom - 4.5, 1.7), 0x1E5A1E)
        c.fill(circle(left + 5, bottom - 4.5, 1.1), 0x5CF05C)
        c.fill(rounded_rect(left + 8.5, bottom - 5.5, left + 19, bottom - 3.5, 0.8), 0x3F4650)


def check_mark(c, points, width, outline, paint, edge):
    """A check-mark stroke with an outline that keeps it legible over any background."""
    c.fill(stroke(points, width + 2 * edge), outline)
    c.fill(stroke(points, width), paint)


def warning_triangle(c, apex_x, top, half_width, bottom, mark=None):
    """A rounded warning triangle with an exclamation mark. On 16x16 the mark is given on the
    pixel grid as (bar left, bar right, bar top, bar bottom, dot top, dot bottom)."""
    small = c.size == 16
    r = 1.0 if small else 2.0
    # Round the corners by growing a smaller triangle by r.
    k = r * 2.2
    inner = polygon([(apex_x, top + k), (apex_x + half_width - k * 0.9, bottom - r),
                     (apex_x - half_width + k * 0.9, bottom - r)])
    shape = inner.inset(-r)
    c.outlined(shape, AMBER_EDGE, vertical(0xFFE640, 0xF2B400, top, bottom), 1.0 if small else 1.3)
    # The exclamation mark, centred on the apex column.
    height = bottom - top
    if small:
        x0, x1, bar_top, bar_bottom, dot_top, dot_bottom = mark
        c.fill(rounded_rect(x0, bar_top, x1, bar_bottom, 0.0), INK)
        c.fill(rounded_rect(x0, dot_top, x1, dot_bottom, 0.0), INK)
    else:
        c.fill(stroke([(apex_x, top + height * 0.36), (apex_x, top + height * 0.64)], 2.6), INK)
        c.fill(circle(apex_x, bottom - height * 0.2, 1.5), INK)


def green_disc_check(c):
    if c.size == 16:
        disc = circle(8, 8, 7.5)
        c.outlined(disc, GREEN_EDGE, vertical(0x30C830, 0x168A1A, 0.5, 15.5), 1.0)
        c.fill(stroke([(4.5, 8.0), (7.0, 10.5), (11.5, 5.5)], 2.5), OFF_WHITE)
    else:
        disc = circle(16, 11.4, 10.9)
        c.outlined(disc, GREEN_EDGE, vertical(0x6BE06B, 0x14801A, 0.5, 22.3), 1.3)
        c.fill(circle(16, 7.2, 7.2) & disc.inset(2), OFF_WHITE, 0.22)
        c.fill(stroke([(10.4, 11.8), (14.2, 15.6), (21.6, 7.4)], 3.2), OFF_WHITE)


def yellow_triangle(c):
    if c.size == 16:
        warning_triangle(c, 8.0, 0.5, 7.8, 15.4, (7, 9, 6, 10, 11, 13))
    else:
        warning_triangle(c, 16.0, 0.3, 12.0, 22.6)


def question_bubble(c):
    if c.size == 16:
        bubble = rounded_rect(0.5, 0.5, 15.5, 12.5, 4.0) | polygon([(3, 10), (7.5, 11), (2.2, 15.6)])
        c.outlined(bubble, MAGENTA_EDGE, vertical(0xE838D0, 0xA8148E, 0.5, 13), 1.0)
        c.fill(stroke(arc(8, 4.6, 2.2, 190, 360, 12) + arc(8, 4.6, 2.2, 0, 75, 6) + [(8, 8.0)], 1.9),
               OFF_WHITE)
        c.fill(rounded_rect(7.05, 9.0, 8.95, 10.9, 0.5), OFF_WHITE)
    else:
        bubble = rounded_rect(3, 0.5, 29, 19, 6.5) | polygon([(8, 15), (14.5, 18), (5.5, 22.6)])
        c.outlined(bubble, MAGENTA_EDGE, vertical(0xF47AE0, 0xA0108A, 0.5, 20), 1.3)
        c.fill(rounded_rect(5, 2, 27, 8, 3) & bubble.inset(2), OFF_WHITE, 0.16)
        c.fill(stroke(arc(16, 5.9, 2.8, 195, 360) + arc(16, 5.9, 2.8, 0, 80, 8) + [(16, 10.8)], 2.6),
               OFF_WHITE)
        c.fill(circle(16, 15.0, 1.5), OFF_WHITE)


def arrow(c, pointing_down):
    """A green arrow, kept to the middle so it fits a small push button at any icon size."""
    if c.size == 16:
        shaft_half, head_half, x = 2.0, 5.5, 8.0
        tip, base, tail = 14.5, 8.0, 1.5
        edge = 1.0
    else:
        shaft_half, head_half, x = 2.5, 7.0, 16.0
        tip, base, tail = 24.5, 16.5, 7.5
        edge = 1.2
    points = [(x - shaft_half, tail), (x + shaft_half, tail), (x + shaft_half, base),
              (x + head_half, base), (x, tip), (x - head_half, base), (x - shaft_half, base)]
    if not pointing_down:
        points = [(px, c.size - py) for px, py in points]
    shape = polygon(points)
    y0, y1 = (tail, tip) if pointing_down else (c.size - tip, c.size - tail)
    c.outlined(shape, GREEN_EDGE, vertical(0x74E274, 0x1A8E1F, y0, y1), edge)


def drive_ok(c):
    if c.size == 16:
        drive_box(c, 0.5, 3.5, 14.5, 12.5, 3.0)
        check_mark(c, [(6.8, 11.0), (9.3, 13.6), (14.6, 7.3)], 2.4, GREEN_EDGE, 0x2CC42C, 1.0)
    else:
        drive_box(c, 1, 2, 30, 19, 5.5)
        check_mark(c, [(14, 15.5), (19, 21), (29, 8.5)], 4.2, GREEN_EDGE, 0x2CC42C, 1.4)


def drive_warning(c):
    if c.size == 16:
        drive_box(c, 0.5, 2.5, 13.5, 11.0, 3.0)
        warning_triangle(c, 11.5, 6.3, 4.6, 15.6, (11, 12, 9, 12, 13, 14))
    else:
        drive_box(c, 1, 1, 28, 17, 5.5)
        warning_triangle(c, 22.5, 8.5, 9.2, 26.0)


def funnel(c, cx, top, half_width, neck_y, neck_half, spout_bottom, edge):
    shape = polygon([(cx - half_width, top), (cx + half_width, top), (cx + neck_half, neck_y),
                     (cx + neck_half, spout_bottom), (cx - neck_half, spout_bottom),
                     (cx - neck_half, neck_y)])
    if edge:
        c.outlined(shape, DRIVE_EDGE, vertical(0xCDD2D8, 0x7C838D, top, spout_bottom), edge)
    else:  # too small for an outline: a solid mid grey with a light rim reads better
        c.fill(shape, vertical(0x9CA3AC, 0x4F5660, top, spout_bottom))
        c.fill(polygon([(cx - half_width, top), (cx + half_width, top),
                        (cx + half_width - 0.6, top + 1), (cx - half_width + 0.6, top + 1)]), 0xD8DCE1)


def program_icon(c):
    if c.size == 16:
        funnel(c, 6.0, 0.0, 5.0, 4.0, 1.0, 6.0, 0)
        drive_box(c, 0.5, 5.0, 13.5, 13.0, 2.5)
        warning_triangle(c, 11.5, 6.3, 4.6, 15.6, (11, 12, 9, 12, 13, 14))
    else:
        funnel(c, 12, 0.8, 9.5, 8.0, 1.9, 13.5, 1.2)
        drive_box(c, 1, 11, 28, 26, 5.0)
        warning_triangle(c, 22.5, 14.5, 9.2, 31.2)


def amber_disc_exclamation(c):
    """Strip image 3, the caution picture: an orange disc with an exclamation mark, round where
    the failure triangle is pointed, so the two differ in shape as well as colour."""
    if c.size == 16:
        disc = circle(8, 8, 7.5)
        c.outlined(disc, ORANGE_EDGE, vertical(0xFFA53A, 0xE06A00, 0.5, 15.5), 1.0)
        c.fill(rounded_rect(7, 3, 9, 9.5, 0.0), OFF_WHITE)
        c.fill(rounded_rect(7, 11, 9, 13, 0.0), OFF_WHITE)
    else:
        disc = circle(16, 11.4, 10.9)
        c.outlined(disc, ORANGE_EDGE, vertical(0xFFB85C, 0xD86000, 0.5, 22.3), 1.3)
        c.fill(stroke([(16, 5.2), (16, 13.2)], 3.0), OFF_WHITE)
        c.fill(circle(16, 17.4, 1.7), OFF_WHITE)


def plain_drive(c):
    """Strip image 4, not used by the program: a drive box without any mark."""
    drive_box(c, 0.5, 3.5, 15.5, 13.5, 3.0)


ICONS = [  # resource id, file name, picture, the sizes drawn
    (128, "program.ico", program_icon, (32, 16)),
    (134, "drive_warning.ico", drive_warning, (32, 24, 16)),  # the status icons
    (135, "drive_ok.ico", drive_ok, (32, 24, 16)),
    (139, "no_data.ico", question_bubble, (32,)),  # only in the Help window, at the icon size
    (140, "check.ico", green_disc_check, (32,)),
    (141, "triangle.ico", yellow_triangle, (32,)),
    (152, "caution.ico", amber_disc_exclamation, (32,)),
    (147, "arrow_down.ico", lambda c: arrow(c, True), (32, 16)),
    (148, "arrow_up.ico", lambda c: arrow(c, False), (32, 16)),
]
# The program loads the strip into an image list that may hold only 16 colours, so its pictures
# (the 16x16 forms) keep to strong colours that stay recognisable when mapped to that palette.
STRIP = [question_bubble, green_disc_check, yellow_triangle, amber_disc_exclamation, plain_drive]
STRIP_FILES = {16: "status_strip.bmp", 24: "status_strip_24.bmp", 32: "status_strip_32.bmp"}
SHOWN_IN_STRIP = 4  # question mark, check mark, warning triangle, caution disc


def render(picture, size, scale=1):
    canvas = Canvas(size, scale)
    picture(canvas)
    return canvas.straight_rgba()


def small_at(picture, pixels):
    """The 16x16 layout drawn `pixels` square."""
    return render(picture, 16, pixels / 16)


# ----------------------------------------------------------------------------------------------
# File formats.

def ico_bytes(images):
    """An icon file of 32-bit images with alpha and a matching AND mask (set where alpha < 128)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = len(header) + 16 * len(images)
    for rows in images:
        size = len(rows)
        mask_stride = ((size + 31) // 32) * 4
        colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
        mask = b""
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for i, pixel in enumerate(row):
                if pixel[3] < 128:
                    bits[i // 8] |= 0x80 >> (i % 8)
            mask += bytes(bits)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
        blob = info + colour + mask
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def on_white(rows):
    """Rows flattened onto white; a visible pixel that lands on pure white is nudged off it."""
    flat = []
    for row in rows:
        out = []
        for r, g, b, a in row:
            mixed = tuple(int((ch * a + 255 * (255 - a)) / 255 + 0.5) for ch in (r, g, b))
            if a >= 128 and mixed == (255, 255, 255):
                mixed = (254, 254, 254)
            out.append(mixed)
        flat.append(out)
    return flat


def bmp_bytes(rows):
    """A 24-bit bottom-up bitmap file."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(bytes(v for r, g, b in row for v in (b, g, r)).ljust(stride, b"\0")
                      for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return file_header + info + pixels


def png_bytes(rows):
    """An RGB PNG, for looking at the pictures."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    head = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def preview_sheet(pictures, scale=8):
    """One row per picture: 32x32 and 16x16 enlarged on light and dark, then both at real size."""
    backgrounds = [(255, 255, 255), (212, 208, 200), (32, 40, 56)]
    gap = 8
    cell = 32 * scale
    width = gap + len(backgrounds) * (cell + gap + 16 * scale + gap) + 32 * len(backgrounds) * 2 + gap * 4
    height = gap + len(pictures) * (cell + gap)
    sheet = [[(150, 150, 150)] * width for _ in range(height)]

    def paste(rows, x, y, zoom, bg):
        for j, row in enumerate(rows):
            for i, (r, g, b, a) in enumerate(row):
                colour = tuple((ch * a + bk * (255 - a)) // 255 for ch, bk in zip((r, g, b), bg))
                for dy in range(zoom):
                    line = sheet[y + j * zoom + dy]
                    for dx in range(zoom):
                        line[x + i * zoom + dx] = colour

    for n, (big, small) in enumerate(pictures):
        y = gap + n * (cell + gap)
        x = gap
        for bg in backgrounds:
            paste(big, x, y, scale, bg)
            x += cell + gap
            paste(small, x, y, scale, bg)
            x += 16 * scale + gap
        for bg in backgrounds:
            paste(big, x, y, 1, bg)
            paste(small, x + 36, y, 1, bg)
            x += 32 * 2 + gap
    return sheet


def main():
    here = Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path, default=here.parent / "images")
    parser.add_argument("--preview", type=Path, help="also write an enlarged PNG sheet of every picture")
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)

    rendered = []
    for _resource, name, picture, sizes in ICONS:
        big, small = render(picture, 32), render(picture, 16)
        images = {32: big, 24: small_at(picture, 24) if 24 in sizes else None, 16: small}
        (args.out / name).write_bytes(ico_bytes([images[size] for size in sizes]))
        rendered.append((big, small))

    for pixels, file_name in STRIP_FILES.items():
        images = [small_at(picture, pixels) for picture in (STRIP if pixels == 16 else STRIP[:SHOWN_IN_STRIP])]
        strip = [sum((image[j] for image in images), []) for j in range(pixels)]
        (args.out / file_name).write_bytes(bmp_bytes(on_white(strip)))
    strip_images = [render(picture, 16) for picture in STRIP]

    if args.preview:
        blank = [[(0, 0, 0, 0)] * 32 for _ in range(32)]
        for image in strip_images:
            rendered.append((blank, image))
        args.preview.write_bytes(png_bytes(preview_sheet(rendered)))


if __name__ == "__main__":
    main()
