#!/usr/bin/env python3
"""Draws Brackwater's pictures.

Run from the repository root:

    python3 tools/generate_resources.py

It needs Pillow (Debian: python3-pil). If `python3` on the PATH is not the
system interpreter (pyenv and the like), run it with /usr/bin/python3.

The output is written into resources/ and is the same, byte for byte, on
every run, so the generated files can be kept in the repository and a rerun
shows up in a diff only when the drawing code changed.
"""

import math
import os
import struct

from PIL import Image, ImageDraw, ImageFilter

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "resources")


# --- small helpers ---------------------------------------------------------


def lerp(a, b, t):
    return a + (b - a) * t


def lerp_rgb(c0, c1, t):
    return tuple(lerp(a, b, t) for a, b in zip(c0, c1))


def clamp8(v):
    return max(0, min(255, int(round(v))))


def downsample(img, size):
    """Box-filters an RGBA layer with premultiplied alpha.

    Without premultiplying, the invisible colour of fully transparent pixels
    would bleed into the antialiased edges as a dark fringe.
    """
    return img.convert("RGBa").resize(size, Image.BOX).convert("RGBA")


def smooth_closed(points, rounds=3):
    """Chaikin corner cutting: turns a rough outline into an organic blob."""
    for _ in range(rounds):
        out = []
        n = len(points)
        for i in range(n):
            (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
            out.append((0.75 * x0 + 0.25 * x1, 0.75 * y0 + 0.25 * y1))
            out.append((0.25 * x0 + 0.75 * x1, 0.25 * y0 + 0.75 * y1))
        points = out
    return points


def solid(size, rgb):
    return Image.new("RGBA", size, tuple(rgb) + (255,))


def paint(canvas, mask, colour_layer):
    """Lays colour_layer onto canvas wherever mask (L) is set."""
    layer = colour_layer.copy()
    layer.putalpha(mask)
    canvas.alpha_composite(layer)


class _CentredDraw:
    """ImageDraw with continuous coordinates: pixel i covers [i, i + 1).

    Pillow takes polygon and ellipse coordinates as pixel indices and fills
    edge pixels inclusively, which would make every shape one subpixel too
    large on its right and bottom sides and put the outlines off balance.
    """

    def __init__(self, draw):
        self._d = draw

    def polygon(self, points, **kw):
        self._d.polygon([(x - 0.5, y - 0.5) for x, y in points], **kw)

    def ellipse(self, box, **kw):
        self._d.ellipse([c - 0.5 for c in box], **kw)

    def rectangle(self, box, **kw):
        x0, y0, x1, y1 = box
        self._d.rectangle([round(x0), round(y0), round(x1) - 1, round(y1) - 1], **kw)


def shape_mask(size, draw_fn):
    mask = Image.new("L", size, 0)
    draw_fn(_CentredDraw(ImageDraw.Draw(mask)))
    return mask


# --- the window's background -----------------------------------------------

BG_SIZE = (338, 162)
BG_TOP, BG_BOTTOM = 255, 200  # grey level of the first and the last row

# The emblem's ellipse, in background pixels. Its centre lies above the top
# edge so that only the lower part shows; on the rows of the step labels
# (y 12..65) it starts right of x 215, and at the top edge right of x 205,
# well clear of where their texts may end (x < 187), and its bottom stays
# above y 52, clear of the buttons (y >= 76).
EMBLEM_C = (304.0, -40.0)
EMBLEM_R = (106.0, 90.0)


def background_grey(y):
    return clamp8(lerp(BG_TOP, BG_BOTTOM, y / (BG_SIZE[1] - 1)))


def emblem_colour(rho, x, y):
    """Colour of the emblem at normalised radius rho (0 centre, 1 rim)."""
    deep = (150, 10, 18)
    core = (222, 38, 34)
    glow = (240, 86, 64)
    c = lerp_rgb(core, deep, min(1.0, rho) ** 2.2)
    # A soft light from the lower left, where the emblem meets the page,
    # keeps the visible part from looking flat.
    gx, gy = EMBLEM_C[0] - 40.0, EMBLEM_C[1] + 72.0
    d = math.hypot((x - gx) / 110.0, (y - gy) / 48.0)
    c = lerp_rgb(c, glow, 0.40 * max(0.0, 1.0 - d) ** 2)
    # A fine light ring just inside the rim turns a plain blob into a badge.
    ring = abs(rho - 0.92) / 0.012
    if ring < 1.0:
        c = lerp_rgb(c, (255, 226, 214), 0.55 * (1.0 - ring * ring))
    # A darker lip at the very edge separates the red from the pale page.
    if rho > 0.975:
        c = lerp_rgb(c, (110, 6, 14), min(1.0, (rho - 0.975) / 0.025))
    return c


def draw_background():
    w, h = BG_SIZE
    ss = 4
    cx, cy = EMBLEM_C
    rx, ry = EMBLEM_R

    base = Image.new("RGBA", (w, h))
    base.putdata([(g, g, g, 255) for y in range(h) for g in [background_grey(y)] for _ in range(w)])

    # Soft drop shadow, so the emblem sits on the page rather than in it.
    shadow_mask = Image.new("L", (w * ss, h * ss), 0)
    ImageDraw.Draw(shadow_mask).ellipse(
        [(cx - rx + 1.0) * ss, (cy - ry + 2.5) * ss, (cx + rx + 1.0) * ss, (cy + ry + 2.5) * ss], fill=60
    )
    shadow_mask = shadow_mask.resize((w, h), Image.BOX).filter(ImageFilter.GaussianBlur(2.2))
    shadow = solid((w, h), (40, 20, 20))
    shadow.putalpha(shadow_mask)
    base.alpha_composite(shadow)

    # The emblem itself, evaluated per subpixel for smooth, exact edges.
    big = Image.new("RGBA", (w * ss, h * ss), (0, 0, 0, 0))
    px = big.load()
    x_lo = max(0, int((cx - rx - 1) * ss))
    y_hi = min(h * ss, int((cy + ry + 1) * ss) + 1)
    for sy in range(0, y_hi):
        y = (sy + 0.5) / ss
        for sx in range(x_lo, w * ss):
            x = (sx + 0.5) / ss
            rho = math.hypot((x - cx) / rx, (y - cy) / ry)
            if rho <= 1.0:
                r, g, b = emblem_colour(rho, x, y)
                px[sx, sy] = (clamp8(r), clamp8(g), clamp8(b), 255)
    base.alpha_composite(downsample(big, (w, h)))
    return base.convert("RGB")


def to_256_colours(img):
    """Converts to a palette image with exactly 256 entries.

    Every row's plain gradient grey gets its own entry, so the gradient keeps
    all its steps; the quantiser only has to share the rest of the palette
    among the emblem, its shadow and their blended edges.
    """
    w, h = img.size
    rows = [background_grey(y) for y in range(h)]
    greys = sorted(set(rows), reverse=True)
    grey_index = {g: i for i, g in enumerate(greys)}

    src = list(img.getdata())
    others = []
    for i, (r, g, b) in enumerate(src):
        if not (r == g == b == rows[i // w]):
            others.append((r, g, b))

    free = 256 - len(greys)
    strip = Image.new("RGB", (len(others), 1))
    strip.putdata(others)
    q = strip.quantize(colors=free, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    q_pal = q.getpalette()[: 3 * free]
    q_idx = list(q.getdata())

    palette = []
    for g in greys:
        palette += [g, g, g]
    palette += q_pal
    # Pad unused entries with the last colour so the palette is always full.
    while len(palette) < 256 * 3:
        palette += palette[-3:]

    out = []
    k = 0
    for i, (r, g, b) in enumerate(src):
        if r == g == b == rows[i // w]:
            out.append(grey_index[g])
        else:
            out.append(len(greys) + q_idx[k])
            k += 1
    pimg = Image.new("P", (w, h))
    pimg.putpalette(palette)
    pimg.putdata(out)
    return pimg


# --- the program's icon: a written page with a globe before it --------------

# Layouts in output pixels. The 16-pixel icon is laid out on its own grid so
# that every page edge and line of writing lands on whole pixels instead of
# blurring between two.
ICON_LAYOUTS = {
    16: dict(
        page=(1, 0, 13, 15),
        fold=5,
        lines=[(4, [(3, 5), (6, 8)]), (6, [(3, 9)]), (8, [(3, 6)]), (10, [(3, 5)]), (12, [(3, 5)])],
        globe=(10.5, 10.5, 5.4),
        meridians=[0.0, 0.62],
        parallels=[0.0],
        stroke=1.0,
        grid=0.9,
        grid_alpha=110,
        shadow=False,
    ),
    32: dict(
        page=(3, 1, 24, 28),
        fold=6,
        lines=[
            (7, [(6, 10), (12, 17)]),
            (10, [(6, 13), (15, 21)]),
            (13, [(6, 9), (11, 19)]),
            (16, [(6, 12), (14, 17)]),
            (19, [(6, 11)]),
            (22, [(6, 10)]),
            (25, [(6, 9)]),
        ],
        globe=(21.5, 21.5, 9.7),
        meridians=[0.0, 0.45, 0.82],
        parallels=[0.0, -0.5, 0.5],
        stroke=1.0,
        grid=0.8,
        grid_alpha=120,
        shadow=True,
    ),
}

PAGE_EDGE = (78, 84, 96)
PAGE_FILL = (255, 255, 255)
FOLD_FILL = (214, 220, 230)
INK = (52, 72, 128)
GLOBE_EDGE = (14, 36, 96)

# Land in the globe's own coordinates (unit disc, y pointing down).
LANDS = [
    [(-0.92, -0.45), (-0.65, -0.75), (-0.25, -0.80), (-0.10, -0.60), (-0.30, -0.40),
     (-0.40, -0.15), (-0.55, -0.05), (-0.75, -0.20)],
    [(-0.40, 0.10), (-0.10, 0.20), (0.02, 0.40), (-0.15, 0.65), (-0.30, 0.88),
     (-0.42, 0.55), (-0.50, 0.28)],
    [(0.30, -0.75), (0.60, -0.82), (0.80, -0.55), (0.65, -0.35), (0.85, -0.10),
     (0.80, 0.25), (0.62, 0.55), (0.48, 0.45), (0.40, 0.10), (0.25, -0.05), (0.28, -0.35)],
]


def offset_polygon(points, d):
    """Moves every edge of a clockwise (on screen) polygon inward by d.

    Each new corner is where two shifted edges meet, which holds for the
    odd inward corner too as long as the edges are long compared to d.
    """
    n = len(points)
    lines = []
    for i in range(n):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
        ex, ey = x1 - x0, y1 - y0
        ln = math.hypot(ex, ey)
        nx, ny = -ey / ln, ex / ln  # inward normal for screen-clockwise order
        lines.append((x0 + nx * d, y0 + ny * d, ex, ey))
    out = []
    for i in range(n):
        ax, ay, adx, ady = lines[i - 1]
        bx, by, bdx, bdy = lines[i]
        den = adx * bdy - ady * bdx
        t = ((bx - ax) * bdy - (by - ay) * bdx) / den
        out.append((ax + adx * t, ay + ady * t))
    return out


def sphere_shade(u, v):
    """Light falls from the upper left, with a small highlight."""
    z = math.sqrt(max(0.0, 1.0 - u * u - v * v))
    lx, ly, lz = -0.45, -0.55, 0.70
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    d = max(0.0, (u * lx + v * ly + z * lz) / ln)
    gloss = max(0.0, d) ** 24
    return 0.30 + 0.70 * d, gloss


def draw_sheet(canvas, rect, fold, sw):
    """A sheet of paper with its top right corner folded down towards the reader.

    The outline is painted last, as the band between the sheet's shape and
    that shape shrunk by one stroke, so that the fold keeps a clean diagonal
    edge even where it is only a few pixels wide.
    """
    x0, y0, x1, y1 = rect
    outer = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    inner = offset_polygon(outer, sw)
    whole = shape_mask(canvas.size, lambda d: d.polygon(outer, fill=255))
    hole = shape_mask(canvas.size, lambda d: d.polygon(inner, fill=255))
    band = Image.composite(Image.new("L", canvas.size, 0), whole, hole)
    paint(canvas, hole, solid(canvas.size, PAGE_FILL))
    ear = [(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]
    paint(canvas, shape_mask(canvas.size, lambda d: d.polygon(ear, fill=255)), solid(canvas.size, FOLD_FILL))

    def legs(d):
        d.rectangle([x1 - fold, y0, x1 - fold + sw, y0 + fold], fill=255)
        d.rectangle([x1 - fold, y0 + fold - sw, x1, y0 + fold], fill=255)

    paint(canvas, shape_mask(canvas.size, legs), solid(canvas.size, PAGE_EDGE))
    paint(canvas, band, solid(canvas.size, PAGE_EDGE))


def scaled_layout(layout, factor):
    """A layout magnified by factor, for a size that has no layout of its own.

    The page, its fold and the lines of writing are moved to whole pixels and
    the globe's centre to the middle of one, so that at the new size they stay
    as crisp as at the layout's own size.
    """

    def whole(v):
        return int(round(v * factor))

    gx, gy, gr = layout["globe"]
    return dict(
        layout,
        page=tuple(whole(c) for c in layout["page"]),
        fold=whole(layout["fold"]),
        lines=[(whole(y), [(whole(a), whole(b)) for a, b in words]) for y, words in layout["lines"]],
        globe=(math.floor(gx * factor) + 0.5, math.floor(gy * factor) + 0.5, gr * factor),
    )


def draw_icon(size, layout, ss=8, scale=1.0):
    """Draws the icon as RGBA at size x size; scale magnifies a layout."""
    big_n = size * ss
    k = ss * scale
    canvas = Image.new("RGBA", (big_n, big_n), (0, 0, 0, 0))
    sw = max(1.0, layout["stroke"] * k)

    draw_sheet(canvas, [c * k for c in layout["page"]], layout["fold"] * k, sw)

    # Lines of writing, broken into words.
    def writing(d):
        for y, words in layout["lines"]:
            for a, b in words:
                d.rectangle([a * k, y * k, b * k, y * k + sw], fill=255)

    paint(canvas, shape_mask(canvas.size, writing), solid(canvas.size, INK))

    # The globe.
    gx, gy, gr = (c * k for c in layout["globe"])
    box = [gx - gr, gy - gr, gx + gr, gy + gr]

    # A faint shadow on the page, to the lower left of the globe; too
    # muddy to keep at the smallest size.
    if layout["shadow"]:
        sh = shape_mask(canvas.size, lambda d: d.ellipse([box[0] - 0.6 * k, box[1] + 0.6 * k, box[2] - 0.6 * k, box[3] + 0.6 * k], fill=70))
        sh = sh.filter(ImageFilter.GaussianBlur(0.8 * k))
        paint(canvas, sh, solid(canvas.size, (0, 0, 0)))

    disc = shape_mask(canvas.size, lambda d: d.ellipse(box, fill=255))
    land = shape_mask(
        canvas.size,
        lambda d: [d.polygon([(gx + u * gr, gy + v * gr) for u, v in smooth_closed(poly)], fill=255) for poly in LANDS],
    )

    sea_dark, sea_light = (18, 62, 160), (120, 182, 246)
    land_dark, land_light = (24, 92, 28), (120, 200, 84)
    globe = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
    gp = globe.load()
    lp = land.load()
    bx0, by0 = int(box[0]) - 1, int(box[1]) - 1
    bx1, by1 = int(box[2]) + 2, int(box[3]) + 2
    for sy in range(max(0, by0), min(big_n, by1)):
        v = (sy + 0.5 - gy) / gr
        for sx in range(max(0, bx0), min(big_n, bx1)):
            u = (sx + 0.5 - gx) / gr
            if u * u + v * v > 1.0:
                continue
            light, gloss = sphere_shade(u, v)
            if lp[sx, sy] > 127:
                c = lerp_rgb(land_dark, land_light, light)
            else:
                c = lerp_rgb(sea_dark, sea_light, light)
            c = lerp_rgb(c, (255, 255, 255), 0.8 * gloss)
            gp[sx, sy] = (clamp8(c[0]), clamp8(c[1]), clamp8(c[2]), 255)

    # Meridians as ellipses through the poles, parallels as straight chords:
    # the globe is seen from the equator, upright.
    gw = max(1.0, layout["grid"] * k)

    def grid(d):
        for m in layout["meridians"]:
            if m == 0.0:
                d.rectangle([gx - gw / 2, gy - gr, gx + gw / 2, gy + gr], fill=255)
            else:
                d.ellipse([gx - gr * m, gy - gr, gx + gr * m, gy + gr], outline=255, width=int(round(gw)))
        for p in layout["parallels"]:
            yy = gy + p * gr
            d.rectangle([gx - gr, yy - gw / 2, gx + gr, yy + gw / 2], fill=255)

    grid_mask = shape_mask(canvas.size, grid)
    grid_mask = Image.composite(grid_mask, Image.new("L", canvas.size, 0), disc)
    grid_layer = solid(canvas.size, (214, 236, 255))
    grid_layer.putalpha(grid_mask.point(lambda a: a * layout["grid_alpha"] // 255))
    globe.alpha_composite(grid_layer)

    # A crisp rim: the disc minus the disc shrunk by one stroke.
    rim = shape_mask(canvas.size, lambda d: d.ellipse(box, fill=255))
    hole = shape_mask(canvas.size, lambda d: d.ellipse([box[0] + sw, box[1] + sw, box[2] - sw, box[3] - sw], fill=255))
    rim = Image.composite(Image.new("L", canvas.size, 0), rim, hole)
    edge = solid(canvas.size, GLOBE_EDGE)
    edge.putalpha(rim)
    globe.alpha_composite(edge)

    canvas.alpha_composite(globe)
    return downsample(canvas, (size, size))


# --- the file-dialog control's face ----------------------------------------

FOLDER_EDGE = (122, 80, 16)
FOLDER_BACK = (222, 166, 58)
FOLDER_FRONT = (250, 206, 96)
FOLDER_LIP = (255, 234, 160)


def draw_dialog_control(size=32, ss=8):
    n = size * ss
    k = ss
    sw = k
    canvas = Image.new("RGBA", (n, n), (0, 0, 0, 0))

    def outlined(poly, fill):
        paint(canvas, shape_mask(canvas.size, lambda d: d.polygon([(x * k, y * k) for x, y in poly], fill=255)), solid(canvas.size, FOLDER_EDGE))
        inner = offset_polygon([(x * k, y * k) for x, y in poly], sw)
        paint(canvas, shape_mask(canvas.size, lambda d: d.polygon(inner, fill=255)), solid(canvas.size, fill))

    # Back of the folder with its tab.
    outlined([(1, 5), (11, 5), (13, 8), (30, 8), (30, 29), (1, 29)], FOLDER_BACK)
    # The document standing in it.
    draw_sheet(canvas, [7 * k, 2 * k, 25 * k, 24 * k], 4 * k, sw)

    def writing(d):
        for y, a, b in [(6, 10, 18), (9, 10, 22), (12, 10, 20), (15, 10, 22)]:
            d.rectangle([a * k, y * k, b * k, y * k + k], fill=255)

    paint(canvas, shape_mask(canvas.size, writing), solid(canvas.size, INK))
    # The front flap, tilted open a little so the document shows above it.
    outlined([(1, 15), (28, 15), (31, 29), (3, 29)], FOLDER_FRONT)
    # A highlight along the flap's upper lip.
    lip = [(2 * k, 16 * k), (27 * k, 16 * k), (27.3 * k, 17.2 * k), (2.3 * k, 17.2 * k)]
    paint(canvas, shape_mask(canvas.size, lambda d: d.polygon(lip, fill=255)), solid(canvas.size, FOLDER_LIP))
    return downsample(canvas, (size, size))


# --- writing the files -----------------------------------------------------


def opaque_mask(img, threshold):
    return [a >= threshold for a in img.getchannel("A").getdata()]


def and_mask_bytes(w, h, opaque):
    """The icon's 1-bit AND mask, bottom-up, rows padded to 4 bytes; 1 = see-through."""
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if not opaque[y * w + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bitmap_header(w, h, bits, image_bytes, colours_used=0):
    # The height counts the colour bitmap and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0, image_bytes, 0, 0, colours_used, 0)


MASK_THRESHOLD = 112


def icon_face(img):
    """The picture as a 24-bit icon with an AND mask shows it.

    Such an icon has no alpha, so a half-covered edge pixel cannot blend
    with whatever lies behind it: it becomes fully opaque or fully clear.
    Keeping its own colour (the alpha is already divided out) gives a clean
    edge on any backdrop.
    """
    opaque = opaque_mask(img, MASK_THRESHOLD)
    out = Image.new("RGBA", img.size)
    out.putdata([p[:3] + (255,) if o else (0, 0, 0, 0) for p, o in zip(img.getdata(), opaque)])
    return out


def ico_entry_24(img):
    """A 24-bit BMP-style icon image of an icon_face picture."""
    w, h = img.size
    opaque = opaque_mask(img, 128)
    stride = ((w * 3 + 3) // 4) * 4
    xor = bytearray()
    px = list(img.getdata())
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if opaque[y * w + x]:
                r, g, b, _ = px[y * w + x]
                row[x * 3 : x * 3 + 3] = bytes((b, g, r))
        xor += row
    mask = and_mask_bytes(w, h, opaque)
    return (w, h, 0, 24, bitmap_header(w, h, 24, len(xor) + len(mask)) + bytes(xor) + mask)


def ico_entry_8(img):
    """An 8-bit icon image of an icon_face picture.

    The palette always has all 256 entries, and index 0 is black.

    Black at index 0 makes the see-through pixels' colour bits all zero, as
    the AND-mask/XOR drawing of icons expects.
    """
    w, h = img.size
    opaque = opaque_mask(img, 128)
    px = list(img.getdata())
    used = [px[i][:3] for i in range(w * h) if opaque[i]]
    strip = Image.new("RGB", (len(used), 1))
    strip.putdata(used)
    q = strip.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    q_pal = q.getpalette()
    n_q = max(q.getdata()) + 1
    palette = [(0, 0, 0)] + [tuple(q_pal[3 * i : 3 * i + 3]) for i in range(n_q)]
    while len(palette) < 256:
        palette.append((0, 0, 0))
    q_idx = iter(q.getdata())
    index = [next(q_idx) + 1 if opaque[i] else 0 for i in range(w * h)]

    stride = ((w + 3) // 4) * 4
    bits = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        row[:w] = bytes(index[y * w : (y + 1) * w])
        bits += row
    pal_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    mask = and_mask_bytes(w, h, opaque)
    body = pal_bytes + bytes(bits) + mask
    return (w, h, 0, 8, bitmap_header(w, h, 8, len(bits) + len(mask), 256) + body)


def write_ico(path, entries):
    head = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(head) + 16 * len(entries)
    dirs, blobs = b"", b""
    for w, h, colour_count, bits, blob in entries:
        dirs += struct.pack("<BBBBHHII", w % 256, h % 256, colour_count, 0, 1, bits, len(blob), offset)
        blobs += blob
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(head + dirs + blobs)


def write_png(img, path):
    # No optimisation pass and no metadata: the bytes depend on the pixels only.
    img.save(path, format="PNG", optimize=False, compress_level=9)


def main():
    bg = to_256_colours(draw_background())
    bg.save(os.path.join(RESOURCES, "background.gif"), format="GIF", optimize=False)

    faces = {n: icon_face(draw_icon(n, ICON_LAYOUTS[n])) for n in (16, 32)}
    write_ico(os.path.join(RESOURCES, "brackwater.ico"), [ico_entry_24(faces[16]), ico_entry_24(faces[32])])
    # The same two pictures as PNG, pixel for pixel: toolkits that ignore
    # the AND mask of a 24-bit icon (Qt does) can take these instead.
    for n in (16, 32):
        write_png(faces[n], os.path.join(RESOURCES, "brackwater-%d.png" % n))
    # The desktop's icon keeps full alpha: it is drawn from the 32-pixel
    # layout at four times the size, with the strokes only doubled.
    fine = dict(ICON_LAYOUTS[32], stroke=0.5, grid=0.45)
    large = draw_icon(128, fine, ss=4, scale=4.0)
    write_png(large, os.path.join(RESOURCES, "brackwater.png"))
    # The icon theme's other sizes, with full alpha too (the 16 and 32 pixel
    # ones are the pictures above): 48 from the 32-pixel layout moved to whole
    # pixels with one-pixel strokes, 64 and 256 magnified like the 128.
    write_png(draw_icon(48, scaled_layout(ICON_LAYOUTS[32], 1.5)), os.path.join(RESOURCES, "brackwater-48.png"))
    write_png(draw_icon(64, fine, ss=8, scale=2.0), os.path.join(RESOURCES, "brackwater-64.png"))
    write_png(draw_icon(256, fine, ss=4, scale=8.0), os.path.join(RESOURCES, "brackwater-256.png"))

    write_ico(os.path.join(RESOURCES, "dialog_control.ico"), [ico_entry_8(icon_face(draw_dialog_control()))])


if __name__ == "__main__":
    main()
