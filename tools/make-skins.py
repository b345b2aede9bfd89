#!/usr/bin/env python3
"""Writes the shipped notification skins and the notification cursor:

    data/Skins/Default/   dark skin, artwork left of the text
    data/Skins/Card/      light skin, artwork above centred text, fade effect
    res/hand.cur          32 x 32 pointing hand (cursor resource 105)

Every picture is drawn here from shapes and gradients and written as a 24-bit
bottom-up Windows bitmap; magenta (FF00FF) marks the transparent pixels of the
icon and bar strips. Icons and bars are placed in the header, the only part of
the window whose position does not depend on the text, and their edges are
smoothed against the header pixels they are drawn over.

    python3 tools/make-skins.py                # write the files
    python3 tools/make-skins.py --preview DIR  # also write previews to DIR

The previews show each skin composed like a notification, with and without
artwork (a PPM, and a PNG with sample text when ImageMagick's `convert` is on
the PATH). Output is deterministic; run again after changing the tables below.
"""

import math
import os
import shutil
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAGENTA = (255, 0, 255)
SS = 4  # supersampling per axis for edge coverage


# ---------------------------------------------------------------- colours


def hex_rgb(s):
    s = s.lstrip("#")
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------- raster


class Image:
    """RGB raster with float channels, plus a coverage mask used by strips."""

    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(map(float, fill)) for _ in range(w * h)]
        self.mask = [0.0] * (w * h)

    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def set(self, x, y, c):
        self.px[y * self.w + x] = list(map(float, c))

    def blend(self, x, y, c, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        a = min(a, 1.0)
        p = self.px[y * self.w + x]
        for i in range(3):
            p[i] += (c[i] - p[i]) * a
        m = self.mask[y * self.w + x]
        self.mask[y * self.w + x] = 1 - (1 - m) * (1 - a)

    def crop(self, x0, y0, w, h):
        out = Image(w, h)
        for y in range(h):
            for x in range(w):
                out.set(x, y, self.get(x0 + x, y0 + y))
        return out

    def paste(self, img, x0, y0, key=None):
        for y in range(img.h):
            for x in range(img.w):
                c = img.get(x, y)
                if key is not None and tuple(round(v) for v in c) == key:
                    continue
                if 0 <= x0 + x < self.w and 0 <= y0 + y < self.h:
                    self.set(x0 + x, y0 + y, c)

    def keyed(self, threshold=0.04):
        """Copy in which untouched pixels (mask below threshold) are magenta."""
        out = Image(self.w, self.h)
        for i in range(self.w * self.h):
            out.px[i] = list(MAGENTA) if self.mask[i] < threshold else list(self.px[i])
        return out

    def rows(self):
        for y in range(self.h):
            yield [tuple(max(0, min(255, int(round(v)))) for v in self.px[y * self.w + x]) for x in range(self.w)]


def coverage(inside, x, y):
    n = 0
    for j in range(SS):
        for i in range(SS):
            if inside(x + (i + 0.5) / SS, y + (j + 0.5) / SS):
                n += 1
    return n / (SS * SS)


def fill(img, inside, colour, alpha=1.0, box=None):
    """Paints the shape `inside(x, y)` (continuous coordinates); `colour` is
    an RGB triple or a function of (x, y) giving one."""
    x0, y0, x1, y1 = box if box else (0, 0, img.w, img.h)
    for y in range(max(0, int(y0)), min(img.h, int(math.ceil(y1)))):
        for x in range(max(0, int(x0)), min(img.w, int(math.ceil(x1)))):
            c = coverage(inside, x, y)
            if c > 0:
                img.blend(x, y, colour(x + 0.5, y + 0.5) if callable(colour) else colour, c * alpha)


# ---------------------------------------------------------------- shapes


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def ellipse(cx, cy, rx, ry, angle=0.0):
    ca, sa = math.cos(angle), math.sin(angle)

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * ca + dy * sa, -dx * sa + dy * ca
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1

    return inside


def polygon(points):
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                c = not c
        return c

    return inside


def stroke(points, width):
    """A polyline of the given width with round joins and caps."""
    hw2 = (width / 2) ** 2
    segs = list(zip(points, points[1:]))

    def inside(x, y):
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            t = 0.0 if dx == dy == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= hw2:
                return True
        return False

    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def arc_points(cx, cy, r, a0, a1, n=12):
    return [(cx + r * math.cos(a0 + (a1 - a0) * k / n), cy + r * math.sin(a0 + (a1 - a0) * k / n)) for k in range(n + 1)]


# ---------------------------------------------------------------- files


def bmp_bytes(img):
    stride = (img.w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(list(img.rows())):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def read_bmp(path):
    with open(path, "rb") as f:
        b = f.read()
    off = struct.unpack_from("<I", b, 10)[0]
    w, h = struct.unpack_from("<ii", b, 18)
    stride = (w * 3 + 3) & ~3
    img = Image(w, h)
    for y in range(h):
        row = off + (h - 1 - y) * stride
        for x in range(w):
            bb, g, r = b[row + 3 * x : row + 3 * x + 3]
            img.set(x, y, (r, g, bb))
    return img


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def ini_bytes(sections):
    lines = []
    for name, keys in sections:
        if lines:
            lines.append("")
        lines.append("[%s]" % name)
        for k, v in keys:
            lines.append("%s=%s" % (k, v))
    return b"\xef\xbb\xbf" + ("\r\n".join(lines) + "\r\n").encode("utf-8")


# ---------------------------------------------------------------- glyphs (16 x 16)


def glyph_notes(img, c):
    heads = union(ellipse(4.6, 12.4, 2.6, 1.9, -0.35), ellipse(11.6, 11.0, 2.6, 1.9, -0.35))
    stems = union(stroke([(6.7, 11.6), (6.7, 3.6)], 1.5), stroke([(13.7, 10.2), (13.7, 2.2)], 1.5))
    beam = polygon([(6.0, 3.0), (14.45, 1.5), (14.45, 4.3), (6.0, 5.8)])
    fill(img, union(heads, stems, beam), c)


def glyph_pause(img, c):
    fill(img, union(rrect(4.0, 3.5, 7.0, 12.5, 1.0), rrect(9.0, 3.5, 12.0, 12.5, 1.0)), c)


def glyph_play(img, c):
    tri = polygon([(5.0, 3.2), (13.2, 8.0), (5.0, 12.8)])
    fill(img, union(tri, stroke([(5.0, 3.2), (13.2, 8.0), (5.0, 12.8), (5.0, 3.2)], 1.4)), c)


def glyph_shuffle(img, c):
    w = 1.5
    a = stroke([(1.6, 4.6), (4.6, 4.6), (9.6, 11.4), (12.0, 11.4)], w)
    b = stroke([(1.6, 11.4), (4.6, 11.4), (9.6, 4.6), (12.0, 4.6)], w)
    heads = union(polygon([(11.2, 1.6), (15.0, 4.6), (11.2, 7.6)]), polygon([(11.2, 8.4), (15.0, 11.4), (11.2, 14.4)]))
    fill(img, union(a, b, heads), c)


def glyph_repeat(img, c, badge=None, badge_text=None):
    w = 1.5
    top = stroke([(10.0, 3.8), (4.8, 3.8)] + arc_points(4.8, 7.0, 3.2, -math.pi / 2, -math.pi, 8)[1:] + [(1.6, 8.4)], w)
    bottom = stroke([(6.0, 12.2), (11.2, 12.2)] + arc_points(11.2, 9.0, 3.2, math.pi / 2, 0, 8)[1:] + [(14.4, 7.6)], w)
    heads = union(polygon([(9.4, 0.9), (13.0, 3.8), (9.4, 6.7)]), polygon([(6.6, 9.3), (3.0, 12.2), (6.6, 15.1)]))
    fill(img, union(top, bottom, heads), c)
    if badge is not None:
        fill(img, ellipse(12.2, 12.2, 3.8, 3.8), badge)
        fill(img, union(stroke([(12.3, 10.0), (12.3, 14.4)], 1.3), stroke([(11.2, 11.0), (12.3, 10.0)], 1.1)), badge_text)


# ---------------------------------------------------------------- strips


def strip(header, left, top, w, h, frames):
    """Frames drawn over the header pixels at (left, top); magenta elsewhere."""
    out = Image(w * len(frames), h, MAGENTA)
    for i, draw in enumerate(frames):
        layer = header.crop(left, top, w, h)
        draw(layer)
        out.paste(layer.keyed(), i * w, 0)
    return out


def bar_frames(header, left, top, w, h, trough, rim, fills):
    """Four frames: muted empty, muted full, unmuted empty, unmuted full.
    `fills` holds the (top, bottom) gradient colours of the muted and the
    unmuted level; `trough` the (muted, unmuted) empty colours."""
    r = h / 2
    shape = rrect(0, 0, w, h, r)
    inner = rrect(1, 1, w - 1, h - 1, r - 1)

    def empty(t):
        def draw(img):
            fill(img, shape, rim)
            fill(img, inner, t)

        return draw

    def full(top_c, bottom_c):
        def draw(img):
            fill(img, shape, rim)
            fill(img, inner, lambda x, y: mix(top_c, bottom_c, (y - 1) / max(1, h - 2)))
            fill(img, rrect(1.5, 1.0, w - 1.5, 1.0 + (h - 2) * 0.45, 0.8), (255, 255, 255), 0.18)

        return draw

    return strip(header, left, top, w, h, [empty(trough[0]), full(*fills[0]), empty(trough[1]), full(*fills[1])])


# ---------------------------------------------------------------- window chrome


def chrome(w, header_h, footer_h, p):
    """The window outline as one picture: header, two body rows, footer.
    Returns (header, body tile, footer)."""
    h = header_h + 2 + footer_h
    img = Image(w, h, p["border"])
    r = p["radius"]
    panel = rrect(1, 1, w - 1, h - 1, r)

    def panel_colour(x, y):
        if y < header_h:
            t = (y - 1) / max(1, header_h - 2)
            return mix(p["header_top"], p["header_bottom"], t)
        return p["body"]

    fill(img, panel, panel_colour)
    # top highlight, just inside the border
    fill(img, rrect(1 + r * 0.6, 1, w - 1 - r * 0.6, 2, 0), p["highlight"], p["highlight_alpha"])
    # header separator
    for x in range(1, w - 1):
        img.blend(x, header_h - 1, p["separator"], 1.0)
    if p.get("accent_line"):
        ac, a0, a1 = p["accent_line"]
        for x in range(1, w - 1):
            t = (x - 1) / (w - 3)
            img.blend(x, header_h - 1, ac, a0 + (a1 - a0) * t)
    # footer shading towards the bottom edge
    fy = header_h + 2
    for y in range(fy, h - 1):
        t = (y - fy) / max(1, footer_h - 2)
        for x in range(1, w - 1):
            img.blend(x, y, p["footer_shade"], t * p["footer_shade_alpha"])
    fill(img, minus(rrect(0, 0, w, h, r + 1), panel), p["border"], 1.0, (0, h - r - 2, w, h))
    if p.get("footer_pill"):
        pw, pc = p["footer_pill"]
        cy = fy + footer_h / 2 - 0.5
        fill(img, rrect(w / 2 - pw / 2, cy - 1.5, w / 2 + pw / 2, cy + 1.5, 1.5), pc)
    header = img.crop(0, 0, w, header_h)
    body = img.crop(0, header_h, w, 2)
    footer = img.crop(0, header_h + 2, w, footer_h)
    return header, body, footer


# ---------------------------------------------------------------- skins


def font_keys(f):
    return [("font-family", f["family"]), ("font-size", f["size"]), ("font-style", f["style"]), ("font-color", f["color"])]


def make_skin(s):
    folder = os.path.join(ROOT, "data", "Skins", s["folder"])
    p = s["palette"]
    header, body, footer = chrome(s["width"], s["header_h"], s["footer_h"], p)

    icons = s["icons"]
    plain = strip(header, *icons["icon"], 16, 16, [lambda i: glyph_notes(i, p["accent"])])
    state = strip(header, *icons["playerstate"], 16, 16,
                  [lambda i: glyph_pause(i, p["dim"]), lambda i: glyph_play(i, p["on"])])
    shuffle = strip(header, *icons["shuffle"], 16, 16,
                    [lambda i: glyph_shuffle(i, p["dim"]), lambda i: glyph_shuffle(i, p["on"])])
    repeat = strip(header, *icons["repeat"], 16, 16, [
        lambda i: glyph_repeat(i, p["dim"]),
        lambda i: glyph_repeat(i, p["on"], p["accent"], p["badge_text"]),
        lambda i: glyph_repeat(i, p["on"]),
    ])
    bw, bh = s["bar_size"]
    vol = bar_frames(header, *s["bars"]["volume"], bw, bh, p["trough"], p["rim"], (p["muted_fill"], p["volume_fill"]))
    sysvol = bar_frames(header, *s["bars"]["systemvolume"], bw, bh, p["trough"], p["rim"],
                        (p["muted_fill"], p["sysvolume_fill"]))

    files = {
        "header.bmp": header, "body.bmp": body, "footer.bmp": footer, "icon.bmp": plain,
        "playerstate.bmp": state, "shuffle.bmp": shuffle, "repeat.bmp": repeat,
        "volume.bmp": vol, "systemvolume.bmp": sysvol,
    }
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    for name, img in files.items():
        write(os.path.join(folder, name), bmp_bytes(img))

    hf, bf = s["header_font"], s["body_font"]
    b, a = s["body"], s["artwork"]

    def body_keys(m, t):
        return ([("margin-left", m[0]), ("margin-top", m[1]), ("margin-right", m[2]), ("margin-bottom", m[3]),
                 ("bg-image", "body.bmp"), ("bg-repeat", "repeat")] + font_keys(bf) +
                [("text-align", s["text_align"]), ("text-margin-left", t[0]), ("text-margin-top", t[1]),
                 ("text-margin-right", t[2]), ("text-margin-bottom", t[3])])

    def place(section, lt, w, h, image):
        return (section, [("left", lt[0]), ("top", lt[1]), ("width", w), ("height", h), ("image", image)])

    sections = [
        ("Info", [("Name", s["name"])]),
        ("notify", [("width", s["width"]), ("effect", s["effect"]), ("transparency", s["transparency"])]),
        ("notify-header", [("height", s["header_h"]), ("bg-image", "header.bmp")] + font_keys(hf) + [
            ("text-align", "left"), ("text-visible", s["title_visible"]), ("text-margin-left", s["title"][0]),
            ("text-margin-top", s["title"][1]), ("text-margin-right", s["title"][2])]),
        ("notify-body", body_keys(b["margins"], b["text_margins"])),
        ("notify-body-artwork", body_keys(a["margins"], a["text_margins"]) + [
            ("object-align", a["align"]), ("artwork-margin-left", a["art_margins"][0]),
            ("artwork-margin-top", a["art_margins"][1]), ("artwork-margin-right", a["art_margins"][2]),
            ("artwork-margin-bottom", a["art_margins"][3]), ("artwork-width", a["box"][0]),
            ("artwork-height", a["box"][1]), ("artwork-valign", a["valign"])]),
        ("notify-footer", [("bg-image", "footer.bmp")]),
        place("notify-icon", icons["icon"], 16, 16, "icon.bmp"),
        place("notify-icon-playerstate", icons["playerstate"], 16, 16, "playerstate.bmp"),
        place("notify-icon-shuffle", icons["shuffle"], 16, 16, "shuffle.bmp"),
        place("notify-icon-repeat", icons["repeat"], 16, 16, "repeat.bmp"),
        place("notify-volume", s["bars"]["volume"], bw, bh, "volume.bmp"),
        place("notify-systemvolume", s["bars"]["systemvolume"], bw, bh, "systemvolume.bmp"),
    ]
    write(os.path.join(folder, "Skin.ini"), ini_bytes(sections))
    return folder


DEFAULT = {
    "folder": "Default",
    "name": "Default",
    "width": 320,
    "effect": -1,  # the user's Effect setting
    "transparency": -1,  # the user's Transparency setting
    "header_h": 24,
    "footer_h": 8,
    # The fonts are created with the Shift-JIS character set, and the font
    # mapper weighs a character-set mismatch above the face name: a face
    # without Japanese glyphs (Segoe UI, Tahoma) would be swapped for some
    # Japanese face anyway. Meiryo UI is made for Japanese user interfaces
    # and its Latin letters are clean, so both texts use it.
    "header_font": {"family": "Meiryo UI", "size": 16, "style": "bold", "color": "E9EDF3"},
    "body_font": {"family": "Meiryo UI", "size": 17, "style": "", "color": "DDE2EA"},
    "title_visible": "true",
    "title": (27, 4, 150),  # text margins left, top, right
    "text_align": "left",
    "body": {"margins": (12, 8, 12, 6), "text_margins": (0, 0, 0, 0)},
    "artwork": {"margins": (10, 10, 12, 8), "text_margins": (0, 0, 0, 0), "align": 0,
                "art_margins": (0, 0, 12, 0), "box": (80, 80), "valign": "top"},
    "icons": {"icon": (7, 4), "playerstate": (172, 4), "shuffle": (192, 4), "repeat": (212, 4)},
    "bars": {"volume": (246, 5), "systemvolume": (246, 13)},
    "bar_size": (62, 6),
    "palette": {
        "border": hex_rgb("0B0D11"), "radius": 4,
        "header_top": hex_rgb("3A404C"), "header_bottom": hex_rgb("252930"),
        "highlight": hex_rgb("8A93A3"), "highlight_alpha": 0.45,
        "separator": hex_rgb("14161B"), "accent_line": (hex_rgb("4EA8F0"), 0.85, 0.0),
        "body": hex_rgb("1D2026"),
        "footer_shade": hex_rgb("121419"), "footer_shade_alpha": 0.7,
        "accent": hex_rgb("5AB0F2"), "on": hex_rgb("EEF2F7"), "dim": hex_rgb("6A7280"),
        "badge_text": hex_rgb("10141A"),
        "trough": (hex_rgb("15171C"), hex_rgb("15171C")), "rim": hex_rgb("0E1014"),
        "muted_fill": (hex_rgb("7A808B"), hex_rgb("5A606A")),
        "volume_fill": (hex_rgb("78C4FF"), hex_rgb("3688D8")),
        "sysvolume_fill": (hex_rgb("7FE3C2"), hex_rgb("2FA883")),
    },
}

CARD = {
    "folder": "Card",
    "name": "Card",
    "width": 240,
    "effect": 2,  # fade
    "transparency": -1,
    "header_h": 22,
    "footer_h": 12,
    "header_font": {"family": "Meiryo UI", "size": 16, "style": "bold", "color": "3A3F48"},
    "body_font": {"family": "Meiryo UI", "size": 17, "style": "", "color": "2C3038"},
    "title_visible": "false",
    "title": (8, 3, 8),
    "text_align": "center",
    "body": {"margins": (14, 10, 14, 4), "text_margins": (0, 0, 0, 0)},
    "artwork": {"margins": (14, 14, 14, 4), "text_margins": (0, 0, 0, 0), "align": 1,
                "art_margins": (0, 0, 0, 12), "box": (120, 120), "valign": "top"},
    "icons": {"icon": (8, 3), "playerstate": (32, 3), "shuffle": (52, 3), "repeat": (72, 3)},
    "bars": {"volume": (172, 4), "systemvolume": (172, 12)},
    "bar_size": (58, 6),
    "palette": {
        "border": hex_rgb("B9BDC6"), "radius": 4,
        "header_top": hex_rgb("FFFFFF"), "header_bottom": hex_rgb("F1F2F5"),
        "highlight": hex_rgb("FFFFFF"), "highlight_alpha": 0.0,
        "separator": hex_rgb("E2E4E9"), "accent_line": None,
        "body": hex_rgb("FFFFFF"),
        "footer_shade": hex_rgb("E9EBEF"), "footer_shade_alpha": 1.0,
        "footer_pill": (36, hex_rgb("F07A5A")),
        "accent": hex_rgb("EE6C4D"), "on": hex_rgb("3A3F48"), "dim": hex_rgb("B6BBC4"),
        "badge_text": hex_rgb("FFFFFF"),
        "trough": (hex_rgb("E6E8EC"), hex_rgb("E6E8EC")), "rim": hex_rgb("CDD1D8"),
        "muted_fill": (hex_rgb("C3C7CF"), hex_rgb("A6ABB5")),
        "volume_fill": (hex_rgb("FF9A78"), hex_rgb("E8603F")),
        "sysvolume_fill": (hex_rgb("8C97A8"), hex_rgb("5D6879")),
    },
}

SKINS = [DEFAULT, CARD]


# ---------------------------------------------------------------- cursor


def hand_cursor():
    """32 x 32 monochrome pointing hand: white with a black outline, the hot
    spot at the tip of the index finger."""
    hot = (8, 0)

    def finger(x0, x1, top, bottom):
        return rrect(x0, top, x1, bottom, (x1 - x0) / 2)

    index, middle, ring, little = finger(6, 11, 0, 15), finger(10, 15, 6, 15), finger(14, 19, 7, 15), finger(18, 22, 9, 16)
    thumb = stroke([(2.6, 12.6), (7.5, 18.5)], 4.4)
    palm = union(rrect(6, 12, 22, 21, 2.0), polygon([(6.5, 19), (21.8, 19), (20.2, 25), (8.6, 25)]))
    hand = union(index, middle, ring, little, thumb, palm)
    creases = ((10, 7, 13), (14, 8, 13), (18, 10, 14))  # column, first and last row

    inside = [[coverage(hand, x, y) >= 0.5 for x in range(32)] for y in range(32)]
    white = [[False] * 32 for _ in range(32)]
    black = [[False] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if not inside[y][x]:
                continue
            edge = any(not (0 <= x + dx < 32 and 0 <= y + dy < 32 and inside[y + dy][x + dx])
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            (black if edge else white)[y][x] = True
    # creases between the fingers, down to the knuckles
    for x, y0, y1 in creases:
        for y in range(y0, y1 + 1):
            if inside[y][x]:
                white[y][x], black[y][x] = False, True

    # AND mask 0 and XOR bit 1 -> white; AND 0, XOR 0 -> black; AND 1 -> screen.
    xor_rows, and_rows = [], []
    for y in reversed(range(32)):
        xv = av = 0
        for x in range(32):
            bit = 1 << (31 - x)
            if white[y][x]:
                xv |= bit
            elif not black[y][x]:
                av |= bit
        xor_rows.append(struct.pack(">I", xv))
        and_rows.append(struct.pack(">I", av))
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 2 * 32 * 4, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, hot[0], hot[1], len(image), 6 + 16)
    return directory + entry + image, white, black


# ---------------------------------------------------------------- previews


def parse_ini(path):
    with open(path, "rb") as f:
        text = f.read().decode("utf-8-sig")
    ini, section = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            section = ini.setdefault(line[1:-1], {})
        elif "=" in line:
            k, v = line.split("=", 1)
            section[k] = v
    return ini


def compose(folder, text_lines, art, state):
    """Lays the skin out as the notification window does (the text height
    is taken as lines x font size) and returns the picture and the text boxes."""
    ini = parse_ini(os.path.join(folder, "Skin.ini"))
    load = lambda n: read_bmp(os.path.join(folder, n))
    I = lambda sec, k: int(ini[sec].get(k, 0))
    W = I("notify", "width")
    header, footer, tile = load(ini["notify-header"]["bg-image"]), load(ini["notify-footer"]["bg-image"]), load(
        ini["notify-body"]["bg-image"])
    A = art is not None
    g = "notify-body-artwork" if A else "notify-body"
    mL, mT, mR, mB = (I(g, k) for k in ("margin-left", "margin-top", "margin-right", "margin-bottom"))
    tL, tT, tR, tB = (I(g, k) for k in ("text-margin-left", "text-margin-top", "text-margin-right", "text-margin-bottom"))
    aL, aT, aR, aB = (I("notify-body-artwork", "artwork-margin-" + k) for k in ("left", "top", "right", "bottom"))
    OA = I("notify-body-artwork", "object-align")
    aW, aH = (art.w, art.h) if A else (0, 0)
    TW = W - mR - mL - ((aR + aL + aW) if A and OA in (0, 2) else 0)
    SW = 0 if not A else (W - mR - mL - aR - aL if OA in (1, 3) else aW)
    lh = int(I(g, "font-size") * 1.0)
    th = len(text_lines) * lh
    t = th + tB + tT
    CH = t if not A else (t + aH + aB + aT if OA in (1, 3) else max(t, aH + aB + aT))
    BH = CH + mT + mB
    hH, fH = header.h, footer.h
    BT = hH + mT
    SH = 0 if not A else (aH if OA in (1, 3) else CH - aB - aT)
    TX = mL + tL + aR + aL + SW if (OA == 0 and A) else mL + tL
    TY0 = ((aB + aT + SH) if A else 0) + BT + tT if OA == 1 else BT + tT
    TH = CH - tB - tT - ((aB + aT + SH) if A else 0) if OA in (1, 3) else CH - tB - tT
    ty = TY0 + (TH - th) // 2 if OA in (0, 2) else TY0
    out = Image(W, hH + BH + fH)
    out.paste(header, 0, 0)
    y = hH
    while y < hH + BH:
        out.paste(tile, 0, y)
        y += tile.h
    out.paste(footer, 0, hH + BH)
    if A:
        AL = mL + TW + aL if OA == 2 else mL + aL
        AT = BT + aT + TH + tB + tT if OA == 3 else BT + aT
        va = ini["notify-body-artwork"].get("artwork-valign", "")
        ay = AT if va == "top" else AT + SH - aH if va == "bottom" else AT + (SH - aH) // 2
        out.paste(art, AL + (SW - aW) // 2, ay)
    frames = {"notify-icon": 0, "notify-icon-playerstate": state[0], "notify-icon-shuffle": state[1],
              "notify-icon-repeat": state[2]}
    for sec, frame in frames.items():
        strip_img = load(ini[sec]["image"])
        w, h = I(sec, "width"), I(sec, "height")
        out.paste(strip_img.crop(frame * w, 0, w, h), I(sec, "left"), I(sec, "top"), MAGENTA)
    for sec, (mute, vol) in (("notify-volume", state[3]), ("notify-systemvolume", state[4])):
        strip_img = load(ini[sec]["image"])
        w, h = I(sec, "width"), I(sec, "height")
        empty, full = (0, 1) if mute else (2, 3)
        out.paste(strip_img.crop(empty * w, 0, w, h), I(sec, "left"), I(sec, "top"), MAGENTA)
        n = vol * w // 100
        if n:
            out.paste(strip_img.crop(full * w, 0, n, h), I(sec, "left"), I(sec, "top"), MAGENTA)
    texts = []
    hd = ini["notify-header"]
    if hd.get("text-visible", "").lower() not in ("false", "0"):
        texts.append((I("notify-header", "text-margin-left"), I("notify-header", "text-margin-top"),
                      W - I("notify-header", "text-margin-right") - I("notify-header", "text-margin-left"), lh + 4,
                      "left", hd["font-color"], I("notify-header", "font-size"), "bold" in hd["font-style"], "Kolibrix"))
    body = ini[g]
    texts.append((TX, ty, TW - tR - tL, TH, body["text-align"], body["font-color"], lh, "bold" in body["font-style"],
                  "\n".join(text_lines)))
    return out, texts


def sample_artwork(size):
    img = Image(size, size)
    for y in range(size):
        for x in range(size):
            t = (x + y) / (2 * size)
            img.set(x, y, mix(hex_rgb("2B5876"), hex_rgb("C8587A"), t))
    fill(img, ellipse(size * 0.62, size * 0.42, size * 0.22, size * 0.22), hex_rgb("F7D27A"))
    fill(img, polygon([(0, size), (size * 0.35, size * 0.55), (size * 0.7, size), ]), hex_rgb("1B2A3A"), 0.85)
    fill(img, polygon([(size * 0.3, size), (size * 0.75, size * 0.62), (size, size * 0.85), (size, size)]),
         hex_rgb("23364A"), 0.9)
    return img


def ppm_bytes(img):
    data = bytearray(b"P6 %d %d 255\n" % (img.w, img.h))
    for row in img.rows():
        for c in row:
            data += bytes(c)
    return bytes(data)


def write_previews(outdir, cursor_bits):
    os.makedirs(outdir, exist_ok=True)
    lines = ["Now playing", "Paper Boats", "Orla Finch - Glass Orchard"]
    convert = shutil.which("convert")
    for s in SKINS:
        folder = os.path.join(ROOT, "data", "Skins", s["folder"])
        size = s["artwork"]["box"][0]
        cases = [("art", sample_artwork(size), (1, 1, 2, (False, 70), (False, 45))),
                 ("plain", None, (0, 0, 0, (True, 55), (False, 100))),
                 ("one", sample_artwork(size), (1, 0, 1, (False, 100), (True, 30)))]
        for tag, art, state in cases:
            img, texts = compose(folder, lines if tag != "plain" else lines[:2], art, state)
            base = os.path.join(outdir, "%s-%s" % (s["folder"], tag))
            write(base + ".ppm", ppm_bytes(img))
            if not convert:
                continue
            cmd = [convert, base + ".ppm"]
            for x, y, w, h, align, colour, size_px, bold, text in texts:
                font = "DejaVu-Sans-Bold" if bold else "DejaVu-Sans"
                grav = {"center": "North", "right": "NorthEast"}.get(align, "NorthWest")
                cmd += ["(", "-size", "%dx%d" % (max(1, w), max(1, h)), "-background", "none", "-fill", "#" + colour,
                        "-font", font, "-pointsize", str(size_px * 0.72), "-interline-spacing", str(size_px * 0.14),
                        "-gravity", grav, "caption:" + text, ")", "-gravity", "NorthWest", "-geometry",
                        "+%d+%d" % (x, y), "-composite"]
            cmd += ["-scale", "200%", base + ".png"]
            subprocess.run(cmd, check=True)
    # the cursor, 8 times enlarged on a mid grey
    white, black = cursor_bits
    img = Image(32, 32, (128, 140, 160))
    for y in range(32):
        for x in range(32):
            if white[y][x]:
                img.set(x, y, (255, 255, 255))
            elif black[y][x]:
                img.set(x, y, (0, 0, 0))
    write(os.path.join(outdir, "hand.ppm"), ppm_bytes(img))
    if convert:
        subprocess.run([convert, os.path.join(outdir, "hand.ppm"), "-scale", "800%", os.path.join(outdir, "hand.png")],
                       check=True)


def main(argv):
    preview = None
    if len(argv) == 3 and argv[1] == "--preview":
        preview = argv[2]
    elif len(argv) != 1:
        sys.exit(__doc__)
    for s in SKINS:
        print("wrote", os.path.relpath(make_skin(s), ROOT))
    cur, white, black = hand_cursor()
    write(os.path.join(ROOT, "res", "hand.cur"), cur)
    print("wrote res/hand.cur")
    if preview:
        write_previews(preview, (white, black))
        print("previews in", preview)


if __name__ == "__main__":
    main(sys.argv)
