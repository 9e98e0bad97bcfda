#!/usr/bin/env python3
"""Draws Vellora's pictures from the text sources in app/resources/art/.

    make_images.py ART_DIR OUT_DIR          write every picture into OUT_DIR
    make_images.py ART_DIR --list-outputs   print the file names it would write

The art files (*.art, read in name order) describe pictures with a handful of
drawing commands in a design grid (16 x 16 unless an icon says otherwise) and
name the output files that collect them: bitmap strips with magenta as the
transparent colour for toolbars, menus, the outlook bar and the tree, icons
with an alpha channel, a cursor and an opaque pattern tile. The syntax is
described at the top of art/README.art.

Besides the pictures it writes ArtManifest.h, which lists what each strip
holds in order (so the program's tables can be checked against the pictures)
and carries a digest of all outputs, and images.stamp. A file is only
rewritten when its bytes change, so an unchanged picture triggers no rebuild.

Standard library only.
"""
import hashlib
import math
import os
import struct
import sys

SUPERSAMPLE = 4                 # subsamples per pixel side
KEY_COLOR = (255, 0, 255)       # transparent colour of the bitmap strips
MATTE = (226, 224, 216)         # what edge pixels of strips are blended with
COVERAGE_CUTOFF = 0.30          # strips: less coverage than this is transparent


class ArtError(Exception):
    pass


# --------------------------------------------------------------------------
# Parsing


class Icon:
    def __init__(self, name, design, where):
        self.name = name
        self.design = design
        self.where = where
        self.commands = []      # (keyword, args, where)


class Output:
    def __init__(self, kind, name, file, size, where):
        self.kind = kind        # strip, icofile, curfile, tile
        self.name = name
        self.file = file
        self.size = size
        self.where = where
        self.entries = []       # strip: (key, icon); icofile: sizes
        self.hot_of = None
        self.hotspot = (0, 0)
        self.icon = None
        self.cell = None        # strip: (width, height) of each image when not SIZE x SIZE


class Art:
    def __init__(self):
        self.colors = {}
        self.icons = {}         # name -> {design size: Icon}
        self.outputs = []

    def icon_variant(self, name, size, where):
        variants = self.icons.get(name)
        if not variants:
            raise ArtError(f"{where}: unknown icon '{name}'")
        if size in variants:
            return variants[size]
        # The closest larger design scales down best; else the largest one.
        larger = sorted(d for d in variants if d > size)
        return variants[larger[0] if larger else max(variants)]


def parse_color(text, where):
    if text.startswith("#") and len(text) == 7:
        try:
            return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))
        except ValueError:
            pass
    raise ArtError(f"{where}: bad colour '{text}'")


def load_art(art_dir):
    art = Art()
    files = sorted(f for f in os.listdir(art_dir) if f.endswith(".art"))
    if not files:
        raise ArtError(f"no .art files in {art_dir}")
    for fname in files:
        parse_file(art, os.path.join(art_dir, fname))
    return art


