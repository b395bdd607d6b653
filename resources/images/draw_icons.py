#!/usr/bin/env python3
"""Draw the ODBC import plug-in icons as 32x32 RGBA PNG files.

Only the Python standard library is used (zlib and struct for the PNG
encoder).  Every icon is painted at 4x resolution -- one sample per
sub-pixel -- and then box-filtered down to 32x32, which gives simple
anti-aliasing.  Drawing coordinates are given in final-pixel units, so the
canvas spans 0..32 on both axes and (16, 16) is the centre.  The y axis
points down, angles are in degrees and turn clockwise on screen.

Usage:  python3 draw_icons.py [OUTPUT_DIR]
        (default OUTPUT_DIR: the folder holding this script)
"""

import math
import os
import struct
import sys
import zlib

SIZE = 32          # final icon size in pixels
SS = 4             # supersampling factor per axis (4x4 samples per pixel)

# ---------------------------------------------------------------- palette --

SLATE = (47, 59, 76, 255)          # outlines and dark strokes
BLUE = (52, 120, 196, 255)         # main accent
BLUE_DARK = (30, 78, 140, 255)
BLUE_LIGHT = (174, 206, 238, 255)
GOLD = (232, 172, 40, 255)         # keys
GOLD_DARK = (150, 100, 16, 255)
GREEN = (46, 160, 72, 255)         # ok / go
GREEN_DARK = (26, 104, 44, 255)
RED = (214, 58, 50, 255)           # cancel / delete
RED_DARK = (140, 30, 26, 255)
WHITE = (250, 252, 254, 255)
GREY_LIGHT = (214, 221, 230, 255)


# ----------------------------------------------------------------- shapes --

class Shape:
    """A region of the plane: a point predicate plus a bounding box.

    Shapes combine with | (union), & (intersection) and - (difference).
    """

    def __init__(self, contains, bbox):
        self.contains = contains
        self.bbox = bbox            # (x0, y0, x1, y1) in pixel units

    def __or__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y: self.contains(x, y) or other.contains(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]),
                      max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y: self.contains(x, y) and other.contains(x, y),
                     (max(a[0], b[0]), max(a[1], b[1]),
                      min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y: self.contains(x, y)
                     and not other.contains(x, y), self.bbox)


