#!/usr/bin/python3
"""Draws Corvale's skin pictures, splash picture and icons.

Run from the repository root:

    /usr/bin/python3 res/draw_images.py

Writes into res/images/:
    page_internet.gif, page_system.gif, page_general.gif   468 x 344
    about.gif                                              468 x 312
    cookie_keep.gif                                        540 x 344
    progress.gif                                           436 x 312
    splash.jpg                                             476 x 248 (baseline JPEG)
    corvale.ico (16, 32, 48)  and  recycle.ico (16, 32)

Every skin GIF is a single-frame GIF89a with a global colour table and a
graphic control extension in front of its image descriptor; the picture
control's block parser and the system picture loader both accept that form.
The files are checked byte by byte after writing.

The output is deterministic for a given Pillow version (Debian python3-pil)
and the DejaVu fonts of fonts-dejavu-core.

Coordinates are client pixels of the window that shows the picture. Where the
program tests the mouse (title buttons, tabs, logos, links, painted buttons)
the drawn element covers the tested area; where the program lays child
controls over the picture (check boxes, labels, edits, buttons, list boxes,
the licence view) the picture is one plain colour.
"""

import io
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "images")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

VERSION_TEXT = "Version 1.0.0"
MAKER = "Corvale Software"
DOMAIN = "www.corvale.example"

# ---------------------------------------------------------------------------
# Colours

BANNER_A = (18, 96, 108)      # banner, left
BANNER_B = (14, 58, 86)       # banner, right
BANNER_DARK = (10, 44, 62)
ACCENT = (32, 170, 160)
ACCENT_LIGHT = (58, 196, 182)
ACCENT_DARK = (18, 122, 124)
BODY = (234, 241, 244)
PANEL = (255, 255, 255)
PANEL_EDGE = (200, 215, 222)
RULE = (226, 234, 238)
TEXT_DARK = (26, 50, 62)
TEXT_MID = (88, 112, 124)
TEXT_SOFT = (128, 150, 160)
TAB_OFF_TOP = (222, 232, 237)
TAB_OFF_BOTTOM = (205, 219, 226)
TAB_OFF_TEXT = (66, 92, 104)
LINK = (14, 108, 156)
FOOTER_TOP = (226, 235, 239)
FOOTER_BOTTOM = (214, 226, 232)
CARD_FILL = (240, 248, 248)
CARD_EDGE = (196, 224, 224)
WHITE = (255, 255, 255)
MAKER_A = (52, 82, 98)
MAKER_B = (24, 44, 58)

# ---------------------------------------------------------------------------
# Fonts

_fonts = {}


def font(size, bold=False):
    key = (size, bold)
    if key not in _fonts:
        name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
        _fonts[key] = ImageFont.truetype(os.path.join(FONT_DIR, name), size)
    return _fonts[key]


def text_width(s, f):
    return f.getlength(s)


def wrap(s, f, width):
    """Splits s into lines no wider than width pixels."""
    lines, line = [], ""
    for word in s.split():
        trial = word if not line else line + " " + word
        if text_width(trial, f) <= width:
            line = trial
        else:
            if line:
                lines.append(line)
            line = word
    if line:
        lines.append(line)
    return lines


# ---------------------------------------------------------------------------
# Canvas: shapes are rendered supersampled into coverage masks and composited,
# text is drawn at 1:1 so that it stays crisp.