def parse_file(art, path):
    with open(path, encoding="ascii") as f:
        lines = f.read().split("\n")
    block = None     # Icon or Output being filled
    grid = None      # (icon, x, y, legend, rows, where) while inside a grid
    for number, raw in enumerate(lines, 1):
        where = f"{os.path.basename(path)}:{number}"
        if grid is not None:
            if raw.strip() == "endgrid":
                icon, gx, gy, legend, rows, gwhere = grid
                icon.commands.append(("grid", (gx, gy, legend, rows), gwhere))
                grid = None
            else:
                grid[4].append(raw.rstrip())
            continue
        line = strip_comment(raw)
        if not line:
            continue
        words = line.split()
        key = words[0]
        if block is None:
            if key == "color" and len(words) == 3:
                art.colors[words[1]] = parse_color(words[2], where)
            elif key == "icon" and len(words) in (2, 3):
                design = int(words[2]) if len(words) == 3 else 16
                block = Icon(words[1], design, where)
                if design in art.icons.setdefault(words[1], {}):
                    raise ArtError(f"{where}: icon '{words[1]}' at {design} defined twice")
                art.icons[words[1]][design] = block
            elif key == "strip" and len(words) in (4, 6):
                block = Output("strip", words[1], words[2], int(words[3]), where)
                if len(words) == 6:
                    block.cell = (int(words[4]), int(words[5]))
                    if block.cell[0] < block.size or block.cell[1] < block.size:
                        raise ArtError(f"{where}: a cell is smaller than its picture")
                art.outputs.append(block)
            elif key == "hotstrip" and len(words) == 4:
                out = Output("strip", words[1], words[2], 0, where)
                out.hot_of = words[3]
                art.outputs.append(out)
            elif key == "icofile" and len(words) >= 4:
                out = Output("icofile", words[1], words[1], 0, where)
                out.icon = words[2]
                out.entries = [int(s) for s in words[3:]]
                art.outputs.append(out)
            elif key == "curfile" and len(words) == 6:
                out = Output("curfile", words[1], words[1], int(words[3]), where)
                out.icon = words[2]
                out.hotspot = (int(words[4]), int(words[5]))
                art.outputs.append(out)
            elif key == "tile" and len(words) == 4:
                out = Output("tile", words[1], words[1], int(words[3]), where)
                out.icon = words[2]
                art.outputs.append(out)
            else:
                raise ArtError(f"{where}: cannot read '{line}'")
        elif key == "end":
            block = None
        elif isinstance(block, Icon):
            if key == "grid":
                if len(words) < 3:
                    raise ArtError(f"{where}: grid needs a position")
                legend = {}
                for item in words[3:]:
                    if "=" not in item or len(item.split("=")[0]) != 1:
                        raise ArtError(f"{where}: bad grid legend '{item}'")
                    ch, col = item.split("=", 1)
                    legend[ch] = col
                grid = (block, float(words[1]), float(words[2]), legend, [], where)
            else:
                block.commands.append((key, words[1:], where))
        else:
            if len(words) != 2:
                raise ArtError(f"{where}: a strip entry is a key and an icon name")
            block.entries.append((words[0], words[1]))
    if block is not None or grid is not None:
        raise ArtError(f"{path}: missing 'end' at the end of the file")


def strip_comment(raw):
    text = raw.strip()
    if text.startswith("#"):
        return ""
    out = []
    prev = " "
    for ch in text:
        if ch == "#" and prev in " \t":
            # "#rrggbb" directly after a space is a colour, "# text" a comment.
            rest = text[len(out):]
            if len(rest) >= 7 and all(c in "0123456789abcdefABCDEF" for c in rest[1:7]) \
                    and (len(rest) == 7 or not rest[7].isalnum()):
                out.append(ch)
                prev = ch
                continue
            break
        out.append(ch)
        prev = ch
    return "".join(out).strip()


# --------------------------------------------------------------------------
# Geometry


def ellipse_points(x0, y0, x1, y1, steps=None):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    rx, ry = (x1 - x0) / 2, (y1 - y0) / 2
    if steps is None:
        steps = max(16, int(max(rx, ry) * 6))
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def rounded_rect_points(x0, y0, x1, y1, r):
    r = max(0.0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))
    if r <= 0:
        return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    pts = []
    corners = [(x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)]
    for cx, cy, start in corners:
        for i in range(7):
            a = math.radians(start + 90 * i / 6)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def segment_quad(p, q, width, extend):
    (x0, y0), (x1, y1) = p, q
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    if length == 0:
        h = width / 2
        return [(x0 - h, y0 - h), (x0 + h, y0 - h), (x0 + h, y0 + h), (x0 - h, y0 + h)]
    ux, uy = dx / length, dy / length
    nx, ny = -uy * width / 2, ux * width / 2
    ex, ey = ux * extend, uy * extend
    return [(x0 - ex + nx, y0 - ey + ny), (x1 + ex + nx, y1 + ey + ny),
            (x1 + ex - nx, y1 + ey - ny), (x0 - ex - nx, y0 - ey - ny)]