def union(*shapes):
    result = shapes[0]
    for s in shapes[1:]:
        result = result | s
    return result


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def rrect(x0, y0, x1, y1, r):
    """Rectangle with corners rounded by radius r."""
    def contains(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return Shape(contains, (x0, y0, x1, y1))


def ellipse(cx, cy, rx, ry):
    def contains(x, y):
        dx, dy = (x - cx) / rx, (y - cy) / ry
        return dx * dx + dy * dy <= 1.0
    return Shape(contains, (cx - rx, cy - ry, cx + rx, cy + ry))


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def ring(cx, cy, r, width):
    """Circular band of the given width whose outer radius is r."""
    return circle(cx, cy, r) - circle(cx, cy, r - width)


def sector(cx, cy, a0, a1):
    """Angular wedge from a0 to a1 (degrees, clockwise on screen)."""
    span = (a1 - a0) % 360.0

    def contains(x, y):
        a = math.degrees(math.atan2(y - cy, x - cx))
        return (a - a0) % 360.0 <= span
    return Shape(contains, (-1e9, -1e9, 1e9, 1e9))


def _segment_distance(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else ((px - x0) * dx + (py - y0) * dy) / length2
    t = max(0.0, min(1.0, t))
    ex, ey = x0 + t * dx - px, y0 + t * dy - py
    return math.sqrt(ex * ex + ey * ey)


def line(x0, y0, x1, y1, width):
    """Thick line segment with round caps."""
    h = width / 2.0
    return Shape(lambda x, y: _segment_distance(x, y, x0, y0, x1, y1) <= h,
                 (min(x0, x1) - h, min(y0, y1) - h,
                  max(x0, x1) + h, max(y0, y1) + h))


def polyline(points, width):
    """Thick open path with round joins and caps."""
    return union(*[line(*points[i], *points[i + 1], width)
                   for i in range(len(points) - 1)])


def polygon(points):
    """Filled polygon (even-odd rule)."""
    n = len(points)

    def contains(x, y):
        inside = False
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    inside = not inside
        return inside
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(contains, (min(xs), min(ys), max(xs), max(ys)))


def rotated(shape, degrees, cx=16.0, cy=16.0):
    """The shape turned clockwise (on screen) about (cx, cy)."""
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def contains(x, y):
        dx, dy = x - cx, y - cy
        return shape.contains(cx + dx * c + dy * s, cy - dx * s + dy * c)
    return Shape(contains, (0, 0, SIZE, SIZE))


# ----------------------------------------------------------------- canvas --

class Canvas:
    """Supersampled RGBA canvas with premultiplied float samples."""

    def __init__(self):
        self.n = SIZE * SS
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.n * self.n)]

    def _samples(self, shape):
        x0, y0, x1, y1 = shape.bbox
        i0 = max(0, int(math.floor(x0 * SS)))
        j0 = max(0, int(math.floor(y0 * SS)))
        i1 = min(self.n, int(math.ceil(x1 * SS)) + 1)
        j1 = min(self.n, int(math.ceil(y1 * SS)) + 1)
        for j in range(j0, j1):
            y = (j + 0.5) / SS
            for i in range(i0, i1):
                if shape.contains((i + 0.5) / SS, y):
                    yield j * self.n + i

    def fill(self, shape, color):
        """Paint the shape with a straight-alpha RGBA colour (source-over)."""
        a = color[3] / 255.0
        src = [color[0] / 255.0 * a, color[1] / 255.0 * a,
               color[2] / 255.0 * a, a]
        for k in self._samples(shape):
            d = self.px[k]
            inv = 1.0 - a
            self.px[k] = [src[c] + d[c] * inv for c in range(4)]

    def erase(self, shape):
        """Make the shape's area fully transparent again."""
        for k in self._samples(shape):
            self.px[k] = [0.0, 0.0, 0.0, 0.0]

    def framed(self, outer, inner, stroke, fill):
        """Fill outer in the stroke colour, then inner in the fill colour."""
        self.fill(outer, stroke)
        self.fill(inner, fill)

    def rgba_rows(self):
        """Box-filter to SIZE x SIZE; return rows of straight RGBA bytes."""
        rows = []
        count = SS * SS
        for y in range(SIZE):
            row = bytearray()
            for x in range(SIZE):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(SS):
                    base = (y * SS + sy) * self.n + x * SS
                    for sx in range(SS):
                        p = self.px[base + sx]
                        for c in range(4):
                            acc[c] += p[c]
                a = acc[3] / count
                if a <= 0.0:
                    row += bytes(4)
                    continue
                row += bytes([min(255, int(round(acc[c] / acc[3] * 255)))
                              for c in range(3)])
                row.append(min(255, int(round(a * 255))))
            rows.append(bytes(row))
        return rows


def write_png(path, rows):
    """Write 8-bit RGBA rows (colour type 6) as a PNG file."""
    height, width = len(rows), len(rows[0]) // 4

    def chunk(tag, data):
        body = tag + data
        return (struct.pack(">I", len(data)) + body
                + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + row for row in rows)      # filter type 0
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height,
                                        8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


# ------------------------------------------------------ reusable glyphs --

def draw_cylinder(c, x0, x1, y_top, y_bottom, ry, w=1.5, bands=2):
    """Database cylinder: slate outline, blue body, light top, ring bands."""
    cx, rx = (x0 + x1) / 2.0, (x1 - x0) / 2.0
    outer = (ellipse(cx, y_top, rx, ry) | rect(x0, y_top, x1, y_bottom)
             | ellipse(cx, y_bottom, rx, ry))
    inner = (ellipse(cx, y_top, rx - w, ry - w)
             | rect(x0 + w, y_top, x1 - w, y_bottom)
             | ellipse(cx, y_bottom, rx - w, ry - w))
    c.framed(outer, inner, SLATE, BLUE)
    for k in range(1, bands + 1):
        y = y_top + (y_bottom - y_top) * k / (bands + 1.0)
        arc = ellipse(cx, y, rx, ry) - ellipse(cx, y, rx - w, ry - 0.8 * w)
        band = arc & rect(x0, y, x1, y + ry + 1)
        c.fill(band, SLATE)
    c.framed(ellipse(cx, y_top, rx, ry), ellipse(cx, y_top, rx - w, ry - w),
             SLATE, BLUE_LIGHT)