def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def gradient(size, c0, c1, direction="v"):
    """An RGB image of the given size shading from c0 to c1.
    direction: 'v' top to bottom, 'h' left to right, 'd' top-left to
    bottom-right."""
    w, h = size
    if direction == "d":
        small = Image.new("RGB", (2, 2))
        small.putdata([c0, lerp(c0, c1, 0.5), lerp(c0, c1, 0.5), c1])
        return small.resize((w, h), Image.BILINEAR)
    n = h if direction == "v" else w
    strip = Image.new("RGB", (1, n) if direction == "v" else (n, 1))
    strip.putdata([lerp(c0, c1, i / max(1, n - 1)) for i in range(n)])
    return strip.resize((w, h), Image.NEAREST)


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0), ss=4):
        if len(bg) == 3:
            bg = bg + (255,)
        self.img = Image.new("RGBA", (w, h), bg)
        self.ss = ss

    @property
    def size(self):
        return self.img.size

    # -- masks ---------------------------------------------------------------
    def mask(self, box, painter):
        """box: (left, top, right, bottom) in pixel edges (floats allowed).
        painter(draw, T, S) draws white on a supersampled mask, T maps a
        point, S scales a length. Returns ((x, y), L image)."""
        x0 = int(math.floor(box[0]))
        y0 = int(math.floor(box[1]))
        x1 = int(math.ceil(box[2]))
        y1 = int(math.ceil(box[3]))
        ss = self.ss
        m = Image.new("L", ((x1 - x0) * ss, (y1 - y0) * ss), 0)
        d = ImageDraw.Draw(m)

        def T(x, y):
            return ((x - x0) * ss, (y - y0) * ss)

        def S(v):
            return v * ss

        painter(d, T, S)
        return (x0, y0), m.resize((x1 - x0, y1 - y0), Image.BOX)

    def paint(self, pos, m, paint, alpha=1.0):
        """Composites paint (a colour, an RGB image of the mask's size, or a
        (c0, c1, direction) gradient) through mask m at pos."""
        if isinstance(paint, tuple) and len(paint) == 3 and isinstance(paint[0], tuple):
            src = gradient(m.size, *paint)
        elif isinstance(paint, Image.Image):
            src = paint
        else:
            src = Image.new("RGB", m.size, paint)
        layer = src.convert("RGBA")
        if alpha != 1.0:
            m = m.point(lambda v: int(v * alpha + 0.5))
        layer.putalpha(m)
        x, y = int(round(pos[0])), int(round(pos[1]))
        # clip to the canvas (alpha_composite wants a non-negative target)
        W, H = self.img.size
        l, t = max(0, -x), max(0, -y)
        r, b = min(layer.size[0], W - x), min(layer.size[1], H - y)
        if r <= l or b <= t:
            return
        if (l, t, r, b) != (0, 0) + layer.size:
            layer = layer.crop((l, t, r, b))
        self.img.alpha_composite(layer, dest=(x + l, y + t))

    def shadow(self, pos, m, dx=0, dy=1, blur=1.5, alpha=0.25, colour=(0, 0, 0)):
        pad = int(math.ceil(blur * 3)) + 1
        big = Image.new("L", (m.size[0] + 2 * pad, m.size[1] + 2 * pad), 0)
        big.paste(m, (pad, pad))
        if blur > 0:
            big = big.filter(ImageFilter.GaussianBlur(blur))
        self.paint((pos[0] - pad + dx, pos[1] - pad + dy), big, colour, alpha)

    # -- shapes --------------------------------------------------------------
    def rrect_mask(self, box, r):
        def p(d, T, S):
            a = T(box[0], box[1])
            b = T(box[2], box[3])
            d.rounded_rectangle([a, (b[0] - 1, b[1] - 1)], radius=S(r), fill=255)
        return self.mask(box, p)

    def rrect(self, box, r, paint, alpha=1.0, shadow=None):
        pos, m = self.rrect_mask(box, r)
        if shadow:
            self.shadow(pos, m, **shadow)
        self.paint(pos, m, paint, alpha)
        return pos, m

    def rect(self, box, paint, alpha=1.0):
        x0, y0, x1, y1 = [int(v) for v in box]
        m = Image.new("L", (x1 - x0, y1 - y0), 255)
        self.paint((x0, y0), m, paint, alpha)

    def frame(self, box, colour, alpha=1.0):
        """A 1-pixel outline whose outer edges are box."""
        x0, y0, x1, y1 = [int(v) for v in box]
        self.rect((x0, y0, x1, y0 + 1), colour, alpha)
        self.rect((x0, y1 - 1, x1, y1), colour, alpha)
        self.rect((x0, y0 + 1, x0 + 1, y1 - 1), colour, alpha)
        self.rect((x1 - 1, y0 + 1, x1, y1 - 1), colour, alpha)

    def rrect_outline(self, box, r, width, colour, alpha=1.0):
        def p(d, T, S):
            a = T(box[0], box[1])
            b = T(box[2], box[3])
            d.rounded_rectangle([a, (b[0] - 1, b[1] - 1)], radius=S(r), fill=255)
            w = S(width)
            d.rounded_rectangle([(a[0] + w, a[1] + w), (b[0] - 1 - w, b[1] - 1 - w)],
                                radius=max(0, S(r) - w), fill=0)
        pos, m = self.mask(box, p)
        self.paint(pos, m, colour, alpha)

    def circle(self, cx, cy, r, paint, alpha=1.0, shadow=None):
        """A disc centred on the point (cx, cy) given in pixel edges."""
        box = (cx - r, cy - r, cx + r, cy + r)

        def p(d, T, S):
            a = T(box[0], box[1])
            b = T(box[2], box[3])
            d.ellipse([a, (b[0] - 1, b[1] - 1)], fill=255)
        pos, m = self.mask(box, p)
        if shadow:
            self.shadow(pos, m, **shadow)
        self.paint(pos, m, paint, alpha)
        return pos, m

    def ring(self, cx, cy, r, width, paint, alpha=1.0):
        box = (cx - r, cy - r, cx + r, cy + r)

        def p(d, T, S):
            a = T(box[0], box[1])
            b = T(box[2], box[3])
            d.ellipse([a, (b[0] - 1, b[1] - 1)], fill=255)
            w = S(width)
            d.ellipse([(a[0] + w, a[1] + w), (b[0] - 1 - w, b[1] - 1 - w)], fill=0)
        pos, m = self.mask(box, p)
        self.paint(pos, m, paint, alpha)

    def polygon(self, pts, paint, alpha=1.0):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        box = (min(xs), min(ys), max(xs), max(ys))

        def p(d, T, S):
            d.polygon([T(*q) for q in pts], fill=255)
        pos, m = self.mask(box, p)
        self.paint(pos, m, paint, alpha)

    def strokes(self, paths, width, paint, alpha=1.0, caps=True):
        """Polylines of the given width with round caps and joins."""
        xs = [q[0] for path in paths for q in path]
        ys = [q[1] for path in paths for q in path]
        pad = width
        box = (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)

        def p(d, T, S):
            w = S(width)
            for path in paths:
                pts = [T(*q) for q in path]
                if len(pts) > 1:
                    d.line(pts, fill=255, width=max(1, int(round(w))))
                if caps:
                    for q in pts:
                        d.ellipse([(q[0] - w / 2, q[1] - w / 2),
                                   (q[0] + w / 2, q[1] + w / 2)], fill=255)
        pos, m = self.mask(box, p)
        self.paint(pos, m, paint, alpha)

    def arc(self, cx, cy, r, width, start, end, paint, alpha=1.0, caps=True):
        """A circular arc (angles in degrees, clockwise from 3 o'clock, as
        on screen) centred on the ring of radius r."""
        steps = max(8, int(abs(end - start) / 4))
        pts = []
        for i in range(steps + 1):
            a = math.radians(start + (end - start) * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.strokes([pts], width, paint, alpha, caps)

    # -- text ----------------------------------------------------------------
    def text(self, xy, s, f, fill, anchor="la"):
        d = ImageDraw.Draw(self.img)
        d.text(xy, s, font=f, fill=fill + (255,), anchor=anchor)

    def spaced_text(self, xy, s, f, fill, spacing):
        x, y = xy
        for ch in s:
            self.text((x, y), ch, f, fill)
            x += text_width(ch, f) + spacing
        return x

    def text_block(self, x, y, lines, f, fill, leading):
        for i, line in enumerate(lines):
            self.text((x, y + i * leading), line, f, fill)

    def rgb(self):
        return self.img.convert("RGB")


# ---------------------------------------------------------------------------
# Emblems

def sparkle(c, cx, cy, r, colour, alpha=1.0):
    k = r * 0.28
    pts = [(cx, cy - r), (cx + k, cy - k), (cx + r, cy), (cx + k, cy + k),
           (cx, cy + r), (cx - k, cy + k), (cx - r, cy), (cx - k, cy - k)]
    c.polygon(pts, colour, alpha)


def product_emblem(c, x, y, s, shadow=True):
    """The Corvale mark: a teal tile with an open white ring and a sparkle."""
    box = (x, y, x + s, y + s)
    sh = dict(dy=max(1, s / 24), blur=max(0.8, s / 28), alpha=0.30) if shadow else None
    pos, m = c.rrect(box, s * 0.24, (ACCENT_LIGHT, (20, 98, 142), "d"), shadow=sh)
    # soft light falling from the top edge
    fade = Image.new("L", (1, m.size[1]))
    fade.putdata([int(max(0.0, 1.0 - 1.8 * i / m.size[1]) * 40) for i in range(m.size[1])])
    c.paint(pos, ImageChops.multiply(m, fade.resize(m.size)), WHITE)
    cx, cy = x + s * 0.44, y + s * 0.56
    c.arc(cx, cy, s * 0.235, s * 0.125, 52, 308, WHITE)
    sparkle(c, x + s * 0.75, y + s * 0.27, s * 0.155, WHITE)


def maker_emblem(c, x, y, s, shadow=True):
    """The Corvale Software mark: a dark disc with a teal ring and a dot."""
    sh = dict(dy=max(1, s / 24), blur=max(0.8, s / 28), alpha=0.25) if shadow else None
    c.circle(x + s / 2, y + s / 2, s / 2, (MAKER_A, MAKER_B, "d"), shadow=sh)
    c.arc(x + s / 2, y + s / 2, s * 0.29, s * 0.11, 45, 315, ACCENT_LIGHT)
    c.circle(x + s / 2, y + s / 2, s * 0.09, WHITE)


def maker_logo(c, x, y, dark_text=True, s=26):
    """Emblem plus the two-line word mark; returns the right edge."""
    maker_emblem(c, x, y, s)
    col = TEXT_DARK if dark_text else WHITE
    sub = TEXT_MID if dark_text else (170, 214, 214)
    tx = x + s + 7
    c.text((tx, y + s * 0.5 - 1), "Corvale", font(14, True), col, anchor="ls")
    right = c.spaced_text((tx + 1, y + s * 0.5 + 3), "SOFTWARE", font(8, True), sub, 1.6)
    return max(right, tx + text_width("Corvale", font(14, True)))


# ---------------------------------------------------------------------------
# Small pictograms for the page headings (drawn in ACCENT_DARK)

def icon_globe(c, x, y, s, col):
    cx, cy, r = x + s / 2, y + s / 2, s * 0.42
    w = s * 0.085
    c.ring(cx, cy, r, w, col)
    pts = []
    for i in range(33):
        a = math.radians(-90 + 180 * i / 32)
        pts.append((cx + r * 0.45 * math.cos(a), cy + r * math.sin(a)))
    c.strokes([pts, [(2 * cx - p[0], p[1]) for p in pts]], w, col)
    c.strokes([[(cx - r, cy), (cx + r, cy)], [(cx, cy - r), (cx, cy + r)]], w, col)
    c.strokes([[(cx - r * 0.86, cy - r * 0.48), (cx + r * 0.86, cy - r * 0.48)],
               [(cx - r * 0.86, cy + r * 0.48), (cx + r * 0.86, cy + r * 0.48)]], w, col)


def icon_monitor(c, x, y, s, col):
    w = s * 0.085
    c.rrect_outline((x + s * 0.06, y + s * 0.12, x + s * 0.94, y + s * 0.72), s * 0.08, w, col)
    c.rrect((x + s * 0.14, y + s * 0.20, x + s * 0.86, y + s * 0.64), s * 0.03, col, 0.18)
    c.strokes([[(x + s * 0.5, y + s * 0.72), (x + s * 0.5, y + s * 0.84)],
               [(x + s * 0.28, y + s * 0.88), (x + s * 0.72, y + s * 0.88)]], w, col)
    sparkle(c, x + s * 0.62, y + s * 0.40, s * 0.14, col)


def icon_clock(c, x, y, s, col):
    cx, cy, r = x + s / 2, y + s / 2, s * 0.42
    w = s * 0.085
    c.ring(cx, cy, r, w, col)
    c.strokes([[(cx, cy - r * 0.6), (cx, cy), (cx + r * 0.45, cy + r * 0.25)]], w, col)
    for i in range(12):
        if i % 3:
            continue
        a = math.radians(i * 30)
        c.circle(cx + r * 0.78 * math.cos(a), cy + r * 0.78 * math.sin(a), s * 0.035, col)


def icon_info(c, x, y, s, col):
    c.circle(x + s / 2, y + s / 2, s / 2, col)
    c.rect((int(x + s / 2 - 1), int(y + s * 0.42), int(x + s / 2 + 1), int(y + s * 0.8)), WHITE)
    c.circle(x + s / 2, y + s * 0.26, s * 0.1, WHITE)


# ---------------------------------------------------------------------------
# Building blocks shared by the windows

def title_strip(c, title, h=18):
    """The thin dark strip by which the dialogs are dragged (y 0..h-1)."""
    w = c.size[0]
    c.rect((0, 0, w, h - 1), gradient((w, h - 1), BANNER_A, BANNER_B, "h"))
    c.rect((0, 0, w, 1), WHITE, 0.10)
    c.rect((0, h - 1, w, h), ACCENT)
    product_emblem(c, 4, 3, 12, shadow=False)
    c.text((21, 9), title, font(11, True), WHITE, anchor="lm")


def banner(c, h=43):
    """The main window's title strip (y 0..h-1) with the product logo."""
    w = c.size[0]
    c.rect((0, 0, w, h - 2), gradient((w, h - 2), BANNER_A, BANNER_B, "h"))
    c.rect((0, 0, w, h - 2), gradient((w, h - 2), (255, 255, 255), BANNER_DARK, "v"), 0.10)
    # a faint wide sweep through the strip
    c.polygon([(150, 0), (300, 0), (240, h - 2), (90, h - 2)], WHITE, 0.035)
    c.polygon([(300, 0), (330, 0), (270, h - 2), (240, h - 2)], WHITE, 0.03)
    c.rect((0, h - 2, w, h), (ACCENT_LIGHT, ACCENT_DARK, "h"))
    # product logo: the hot area is 6..36 x 6..32
    product_emblem(c, 6, 5, 29)
    c.text((43, 19), "Corvale", font(19, True), WHITE, anchor="ls")
    c.text((44, 32), "Privacy and junk cleaner", font(10), (168, 220, 216), anchor="ls")


def round_button(c, cx, cy, glyph):
    """One of the three circular title buttons, centred on pixel (cx, cy)."""
    x, y = cx + 0.5, cy + 0.5
    c.circle(x, y, 10, BANNER_DARK, 0.35, shadow=dict(dy=1, blur=1.0, alpha=0.25))
    c.circle(x, y, 9.5, ((255, 255, 255), (200, 230, 232), "v"), 0.16)
    c.ring(x, y, 10, 1.0, WHITE, 0.55)
    if glyph == "?":
        c.text((x, y + 0.5), "?", font(13, True), WHITE, anchor="mm")
    elif glyph == "_":
        c.strokes([[(x - 4, y + 3), (x + 4, y + 3)]], 2.0, WHITE)
    elif glyph == "x":
        c.strokes([[(x - 3.6, y - 3.6), (x + 3.6, y + 3.6)],
                   [(x - 3.6, y + 3.6), (x + 3.6, y - 3.6)]], 2.0, WHITE)


def push_button(c, box, label, primary=True, size=12, r=6):
    """A painted button covering box (pixel edges)."""
    sh = dict(dy=1, blur=1.2, alpha=0.28)
    if primary:
        c.rrect(box, r, (ACCENT_LIGHT, ACCENT_DARK, "v"), shadow=sh)
        c.rrect((box[0] + 1, box[1] + 1, box[2] - 1, box[1] + (box[3] - box[1]) * 0.5), r - 1,
                WHITE, 0.12)
        c.rrect_outline(box, r, 1, (14, 100, 104), 0.6)
        col = WHITE
    else:
        c.rrect(box, r, ((255, 255, 255), (228, 236, 240), "v"), shadow=sh)
        c.rrect_outline(box, r, 1, (160, 182, 192))
        col = TEXT_DARK
    cx = (box[0] + box[2]) / 2
    cy = (box[1] + box[3]) / 2
    c.text((cx, cy), label, font(size, True), col, anchor="mm")


def link_text(c, x, y_baseline, s, f, colour=LINK):
    """Text with an underline one pixel under the baseline; returns width."""
    c.text((x, y_baseline), s, f, colour, anchor="ls")
    w = text_width(s, f)
    c.rect((int(x), y_baseline + 1, int(round(x + w)), y_baseline + 2), colour, 0.85)
    return w


def info_card(c, box, title, body, icon=True):
    c.rrect(box, 5, CARD_FILL, shadow=dict(dy=1, blur=1.0, alpha=0.10))
    c.rrect_outline(box, 5, 1, CARD_EDGE)
    c.rrect((box[0], box[1] + 6, box[0] + 3, box[3] - 6), 1.5, ACCENT)
    x = box[0] + 10
    y = box[1] + 7
    tx = x + 17 if icon else x
    if icon:
        icon_info(c, x, y, 12, ACCENT_DARK)
    assert tx + text_width(title, font(11, True)) <= box[2] - 6, ("card title too wide", title)
    c.text((tx, y + 6), title, font(11, True), TEXT_DARK, anchor="lm")
    lines = wrap(body, font(10), box[2] - x - 8)
    c.text_block(x, y + 16, lines, font(10), TEXT_MID, 13)
    bottom = y + 16 + 13 * len(lines)
    assert bottom <= box[3], ("card text does not fit", title, lines)


def footer_band(c, top):
    w, h = c.size
    c.rect((0, top, w, h), gradient((w, h - top), FOOTER_TOP, FOOTER_BOTTOM, "v"))
    c.rect((0, top, w, top + 1), PANEL_EDGE)


# ---------------------------------------------------------------------------
# Main window pages (468 x 344)

PAGE_W, PAGE_H = 468, 344
TABS = [  # (page, text, left edge, right edge); hot areas 112..214, 235..337, 355..460
    (0, "Internet Clean", 111, 215),
    (1, "System Clean", 234, 338),
    (2, "General Options", 354, 461),
]
PANEL_BOX = (6, 109, 462, 283)

PAGE_TEXT = {
    0: ("Internet Clean", "Temporary files, history, typed addresses and cookies", icon_globe),
    1: ("System Clean", "Traces Windows keeps of your work and leftover files", icon_monitor),
    2: ("General Options", "When Corvale should clean by itself", icon_clock),
}


def draw_tab(c, page, text, x0, x1, selected):
    if selected:
        box = (x0, 86, x1, 111)
        c.rrect(box, 5, PANEL, shadow=dict(dy=-1, blur=1.2, alpha=0.10))
        c.rrect_outline((x0, 86, x1, 115), 5, 1, PANEL_EDGE)
        c.rect((x0 + 1, 109, x1 - 1, 116), PANEL)
        c.rrect((x0 + 3, 86, x1 - 3, 89), 1.5, ACCENT)
        c.text(((x0 + x1) / 2, 99), text, font(10, True), TEXT_DARK, anchor="mm")
    else:
        box = (x0, 88, x1, 112)
        c.rrect(box, 5, (TAB_OFF_TOP, TAB_OFF_BOTTOM, "v"))
        c.rrect_outline(box, 5, 1, PANEL_EDGE)
        c.text(((x0 + x1) / 2, 99), text, font(11), TAB_OFF_TEXT, anchor="mm")


def draw_page(page):
    c = Canvas(PAGE_W, PAGE_H, BODY)
    # body shading under the banner
    c.rect((0, 43, PAGE_W, 109), gradient((PAGE_W, 66), (244, 248, 250), BODY, "v"))
    banner(c)
    round_button(c, 396, 21, "?")
    round_button(c, 421, 21, "_")
    round_button(c, 446, 21, "x")

    # intro and the Clean Now button (hot area 363..453 x 53..77)
    c.text((18, 62), "Keep your computer private and tidy.", font(13, True), TEXT_DARK, anchor="ls")
    c.text((18, 78), "Tick what to clean, then press Clean Now.", font(11), TEXT_MID, anchor="ls")
    box = (361, 51, 455, 79)
    push_button(c, box, "", primary=True)
    f = font(11, True)
    group = 11 + 5 + text_width("Clean Now", f)
    gx = (box[0] + box[2] - group) / 2
    assert group <= box[2] - box[0] - 8
    sparkle(c, gx + 5.5, 65, 5.5, WHITE)
    c.text((gx + 16, 65.5), "Clean Now", f, WHITE, anchor="lm")

    # options panel, then the tabs on top of its upper edge
    c.rect(PANEL_BOX, PANEL)
    c.frame(PANEL_BOX, PANEL_EDGE)
    for p, text, x0, x1 in TABS:
        if p != page:
            draw_tab(c, p, text, x0, x1, False)
    c.rect((0, 109, PAGE_W, 110), PANEL_EDGE)   # restore the panel's top edge
    c.rect((PANEL_BOX[0] + 1, 110, PANEL_BOX[2] - 1, 120), PANEL)
    for p, text, x0, x1 in TABS:
        if p == page:
            draw_tab(c, p, text, x0, x1, True)

    # heading
    title, subtitle, pictogram = PAGE_TEXT[page]
    pictogram(c, 20, 114, 22, ACCENT_DARK)
    c.text((50, 126), title, font(15, True), TEXT_DARK, anchor="ls")
    c.text((50, 138), subtitle, font(10), TEXT_MID, anchor="ls")
    c.rect((20, 141, 448, 142), RULE)

    # right-hand notes, kept clear of the option controls
    if page == 0:
        info_card(c, (312, 146, 450, 208), "Keeping cookies",
                  "The button below lets you pick the sites whose cookies stay.")
        c.text((24, 268), "Tip: right-click anywhere in the window for more commands.",
               font(10), TEXT_SOFT, anchor="ls")
    elif page == 1:
        info_card(c, (312, 221, 450, 277), "Recycle Bin",
                  "The small button at the left opens it.")
    else:
        info_card(c, (312, 146, 450, 214), "On a schedule",
                  "Works quietly, even when the window sits in the tray.")

    # footer: maker's logo (x < 135), version, link (x 313..459, y 312..326)
    footer_band(c, 283)
    maker_logo(c, 12, 299)
    c.text((224, 322), VERSION_TEXT, font(10), TEXT_SOFT, anchor="ms")
    c.text((311, 323), "Visit", font(11), TEXT_MID, anchor="rs")
    link_text(c, 316, 323, DOMAIN, font(11))
    return c


# ---------------------------------------------------------------------------
# About box (468 x 312)

def draw_about():
    c = Canvas(468, 312, BODY)
    c.rect((0, 18, 468, 60), gradient((468, 42), (246, 250, 251), BODY, "v"))
    title_strip(c, "About Corvale")

    product_emblem(c, 12, 23, 28)
    c.text((47, 36), "Corvale", font(16, True), TEXT_DARK, anchor="ls")
    c.text((48, 49), "Privacy and junk cleaner", font(10), TEXT_MID, anchor="ls")

    # three links: help 244..270, home 279..324, product page 332..410 (y 37..51)
    for x0, x1, label in ((244, 271, "Help"), (279, 325, "Home"), (332, 411, "Product page")):
        box = (x0, 37, x1, 52)
        c.rrect(box, 7.5, WHITE, shadow=dict(dy=1, blur=0.8, alpha=0.15))
        c.rrect_outline(box, 7.5, 1, (150, 204, 200))
        f = font(10)
        assert text_width(label, f) <= x1 - x0 - 3, label
        c.text(((x0 + x1) / 2, 48), label, f, LINK, anchor="ms")

    # licence view (65, 54)-(408, 200): a frame just outside it, white inside
    c.rect((65, 54, 408, 200), WHITE)
    c.frame((64, 53, 409, 201), PANEL_EDGE)
    # a document sign to its left
    dx, dy = 22, 64
    c.rrect((dx, dy, dx + 20, dy + 26), 2.5, WHITE, shadow=dict(dy=1, blur=1.0, alpha=0.2))
    c.rrect_outline((dx, dy, dx + 20, dy + 26), 2.5, 1, (150, 176, 188))
    for i in range(4):
        c.rect((dx + 4, dy + 6 + i * 4, dx + (16 if i < 3 else 11), dy + 7 + i * 4), ACCENT_DARK, 0.8)
    c.text((32, 104), "Licence", font(9), TEXT_MID, anchor="ms")
    c.text((66, 220), "Please read the licence", font(10), TEXT_MID, anchor="ls")
    c.text((66, 233), "agreement above.", font(10), TEXT_MID, anchor="ls")

    # bottom band; maker's card in 329..462 x 266..310
    footer_band(c, 246)
    c.text((14, 272), VERSION_TEXT, font(11, True), TEXT_DARK, anchor="ls")
    c.text((14, 288), "Copyright \u00a9 2026 " + MAKER, font(10), TEXT_MID, anchor="ls")
    c.text((14, 302), "All rights reserved.", font(10), TEXT_MID, anchor="ls")
    box = (329, 266, 463, 311)
    c.rrect(box, 6, WHITE, shadow=dict(dy=1, blur=1.2, alpha=0.15))
    c.rrect_outline(box, 6, 1, PANEL_EDGE)
    maker_emblem(c, 337, 271, 24)
    c.text((368, 283), "Corvale", font(13, True), TEXT_DARK, anchor="ls")
    c.spaced_text((369, 287), "SOFTWARE", font(8, True), TEXT_MID, 1.4)
    link_text(c, 336, 306, DOMAIN, font(9))
    return c


# ---------------------------------------------------------------------------
# Cookie keep-list dialog (540 x 344)

def draw_cookie_keep():
    c = Canvas(540, 344, BODY)
    c.rect((0, 18, 540, 92), gradient((540, 74), (246, 250, 251), BODY, "v"))
    title_strip(c, "Corvale")

    # product logo: hot area x <= 131, y 21..49
    product_emblem(c, 8, 21, 28)
    c.text((42, 41), "Corvale", font(16, True), TEXT_DARK, anchor="ls")

    c.text((150, 42), "Cookie Control Center", font(19, True), TEXT_DARK, anchor="ls")
    lines = wrap("Pick the sites whose cookies survive cleaning: "
                 "move them to the right-hand list.", font(11), 268)
    assert len(lines) <= 2, lines
    c.text_block(151, 52, lines, font(11), TEXT_MID, 15)

    # painted CANCEL (428..520 x 27..50) and OK (428..520 x 64..89)
    push_button(c, (428, 27, 521, 51), "CANCEL", primary=False, size=11)
    push_button(c, (428, 64, 521, 90), "OK", primary=True, size=12)

    # list panel; the lists and the three small buttons are child controls
    panel = (6, 92, 534, 282)
    c.rect(panel, PANEL)
    c.frame(panel, PANEL_EDGE)
    c.text((13, 105), "Cookies currently on your computer", font(11, True), TEXT_DARK, anchor="ls")
    c.text((300, 105), "Cookies to keep", font(11, True), TEXT_DARK, anchor="ls")
    c.rect((300 + int(text_width("Cookies to keep", font(11, True))) + 6, 101, 525, 102), RULE)
    c.rect((13 + int(text_width("Cookies currently on your computer", font(11, True))) + 6,
            101, 255, 102), RULE)

    # footer: hint line in 11..279 (y >= 321), maker's logo from x 386
    footer_band(c, 283)
    c.text((14, 304), "Corvale " + VERSION_TEXT[8:], font(10, True), TEXT_MID, anchor="ls")
    w = text_width("Double-click a name to move it to the other list.", font(10))
    assert 14 + w <= 279
    c.text((14, 333), "Double-click a name to move it to the other list.", font(10),
           TEXT_MID, anchor="ls")
    maker_logo(c, 398, 302, s=28)
    return c


# ---------------------------------------------------------------------------
# Progress window (436 x 312)

def draw_progress():
    c = Canvas(436, 312, BODY)
    c.rect((0, 18, 436, 46), gradient((436, 28), (246, 250, 251), BODY, "v"))
    title_strip(c, "Cleaning Progress")

    product_emblem(c, 25, 33, 32)
    c.text((66, 47), "Corvale is cleaning", font(15, True), TEXT_DARK, anchor="ls")
    c.text((66, 63), "Each finished task is listed below.", font(10), TEXT_MID, anchor="ls")

    # list box 25..409 x 90..229: white with a thin frame outside
    c.rect((25, 90, 410, 230), WHITE)
    c.frame((24, 89, 411, 231), PANEL_EDGE)

    # maker's link area 296..435 x 256..309; the labels end at x 300
    box = (304, 258, 432, 306)
    c.rrect(box, 6, WHITE, shadow=dict(dy=1, blur=1.2, alpha=0.15))
    c.rrect_outline(box, 6, 1, PANEL_EDGE)
    maker_emblem(c, 311, 263, 24)
    c.text((342, 275), "Corvale", font(13, True), TEXT_DARK, anchor="ls")
    c.spaced_text((343, 279), "SOFTWARE", font(8, True), TEXT_MID, 1.4)
    link_text(c, 312, 301, DOMAIN, font(9))

    c.text((25, 296), "Both settings are also in the tray icon's menu.", font(10),
           TEXT_SOFT, anchor="ls")
    return c


# ---------------------------------------------------------------------------
# Splash (476 x 248)

def draw_splash():
    W, H = 476, 248
    c = Canvas(W, H, BANNER_B)
    c.paint((0, 0), Image.new("L", (W, H), 255), gradient((W, H), (20, 104, 114), (10, 40, 66), "d"))
    # large soft rings on the right
    for r, a in ((190, 0.05), (140, 0.05), (92, 0.06)):
        c.ring(430, 60, r, 18, WHITE, a)
    c.polygon([(0, 170), (W, 120), (W, 210), (0, 210)], (8, 34, 52), 0.35)
    c.rect((0, 210, W, H), (8, 30, 46))
    c.rect((0, 210, W, 211), ACCENT, 0.9)

    product_emblem(c, 38, 56, 92)
    c.text((152, 108), "Corvale", font(50, True), WHITE, anchor="ls")
    c.text((155, 134), "Privacy and junk cleaner", font(17), (156, 226, 218), anchor="ls")
    c.text((155, 156), VERSION_TEXT, font(11), (188, 212, 222), anchor="ls")
    for i, (x, y, r) in enumerate(((410, 70, 7), (436, 96, 4), (392, 104, 3))):
        sparkle(c, x, y, r, WHITE, 0.85 - i * 0.15)

    maker_emblem(c, 38, 219, 20, shadow=False)
    c.text((65, 233), MAKER, font(12, True), WHITE, anchor="ls")
    c.text((W - 38, 233), DOMAIN, font(11), (156, 206, 214), anchor="rs")
    return c


# ---------------------------------------------------------------------------
# Icons

def draw_recycle_bin(c, s):
    """A grey-blue waste bin with green circling arrows, filling s x s."""
    k = s / 32.0
    body = [(7 * k, 9 * k), (25 * k, 9 * k), (23 * k, 30 * k), (9 * k, 30 * k)]
    c.polygon(body, ((214, 226, 232), (150, 172, 184), "h"))
    # outline
    c.strokes([body + [body[0]]], 1.1 * k if s > 16 else 1.0, (70, 92, 106))
    # lid and handle
    c.rrect((5 * k, 5 * k, 27 * k, 9.5 * k), 1.2 * k, ((120, 144, 158), (70, 92, 106), "v"))
    c.rrect_outline((12 * k, 2 * k, 20 * k, 6.5 * k), 1.5 * k, 1.4 * k if s > 16 else 1.0,
                    (70, 92, 106))
    # green arrows on the front
    cx, cy, r = 16 * k, 20 * k, 5.2 * k
    w = 1.9 * k if s > 16 else 1.5
    green = (34, 150, 82)
    for start in (-80, 40, 160):
        c.arc(cx, cy, r, w, start, start + 80, green, caps=False)
        a = math.radians(start + 80)
        tip = (cx + r * math.cos(a), cy + r * math.sin(a))
        t = (-math.sin(a), math.cos(a))        # direction of travel
        n = (math.cos(a), math.sin(a))
        h = 2.6 * k if s > 16 else 2.2
        c.polygon([(tip[0] + t[0] * h, tip[1] + t[1] * h),
                   (tip[0] + n[0] * h * 0.8, tip[1] + n[1] * h * 0.8),
                   (tip[0] - n[0] * h * 0.8, tip[1] - n[1] * h * 0.8)], green)


def icon_images(kind, sizes):
    out = []
    for s in sizes:
        c = Canvas(s, s, (0, 0, 0, 0), ss=8)
        if kind == "app":
            m = max(0.0, s / 16.0 - 1.0) * 0.5    # small margin on larger sizes
            product_emblem(c, m, m, s - 2 * m - (1 if s >= 32 else 0), shadow=s >= 32)
        else:
            draw_recycle_bin(c, s)
        out.append(c.img)
    return out


def ico_bytes(images):
    """An ICO file holding 32-bit BGRA bitmaps with their AND masks."""
    entries, blobs = [], []
    for im in images:
        w, h = im.size
        px = im.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        row = ((w + 31) // 32) * 4
        andm = bytearray()
        for y in range(h - 1, -1, -1):
            bits = bytearray(row)
            for x in range(w):
                if px[x, y][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andm += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                             len(xor) + len(andm), 0, 0, 0, 0)
        blobs.append(header + bytes(xor) + bytes(andm))
        entries.append((w, h))
    data = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (w, h), blob in zip(entries, blobs):
        data += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        data += blob
    return bytes(data)


def check_ico(data, sizes):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind == 1 and count == len(sizes)
    for i, s in enumerate(sizes):
        w, h, _, _, planes, bpp, size, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert (w, h, planes, bpp) == (s, s, 1, 32)
        assert off + size <= len(data)
        hs, bw, bh = struct.unpack_from("<Iii", data, off)
        assert (hs, bw, bh) == (40, s, 2 * s)


# ---------------------------------------------------------------------------
# GIF output

def to_palette(rgb):
    """Adaptive 256-colour palette, no dithering (flat areas stay flat)."""
    return rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT, kmeans=2,
                        dither=Image.Dither.NONE)


def _chain_end(data, pos):
    """Offset just past a chain of data sub-blocks starting at pos."""
    while True:
        n = data[pos]
        pos += 1
        if n == 0:
            return pos
        pos += n
        assert pos < len(data), "sub-block chain runs past the end"


def gif_blocks(data):
    """Splits a GIF into (header+screen+global table, [blocks], trailer).
    Each block is (kind, bytes) with kind 'gce', 'ext', or 'image'."""
    assert data[:3] == b"GIF" and data[3:6] in (b"87a", b"89a")
    packed = data[10]
    table = 3 * (2 << (packed & 7)) if packed & 0x80 else 0
    pos = 13 + table
    head = data[:pos]
    blocks = []
    while True:
        b = data[pos]
        if b == 0x3B:
            return head, blocks, data[pos:]
        if b == 0x21:
            label = data[pos + 1]
            end = _chain_end(data, pos + 2)
            blocks.append(("gce" if label == 0xF9 else "ext", data[pos:end]))
            pos = end
        elif b == 0x2C:
            ipacked = data[pos + 9]
            local = 3 * (2 << (ipacked & 7)) if ipacked & 0x80 else 0
            end = _chain_end(data, pos + 10 + local + 1)
            blocks.append(("image", data[pos:end]))
            pos = end
        else:
            raise AssertionError("unexpected GIF block 0x%02X at %d" % (b, pos))


GCE = bytes((0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00))


def gif89a_bytes(pal_image):
    """Saves a palette image as a one-frame GIF89a: global colour table,
    background index = the commonest colour, one graphic control extension
    (no transparency, no delay) right before the image descriptor, and no
    other extension blocks."""
    buf = io.BytesIO()
    pal_image.save(buf, "GIF", optimize=False, interlace=False)
    head, blocks, trailer = gif_blocks(buf.getvalue())
    images = [b for k, b in blocks if k == "image"]
    assert len(images) == 1
    head = bytearray(head)
    head[3:6] = b"89a"
    counts = pal_image.getcolors(256)
    head[11] = max(counts)[1]
    return bytes(head) + GCE + images[0] + trailer


def check_gif(data, width, height):
    """Asserts the properties the picture control relies on."""
    assert data[:6] == b"GIF89a", "header"
    w, h, packed = struct.unpack_from("<HHB", data, 6)
    assert (w, h) == (width, height), ("size", w, h)
    assert packed & 0x80, "global colour table"
    head, blocks, trailer = gif_blocks(data)
    assert trailer == b"\x3b", "trailer"
    kinds = [k for k, _ in blocks]
    assert kinds.count("image") == 1, "one image descriptor"
    i = kinds.index("image")
    assert i > 0 and kinds[i - 1] == "gce", "graphic control extension before the image"
    gce = blocks[i - 1][1]
    assert len(gce) == 8 and gce[2] == 4 and gce[7] == 0
    assert gce[3] & 1 == 0, "no transparency"
    image = blocks[i][1]
    left, top, iw, ih, ip = struct.unpack_from("<HHHHB", image, 1)
    assert (left, top, iw, ih) == (0, 0, width, height), "image covers the screen"
    assert not ip & 0x40, "not interlaced"
    # decodes back to the same picture
    back = Image.open(io.BytesIO(data))
    assert back.size == (width, height) and getattr(back, "n_frames", 1) == 1


def check_jpeg(data, width, height):
    assert data[:2] == b"\xff\xd8"
    pos = 2
    seen_sof0 = False
    while pos < len(data):
        assert data[pos] == 0xFF
        marker = data[pos + 1]
        length = struct.unpack_from(">H", data, pos + 2)[0]
        if marker == 0xE0:
            assert data[pos + 4:pos + 9] == b"JFIF\0"
            units, xd, yd = struct.unpack_from(">BHH", data, pos + 11)
            assert (units, xd, yd) in ((1, 96, 96), (0, 1, 1)), "density"
        if marker in (0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF):
            raise AssertionError("not a baseline JPEG")
        if marker == 0xC0:
            h, w = struct.unpack_from(">HH", data, pos + 5)
            assert (w, h) == (width, height)
            seen_sof0 = True
        if marker == 0xDA:
            break
        pos += 2 + length
    assert seen_sof0, "baseline frame header"


# ---------------------------------------------------------------------------

def write(name, data):
    with open(os.path.join(OUT_DIR, name), "wb") as fh:
        fh.write(data)


def main():
    os.makedirs(OUT_DIR, exist_ok=True)

    gifs = [
        ("page_internet.gif", draw_page(0), PAGE_W, PAGE_H),
        ("page_system.gif", draw_page(1), PAGE_W, PAGE_H),
        ("page_general.gif", draw_page(2), PAGE_W, PAGE_H),
        ("about.gif", draw_about(), 468, 312),
        ("cookie_keep.gif", draw_cookie_keep(), 540, 344),
        ("progress.gif", draw_progress(), 436, 312),
    ]
    for name, canvas, w, h in gifs:
        assert canvas.size == (w, h), name
        data = gif89a_bytes(to_palette(canvas.rgb()))
        check_gif(data, w, h)
        write(name, data)

    splash = draw_splash()
    buf = io.BytesIO()
    splash.rgb().save(buf, "JPEG", quality=92, optimize=False, progressive=False,
                      subsampling=0, dpi=(96, 96))
    check_jpeg(buf.getvalue(), 476, 248)
    write("splash.jpg", buf.getvalue())

    for name, kind, sizes in (("corvale.ico", "app", (16, 32, 48)),
                              ("recycle.ico", "bin", (16, 32))):
        data = ico_bytes(icon_images(kind, sizes))
        check_ico(data, sizes)
        write(name, data)

    print("wrote", ", ".join([g[0] for g in gifs] + ["splash.jpg", "corvale.ico", "recycle.ico"]))


if __name__ == "__main__":
    sys.exit(main())