# --------------------------------------------------------------------------
# Rendering


class Canvas:
    """A square of supersampled cells; each holds a colour or None."""

    def __init__(self, size):
        self.size = size
        self.n = size * SUPERSAMPLE
        self.cells = [None] * (self.n * self.n)

    def fill(self, contours, paint):
        """Fills the contours (pixel coordinates) with the even-odd rule.
        paint is a colour, None to clear, or a function of (x, y) in pixels."""
        edges = []
        for pts in contours:
            if len(pts) < 3:
                continue
            for i in range(len(pts)):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
                if y0 != y1:
                    edges.append((x0, y0, x1, y1))
        if not edges:
            return
        ys = [e[1] for e in edges] + [e[3] for e in edges]
        s = SUPERSAMPLE
        row_lo = max(0, int(math.floor(min(ys) * s)))
        row_hi = min(self.n, int(math.ceil(max(ys) * s)))
        call = callable(paint)
        for row in range(row_lo, row_hi):
            yc = (row + 0.5) / s
            xs = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            base = row * self.n
            for i in range(0, len(xs) - 1, 2):
                c_lo = max(0, int(math.ceil(xs[i] * s - 0.5)))
                c_hi = min(self.n - 1, int(math.floor(xs[i + 1] * s - 0.5)))
                for col in range(c_lo, c_hi + 1):
                    self.cells[base + col] = paint((col + 0.5) / s, yc) if call else paint

    def pixels(self):
        """Per pixel: (coverage 0..1, average colour of the covered cells)."""
        s = SUPERSAMPLE
        out = []
        total = s * s
        for py in range(self.size):
            for px in range(self.size):
                r = g = b = count = 0
                for sy in range(s):
                    base = (py * s + sy) * self.n + px * s
                    for sx in range(s):
                        c = self.cells[base + sx]
                        if c is not None:
                            r += c[0]
                            g += c[1]
                            b += c[2]
                            count += 1
                if count:
                    out.append((count / total, (r / count, g / count, b / count)))
                else:
                    out.append((0.0, (0, 0, 0)))
        return out


class Transform:
    def __init__(self, scale, dx=0.0, dy=0.0):
        self.scale = scale
        self.dx = dx
        self.dy = dy

    def then(self, dx, dy, s):
        # A nested picture placed at (dx, dy) of this one, scaled by s.
        return Transform(self.scale * s, self.dx + dx * self.scale, self.dy + dy * self.scale)

    def raw(self, x, y):
        return (self.dx + x * self.scale, self.dy + y * self.scale)


def snap_edge(v):
    return math.floor(v + 0.5)


def snap_stroke(v, width_px):
    # Odd widths centre on pixel centres, even widths on pixel edges: either
    # way the stroke covers whole pixels when it runs straight.
    return math.floor(v) + 0.5 if width_px % 2 else math.floor(v + 0.5)