def draw_table(c, x0, y0, x1, y1, cols, rows, header=5, w=2,
               header_color=BLUE, cell_color=WHITE,
               highlight_col=None, highlight_color=BLUE_LIGHT):
    """Grid table: outlined box, coloured header row, 1 px grid lines."""
    c.framed(rrect(x0, y0, x1, y1, 1.5), rect(x0 + w, y0 + w, x1 - w, y1 - w),
             SLATE, cell_color)
    ix0, iy0, ix1, iy1 = x0 + w, y0 + w, x1 - w, y1 - w
    hy = iy0 + header
    c.fill(rect(ix0, iy0, ix1, hy), header_color)
    # column boundaries (x positions of 1 px separators)
    col_x = [round(ix0 + (ix1 - ix0) * k / cols) for k in range(1, cols)]
    edges = [ix0] + col_x + [ix1]
    if highlight_col is not None:
        a = edges[highlight_col] + (1 if highlight_col > 0 else 0)
        b = edges[highlight_col + 1]
        c.fill(rect(a, iy0, b, iy1), highlight_color)
    c.fill(rect(ix0, hy, ix1, hy + 1), SLATE)
    for x in col_x:
        c.fill(rect(x, iy0, x + 1, iy1), SLATE)
    for k in range(1, rows):
        y = round(hy + 1 + (iy1 - hy - 1) * k / rows)
        c.fill(rect(ix0, y, ix1, y + 1), SLATE)


def draw_box(c, x0, y0, x1, y1):
    """Small entity box (outline, blue header, two text lines)."""
    c.framed(rrect(x0, y0, x1, y1, 1.5), rect(x0 + 1.5, y0 + 1.5, x1 - 1.5,
                                               y1 - 1.5), SLATE, WHITE)
    c.fill(rect(x0 + 1.5, y0 + 1.5, x1 - 1.5, y0 + 4.5), BLUE)
    c.fill(rect(x0 + 1.5, y0 + 4.5, x1 - 1.5, y0 + 5.5), SLATE)


def arrow_right(x0, x1, cy, shaft, head_w, head_len):
    """Right-pointing arrow shape: shaft from x0, tip at x1."""
    return (rect(x0, cy - shaft / 2.0, x1 - head_len + 0.5, cy + shaft / 2.0)
            | polygon([(x1 - head_len, cy - head_w / 2.0), (x1, cy),
                       (x1 - head_len, cy + head_w / 2.0)]))


def draw_stacked_boxes(c):
    """Two stacked outlined boxes; the front one is left empty for a sign."""
    c.framed(rrect(9, 4, 28, 23, 2), rrect(11, 6, 26, 21, 0.5),
             SLATE, GREY_LIGHT)
    c.erase(rrect(3, 8, 24, 29, 2.5))
    c.framed(rrect(4, 9, 23, 28, 2), rrect(6, 11, 21, 26, 0.5), SLATE, WHITE)


# ------------------------------------------------------------------ icons --

def icon_odbc_import(c):
    """Plug-in icon: a database cylinder feeding an arrow into a table."""
    draw_table(c, 15, 4, 31, 28, cols=2, rows=3, header=4)
    draw_cylinder(c, 1, 15, 8, 25, 3.2, bands=2)
    c.erase(arrow_right(6.5, 27.5, 16.5, 7, 15.5, 9.5))      # gap around it
    c.fill(arrow_right(7.5, 26, 16.5, 6, 14, 8.5), GREEN_DARK)  # outline
    c.fill(arrow_right(8, 25, 16.5, 4, 11, 7), GREEN)