class Renderer:
    def __init__(self, art):
        self.art = art
        self.current_design = 16

    def color(self, text, where, bbox=None):
        if text == "-":
            return "none"
        if text == "clear":
            return None
        if ">" in text:
            a, b = (self.color(t, where) for t in text.split(">", 1))
            y0, y1 = bbox[1], bbox[3]
            span = max(1e-6, y1 - y0)

            def gradient(x, y, a=a, b=b):
                t = min(1.0, max(0.0, (y - y0) / span))
                return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))
            return gradient
        if text in self.art.colors:
            return self.art.colors[text]
        if text.startswith("#"):
            return parse_color(text, where)
        raise ArtError(f"{where}: unknown colour '{text}'")

    def render(self, name, size, where):
        canvas = Canvas(size)
        icon = self.art.icon_variant(name, size, where)
        self.current_design = icon.design
        self.draw(canvas, icon, Transform(size / icon.design), 0)
        return canvas

    def draw(self, canvas, icon, tf, depth):
        if depth > 8:
            raise ArtError(f"{icon.where}: pictures nested too deeply")
        for key, args, where in icon.commands:
            try:
                getattr(self, "cmd_" + key)(canvas, tf, args, where, depth)
            except AttributeError:
                raise ArtError(f"{where}: unknown command '{key}'")
            except (ValueError, IndexError):
                raise ArtError(f"{where}: bad arguments for '{key}'")

    @staticmethod
    def numbers(args, count, where):
        if len(args) != count:
            raise ArtError(f"{where}: expected {count} numbers, got {len(args)}")
        return [float(a) for a in args]

    @staticmethod
    def point_lists(args, where):
        lists, current = [], []
        for token in " ".join(args).replace(";", " ; ").replace("|", " | ").split():
            if token in (";", "|"):
                if current:
                    lists.append(current)
                current = []
                continue
            if "," not in token:
                raise ArtError(f"{where}: expected x,y but found '{token}'")
            x, y = token.split(",")
            current.append((float(x), float(y)))
        if current:
            lists.append(current)
        if not lists:
            raise ArtError(f"{where}: no points")
        return lists

    def stroke_width(self, text, tf):
        w = float(text)
        return 0 if w <= 0 else max(1, snap_edge(w * tf.scale))

    # rect FILL STROKE WIDTH x y w h        (stroke drawn inside the box)
    # rrect FILL STROKE WIDTH x y w h r
    # ellipse FILL STROKE WIDTH x y w h
    def box(self, canvas, tf, args, where, shape):
        count = 8 if shape == "rrect" else 7
        if len(args) != count:
            raise ArtError(f"{where}: {shape} takes FILL STROKE WIDTH x y w h" + (" r" if count == 8 else ""))
        x, y, w, h = (float(a) for a in args[3:7])
        x0, y0 = tf.raw(x, y)
        x1, y1 = tf.raw(x + w, y + h)
        x0, y0, x1, y1 = snap_edge(x0), snap_edge(y0), snap_edge(x1), snap_edge(y1)
        if x1 <= x0:
            x1 = x0 + 1
        if y1 <= y0:
            y1 = y0 + 1
        radius = float(args[7]) * tf.scale if shape == "rrect" else 0
        bbox = (x0, y0, x1, y1)
        fill = self.color(args[0], where, bbox)
        stroke = self.color(args[1], where, bbox)
        sw = self.stroke_width(args[2], tf)

        def outline(inset):
            a, b, c, d = x0 + inset, y0 + inset, x1 - inset, y1 - inset
            if c <= a or d <= b:
                return None
            if shape == "ellipse":
                return ellipse_points(a, b, c, d)
            return rounded_rect_points(a, b, c, d, max(0, radius - inset))
        if stroke != "none" and sw:
            inner = outline(sw)
            if fill == "none":
                # A ring: only the stroke is painted.
                canvas.fill([outline(0)] + ([inner] if inner else []), stroke)
            else:
                canvas.fill([outline(0)], stroke)
                if inner:
                    canvas.fill([inner], fill)
        elif fill != "none":
            canvas.fill([outline(0)], fill)

    def cmd_rect(self, canvas, tf, args, where, depth):
        self.box(canvas, tf, args, where, "rect")

    def cmd_rrect(self, canvas, tf, args, where, depth):
        self.box(canvas, tf, args, where, "rrect")

    def cmd_ellipse(self, canvas, tf, args, where, depth):
        self.box(canvas, tf, args, where, "ellipse")

    # poly FILL STROKE WIDTH x,y x,y ... [| x,y ...]   (even-odd; stroke centred)
    def cmd_poly(self, canvas, tf, args, where, depth):
        sw = self.stroke_width(args[2], tf)
        stroked = args[1] != "-" and sw
        contours = []
        for pts in self.point_lists(args[3:], where):
            out = []
            for x, y in pts:
                px, py = tf.raw(x, y)
                if stroked:
                    px, py = snap_stroke(px, sw), snap_stroke(py, sw)
                else:
                    # Whole design units are meant as pixel edges.
                    if float(x).is_integer():
                        px = snap_edge(px)
                    if float(y).is_integer():
                        py = snap_edge(py)
                out.append((px, py))
            contours.append(out)
        xs = [p[0] for c in contours for p in c]
        ys = [p[1] for c in contours for p in c]
        bbox = (min(xs), min(ys), max(xs), max(ys))
        fill = self.color(args[0], where, bbox)
        if fill != "none":
            canvas.fill(contours, fill)
        if stroked:
            stroke = self.color(args[1], where, bbox)
            for c in contours:
                for i in range(len(c)):
                    canvas.fill([segment_quad(c[i], c[(i + 1) % len(c)], sw, sw / 2)], stroke)

    # line COLOR WIDTH x,y x,y ... [; x,y ...]   (square caps; pixel-snapped)
    def cmd_line(self, canvas, tf, args, where, depth):
        sw = self.stroke_width(args[1], tf)
        for pts in self.point_lists(args[2:], where):
            snapped = [(snap_stroke(tf.raw(x, y)[0], sw), snap_stroke(tf.raw(x, y)[1], sw)) for x, y in pts]
            xs = [p[0] for p in snapped]
            ys = [p[1] for p in snapped]
            paint = self.color(args[0], where, (min(xs), min(ys), max(xs), max(ys)))
            if len(snapped) == 1:
                snapped = snapped * 2
            for i in range(len(snapped) - 1):
                canvas.fill([segment_quad(snapped[i], snapped[i + 1], sw, sw / 2)], paint)

    # wedge COLOR WIDTH x,y x,y ...: like line, not snapped, with round joins
    # (for slanted and curved strokes that should stay smooth).
    def cmd_wedge(self, canvas, tf, args, where, depth):
        w = float(args[1]) * tf.scale
        for pts in self.point_lists(args[2:], where):
            pp = [tf.raw(x, y) for x, y in pts]
            paint = self.color(args[0], where, (0, 0, canvas.size, canvas.size))
            self.smooth_stroke(canvas, pp, w, paint)

    def smooth_stroke(self, canvas, pts, w, paint):
        for i in range(len(pts) - 1):
            canvas.fill([segment_quad(pts[i], pts[i + 1], w, 0)], paint)
        for x, y in pts[1:-1]:
            canvas.fill([ellipse_points(x - w / 2, y - w / 2, x + w / 2, y + w / 2, 12)], paint)

    # arc COLOR WIDTH cx cy r from to [ARROW]: degrees, 0 = east, 90 = south;
    # ARROW is the size of an arrow head at the 'to' end.
    def cmd_arc(self, canvas, tf, args, where, depth):
        if len(args) not in (7, 8):
            raise ArtError(f"{where}: arc takes COLOR WIDTH cx cy r from to [arrow]")
        cx, cy, r, a0, a1 = (float(a) for a in args[2:7])
        w = float(args[1]) * tf.scale
        steps = max(8, int(abs(a1 - a0) / 8))
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append(tf.raw(cx + r * math.cos(a), cy + r * math.sin(a)))
        paint = self.color(args[0], where, (0, 0, canvas.size, canvas.size))
        self.smooth_stroke(canvas, pts, w, paint)
        if len(args) == 8:
            size = float(args[7]) * tf.scale
            a = math.radians(a1)
            sign = 1 if a1 > a0 else -1
            tx, ty = -math.sin(a) * sign, math.cos(a) * sign    # direction of travel
            ex, ey = pts[-1]
            nx, ny = -ty, tx
            tip = (ex + tx * size * 0.9, ey + ty * size * 0.9)
            left = (ex + nx * size * 0.8 - tx * size * 0.1, ey + ny * size * 0.8 - ty * size * 0.1)
            right = (ex - nx * size * 0.8 - tx * size * 0.1, ey - ny * size * 0.8 - ty * size * 0.1)
            canvas.fill([[tip, left, right]], paint)

    # grid X Y c=COLOR ... then rows of characters, '.' or ' ' left empty,
    # closed by 'endgrid': pixel art, one character per design unit.
    def cmd_grid(self, canvas, tf, args, where, depth):
        gx, gy, legend, rows = args
        paints = {ch: self.color(col, where, (0, 0, canvas.size, canvas.size)) for ch, col in legend.items()}
        for r, row in enumerate(rows):
            for c, ch in enumerate(row):
                if ch in ". ":
                    continue
                if ch not in paints:
                    raise ArtError(f"{where}: grid character '{ch}' is not in the legend")
                x0, y0 = tf.raw(gx + c, gy + r)
                x1, y1 = tf.raw(gx + c + 1, gy + r + 1)
                x0, y0, x1, y1 = snap_edge(x0), snap_edge(y0), snap_edge(x1), snap_edge(y1)
                if x1 > x0 and y1 > y0:
                    canvas.fill([[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]], paints[ch])

    # use NAME [dx dy [scale]]: draws another picture into this one.
    def cmd_use(self, canvas, tf, args, where, depth):
        name = args[0]
        dx = float(args[1]) if len(args) > 1 else 0.0
        dy = float(args[2]) if len(args) > 2 else 0.0
        s = float(args[3]) if len(args) > 3 else 1.0
        variants = self.art.icons.get(name)
        if not variants:
            raise ArtError(f"{where}: unknown icon '{name}'")
        # One unit of the nested picture is one unit of the picture using it;
        # its variant drawn for the same grid is preferred.
        sub = variants.get(self.current_design, variants[min(variants)])
        self.draw(canvas, sub, tf.then(dx, dy, s), depth + 1)