def icon_connection(c):
    """Connect: two interlocking chain links on a diagonal."""
    def link(x0, x1, r=5.8, w=3.2, grow=0.0):
        # capsule-shaped ring, laid out horizontally along y = 16
        outer = rrect(x0 - r - grow, 16 - r - grow, x1 + r + grow,
                      16 + r + grow, r + grow)
        hole = rrect(x0 - r + w + grow, 16 - r + w + grow,
                     x1 + r - w - grow, 16 + r - w - grow, r - w - grow)
        return outer - hole

    def turn(shape):
        return rotated(shape, -45)

    left, right = link(5.5, 13.5), link(18.5, 26.5)
    c.fill(turn(left), SLATE)
    c.fill(turn(right), BLUE)
    # the slate link passes over the blue one at the upper crossing and
    # under it at the lower one; a thin transparent gap marks each overlap
    upper, lower = rect(10, 0, 22, 16), rect(10, 16, 22, 32)
    c.erase(turn(link(5.5, 13.5, grow=0.9) & right & upper))
    c.fill(turn(left & upper), SLATE)
    c.erase(turn(link(18.5, 26.5, grow=0.9) & left & lower))
    c.fill(turn(right & lower), BLUE)


def icon_collapse_all(c):
    """Collapse all: stacked boxes with a minus sign."""
    draw_stacked_boxes(c)
    c.fill(rect(9, 17, 18, 20), BLUE)


def icon_expand_all(c):
    """Expand all: stacked boxes with a plus sign."""
    draw_stacked_boxes(c)
    c.fill(rect(9, 17, 18, 20) | rect(12, 14, 15, 23), BLUE)


def icon_help_manual(c):
    """Help: white question mark in a blue disc."""
    c.framed(circle(16, 16, 15), circle(16, 16, 13.5), BLUE_DARK, BLUE)
    hook = ring(16, 12, 6, 3.2) & (sector(16, 12, 170, 360) |
                                   sector(16, 12, 0, 60))
    c.fill(hook, WHITE)
    c.fill(polyline([(18.6, 16.6), (16, 18.6), (16, 20.5)], 3.2), WHITE)
    c.fill(circle(16, 25, 2), WHITE)


def icon_ok(c):
    """OK: green check mark."""
    pts = [(5, 16.5), (12.5, 24), (27, 8.5)]
    c.fill(polyline(pts, 7.5), GREEN_DARK)
    c.fill(polyline(pts, 4.5), GREEN)


def icon_cancel(c):
    """Cancel: red cross."""
    a, b = ((7, 7), (25, 25)), ((25, 7), (7, 25))
    c.fill(line(*a[0], *a[1], 7.5) | line(*b[0], *b[1], 7.5), RED_DARK)
    c.fill(line(*a[0], *a[1], 4.5) | line(*b[0], *b[1], 4.5), RED)


def icon_database(c):
    """Database: a cylinder."""
    draw_cylinder(c, 4, 28, 7, 25, 4.5, bands=2)


def icon_schema(c):
    """Schema: a folder."""
    back = rrect(2, 5, 14, 12, 2) | rrect(2, 8, 30, 28, 2)
    inside = rrect(3.5, 6.5, 12.5, 11, 1) | rrect(3.5, 9.5, 28.5, 26.5, 1)
    c.framed(back, inside, SLATE, BLUE_LIGHT)
    front = polygon([(2, 28), (5.5, 13), (31, 13), (28, 28)])
    c.fill(front, SLATE)
    c.fill(polygon([(4, 26.5), (6.7, 14.5), (29.1, 14.5), (26.8, 26.5)]), BLUE)


def icon_table(c):
    """Table: a grid with a header row."""
    draw_table(c, 2, 4, 30, 28, cols=3, rows=3)