# --------------------------------------------------------------------------
# Output formats


def masked_rgb(pixels):
    """Strip pixels: opaque colour, an edge blended with the matte, or the key."""
    out = []
    for cover, col in pixels:
        if cover < COVERAGE_CUTOFF:
            out.append(KEY_COLOR)
            continue
        rgb = tuple(int(round(col[i] * cover + MATTE[i] * (1 - cover))) for i in range(3))
        if rgb == KEY_COLOR:
            rgb = (254, 0, 254)
        out.append(rgb)
    return out


def lighten(rgb):
    if rgb == KEY_COLOR:
        return rgb
    # The hot picture: a little brighter and more saturated.
    grey = sum(rgb) / 3
    sat = [grey + (c - grey) * 1.15 for c in rgb]
    out = tuple(max(0, min(255, int(round(c + (255 - c) * 0.12)))) for c in sat)
    return (254, 0, 254) if out == KEY_COLOR else out


def bmp_bytes(width, height, rgb_rows):
    """24-bit bottom-up BMP; rgb_rows[0] is the top row."""
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rgb_rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def icon_image(size, pixels):
    """One 32-bit image of an icon or cursor file: BITMAPINFOHEADER, BGRA, AND mask."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        mrow = bytearray(mask_stride)
        for x in range(size):
            cover, col = pixels[y * size + x]
            a = int(round(cover * 255))
            r, g, b = (int(round(c)) for c in col) if a else (0, 0, 0)
            xor += bytes((b, g, r, a))
            if a == 0:
                mrow[x // 8] |= 0x80 >> (x % 8)
        mask += mrow
    return info + bytes(xor) + bytes(mask)


def icon_file(images, kind=1, hotspot=(0, 0)):
    """images: list of (size, image bytes). kind 1 = icon, 2 = cursor."""
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        planes, bits = (1, 32) if kind == 1 else hotspot
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, planes, bits, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


# --------------------------------------------------------------------------
# Building


def build(art):
    """Returns {file name: bytes} and the manifest lines."""
    renderer = Renderer(art)
    files = {}
    manifest = []
    strips = {}
    for out in art.outputs:
        if out.kind == "strip" and out.hot_of is None:
            if not out.entries:
                raise ArtError(f"{out.where}: strip '{out.name}' is empty")
            keys = [k for k, _ in out.entries]
            dupes = sorted({k for k in keys if keys.count(k) > 1})
            if dupes:
                raise ArtError(f"{out.where}: strip '{out.name}' lists {', '.join(dupes)} twice")
            images = [renderer.render(icon, out.size, out.where).pixels() for _, icon in out.entries]
            cell_w, cell_h = out.cell or (out.size, out.size)
            left, top = (cell_w - out.size) // 2, (cell_h - out.size) // 2
            rows = []
            for y in range(cell_h):
                row = []
                for img in images:
                    cell = [KEY_COLOR] * cell_w
                    if top <= y < top + out.size:
                        py = y - top
                        cell[left:left + out.size] = masked_rgb(img[py * out.size:(py + 1) * out.size])
                    row.extend(cell)
                rows.append(row)
            strips[out.name] = (out, rows)
            files[out.file] = bmp_bytes(cell_w * len(images), cell_h, rows)
            manifest.append(f"#define ART_{out.name}_SIZE {out.size}")
            manifest.append(f"#define ART_{out.name}_COUNT {len(images)}")
            manifest.append(f"#define ART_{out.name} {', '.join(keys)}")
    for out in art.outputs:
        if out.kind == "strip" and out.hot_of is not None:
            if out.hot_of not in strips:
                raise ArtError(f"{out.where}: no strip '{out.hot_of}' before it")
            base, rows = strips[out.hot_of]
            hot = [[lighten(p) for p in row] for row in rows]
            files[out.file] = bmp_bytes(len(hot[0]), base.size, hot)
            manifest.append(f"#define ART_{out.name}_SIZE {base.size}")
            manifest.append(f"#define ART_{out.name}_COUNT {len(base.entries)}")
        elif out.kind == "icofile":
            images = [(s, icon_image(s, renderer.render(out.icon, s, out.where).pixels())) for s in out.entries]
            files[out.file] = icon_file(images)
        elif out.kind == "curfile":
            img = icon_image(out.size, renderer.render(out.icon, out.size, out.where).pixels())
            files[out.file] = icon_file([(out.size, img)], kind=2, hotspot=out.hotspot)
        elif out.kind == "tile":
            pix = renderer.render(out.icon, out.size, out.where).pixels()
            rows = []
            for y in range(out.size):
                row = []
                for cover, col in pix[y * out.size:(y + 1) * out.size]:
                    row.append(tuple(int(round(c * cover + 255 * (1 - cover))) for c in col))
                rows.append(row)
            files[out.file] = bmp_bytes(out.size, out.size, rows)
    names = [o.file for o in art.outputs]
    dupes = sorted({n for n in names if names.count(n) > 1})
    if dupes:
        raise ArtError(f"output files named twice: {', '.join(dupes)}")
    return files, manifest


def manifest_text(files, manifest):
    digest = hashlib.sha1()
    for name in sorted(files):
        digest.update(name.encode())
        digest.update(files[name])
    lines = ["/* Made by tools/make_images.py from app/resources/art; do not edit. */",
             f"/* pictures digest {digest.hexdigest()} */",
             "#ifndef VELLORA_ART_MANIFEST_H",
             "#define VELLORA_ART_MANIFEST_H"]
    lines += manifest
    lines += ["#endif", ""]
    return "\n".join(lines)


def write_if_changed(path, data):
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def output_names(art):
    return [o.file for o in art.outputs] + ["ArtManifest.h", "images.stamp"]


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    art_dir, target = argv[1], argv[2]
    try:
        art = load_art(art_dir)
        if target == "--list-outputs":
            print(";".join(output_names(art)))
            return 0
        files, manifest = build(art)
    except ArtError as e:
        sys.stderr.write(f"make_images: {e}\n")
        return 1
    os.makedirs(target, exist_ok=True)
    for name, data in files.items():
        write_if_changed(os.path.join(target, name), data)
    write_if_changed(os.path.join(target, "ArtManifest.h"), manifest_text(files, manifest).encode())
    # The stamp is touched on every run so the build knows the pictures are current.
    with open(os.path.join(target, "images.stamp"), "w") as f:
        f.write("\n".join(sorted(files)) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