def icon_view(c):
    """View: a table with an eye in front of it."""
    draw_table(c, 1, 2, 25, 23, cols=3, rows=2, header=4)

    def lens(cx, cy, a, b):
        r = (a * a + b * b) / (2.0 * b)
        return circle(cx, cy + r - b, r) & circle(cx, cy - r + b, r)

    cx, cy = 20.5, 23.5
    c.erase(lens(cx, cy, 12.5, 8.5))
    c.framed(lens(cx, cy, 11, 7), lens(cx, cy, 9.2, 5.2), SLATE, WHITE)
    c.fill(circle(cx, cy, 4.3), BLUE)
    c.fill(circle(cx, cy, 2), SLATE)
    c.fill(circle(cx - 1.4, cy - 1.4, 0.9), WHITE)


def icon_column(c):
    """Column: a grid with its middle column highlighted."""
    draw_table(c, 2, 4, 30, 28, cols=3, rows=3, header_color=GREY_LIGHT,
               highlight_col=1, highlight_color=BLUE)
    c.fill(rrect(10.5, 2, 21.5, 30, 1.5) - rect(12.5, 4, 19.5, 28), BLUE_DARK)


def icon_primary_key(c):
    """Primary key: a gold key (laid out horizontally, then turned 45 deg)."""
    dark = (union(circle(8.5, 16, 7.5), rrect(14, 13, 31, 19, 1.5),
                  rrect(20.5, 17, 25, 24, 1.2), rrect(26.5, 17, 31, 22.5, 1.2))
            - circle(7.5, 16, 2.3))
    light = (union(circle(8.5, 16, 6), rect(14, 14.5, 29.5, 17.5),
                   rect(22, 16, 23.5, 22.5), rect(28, 16, 29.5, 21))
             - circle(7.5, 16, 3.8))
    c.fill(rotated(dark, 45), GOLD_DARK)
    c.fill(rotated(light, 45), GOLD)


def icon_relationship(c):
    """Relationship: two entity boxes joined by an arrow."""
    draw_box(c, 1, 2, 15, 14)
    draw_box(c, 17, 18, 31, 30)
    c.fill(polyline([(8, 14), (8, 24), (11, 24)], 2), SLATE)
    c.fill(polygon([(10, 19.5), (17, 24), (10, 28.5)]), SLATE)


def icon_delete(c):
    """Delete: a red trash can."""
    c.framed(rrect(11, 2, 21, 8, 2), rrect(13, 4, 19, 8, 0.5), SLATE, RED)
    c.erase(rect(12.5, 3.5, 19.5, 6))
    c.framed(rrect(3, 6, 29, 11, 1.5), rect(4.5, 7.5, 27.5, 9.5), SLATE, RED)
    body = polygon([(6, 11), (26, 11), (24, 30), (8, 30)])
    c.fill(body, SLATE)
    c.fill(polygon([(7.7, 11), (24.3, 11), (22.6, 28.5), (9.4, 28.5)]), RED)
    for x in (12, 16, 20):
        c.fill(line(x, 14, x + (x - 16) * 0.12, 25.5, 1.6), RED_DARK)


def icon_close(c):
    """Close: white cross in a slate disc."""
    c.fill(circle(16, 16, 15), SLATE)
    cross = (line(10.5, 10.5, 21.5, 21.5, 3.4)
             | line(21.5, 10.5, 10.5, 21.5, 3.4))
    c.fill(cross, WHITE)


ICONS = {
    "odbc_import": icon_odbc_import,
    "connection": icon_connection,
    "collapse_all": icon_collapse_all,
    "expand_all": icon_expand_all,
    "help_manual": icon_help_manual,
    "ok": icon_ok,
    "cancel": icon_cancel,
    "database": icon_database,
    "schema": icon_schema,
    "table": icon_table,
    "view": icon_view,
    "column": icon_column,
    "primary_key": icon_primary_key,
    "relationship": icon_relationship,
    "delete": icon_delete,
    "close": icon_close,
}


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(
        os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in ICONS.items():
        canvas = Canvas()
        draw(canvas)
        path = os.path.join(out_dir, name + ".png")
        write_png(path, canvas.rgba_rows())
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
