#!/usr/bin/python3
"""Overlays the program's mouse areas and child-control rectangles on the
skin pictures, for a visual check of the artwork.

Run from the repository root after res/draw_images.py:

    /usr/bin/python3 res/check_regions.py

Writes PNGs (twice the size, nearest-neighbour) into shots/regions/:
    <picture>.png           the picture alone
    <picture>_regions.png   red: mouse areas the program tests,
                            blue: child controls laid over the picture
    icons.png               the icons, each size enlarged
and prints, for every child-control rectangle, whether the picture is one
plain colour under it. Exits with status 1 when one is not.

All rectangles are (left, top, right, bottom) in client pixels with the
right and bottom edges excluded, as Windows RECTs; mouse areas tested with
strict "<" bounds or inclusive bounds are converted to that form.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.join(HERE, "images")
OUT = os.path.join(os.path.dirname(HERE), "shots", "regions")
ZOOM = 2


def strict(x0, x1, y0, y1):
    """x0 < x < x1 and y0 < y < y1."""
    return ("rect", x0 + 1, y0 + 1, x1, y1)


def incl(x0, x1, y0, y1):
    """x0 <= x <= x1 and y0 <= y <= y1."""
    return ("rect", x0, y0, x1 + 1, y1 + 1)


def circle(cx, cy, r):
    return ("circle", cx, cy, r)


# -- main window pages -----------------------------------------------------

PAGE_HOT = [
    ("help", circle(396, 21, 10)),
    ("minimise", circle(421, 21, 10)),
    ("close", circle(446, 21, 10)),
    ("title strip", strict(-1, 470, -1, 43)),
    ("tab Internet Clean", strict(112, 214, 89, 109)),
    ("tab System Clean", strict(235, 337, 89, 109)),
    ("tab General Options", strict(355, 460, 89, 109)),
    ("product logo", strict(5, 37, 5, 33)),
    ("maker's logo", strict(-1, 135, 282, 344)),
    ("footer line click", strict(312, 460, 311, 327)),
    ("footer line hover", strict(275, 460, 311, 327)),
    ("Clean Now", strict(362, 454, 52, 78)),
]


def option_rows(rows):
    out = []
    for box, label in rows:
        out.append(("check box", ("rect",) + box))
        out.append(("label", ("rect",) + label))
    return out


PAGE_CONTROLS = {
    0: option_rows([
        ((31, 146, 43, 158), (45, 145, 300, 158)),
        ((31, 165, 43, 177), (45, 164, 300, 177)),
        ((31, 183, 43, 195), (45, 182, 300, 195)),
        ((31, 202, 43, 214), (45, 201, 300, 214)),
        ((31, 221, 43, 233), (45, 220, 300, 233)),
    ]) + [("Except Those Selected", ("rect", 272, 216, 437, 241))],
    1: option_rows([
        ((31, 146, 43, 158), (45, 145, 300, 158)),
        ((31, 165, 43, 177), (45, 164, 300, 177)),
        ((31, 183, 43, 195), (45, 182, 300, 195)),
        ((31, 260, 43, 272), (45, 259, 300, 272)),
        ((31, 203, 43, 215), (45, 202, 300, 215)),
        ((31, 241, 43, 253), (45, 240, 300, 253)),
        ((31, 222, 43, 234), (45, 221, 300, 234)),
        ((269, 146, 281, 158), (283, 145, 400, 158)),
        ((269, 165, 281, 177), (283, 164, 450, 177)),
        ((269, 183, 281, 195), (283, 182, 450, 195)),
        ((269, 201, 281, 213), (283, 200, 450, 213)),
    ]) + [("Recycle Bin button", ("rect", 8, 255, 28, 275))],
    2: option_rows([
        ((31, 146, 43, 158), (45, 145, 300, 158)),
        ((31, 165, 43, 177), (45, 164, 300, 177)),
        ((31, 184, 43, 196), (45, 183, 300, 196)),
        ((31, 203, 43, 216), (45, 202, 300, 216)),
        ((31, 222, 43, 235), (45, 221, 300, 235)),
        ((31, 241, 43, 253), (45, 240, 400, 253)),
        ((31, 261, 43, 273), (45, 260, 400, 273)),
    ]) + [
        ("interval edit", ("rect", 112, 220, 138, 238)),
        ("hot-key control", ("rect", 280, 238, 378, 259)),
        ("time edit", ("rect", 112, 259, 155, 277)),
    ],
}

# -- dialogs -------------------------------------------------------------------

ABOUT_HOT = [
    ("help", incl(244, 270, 37, 51)),
    ("home page, top", incl(279, 324, 37, 51)),
    ("product page", incl(332, 410, 37, 51)),
    ("home page, bottom", incl(329, 462, 266, 310)),
    ("drag strip", incl(0, 467, 0, 17)),
]
ABOUT_CONTROLS = [
    ("licence view", ("rect", 65, 54, 408, 200)),
    ("Close", ("rect", 320, 208, 409, 234)),
]


def dlu(x, y, w, h):
    """Dialog units of an 8-point MS Sans Serif dialog (base units 6 x 13)
    to pixels, rounded as the dialog manager does."""
    return ("rect", (x * 6 + 2) // 4, (y * 13 + 4) // 8,
            ((x + w) * 6 + 2) // 4, ((y + h) * 13 + 4) // 8)


COOKIE_HOT = [
    ("product logo", incl(0, 131, 21, 49)),
    ("maker's logo (cursor)", incl(386, 539, 291, 343)),
    ("maker's logo (click)", incl(289, 539, 291, 343)),
    ("footer line", incl(11, 279, 321, 343)),
    ("CANCEL", incl(428, 520, 27, 50)),
    ("OK", incl(428, 520, 64, 89)),
    ("drag strip", incl(0, 539, 0, 17)),
]
COOKIE_CONTROLS = [
    ("cookies on the computer", dlu(9, 69, 161, 98)),
    ("cookies to keep", dlu(200, 68, 150, 98)),
    (">", dlu(173, 95, 20, 14)),
    ("<", dlu(173, 111, 20, 14)),
    ("<<", dlu(173, 127, 20, 14)),
]

PROGRESS_HOT = [
    ("drag strip", incl(0, 435, 0, 17)),
    ("maker's home page", incl(296, 439, 256, 309)),
]
PROGRESS_CONTROLS = [
    ("Close", ("rect", 320, 50, 409, 76)),
    ("list box", ("rect", 25, 90, 410, 230)),
    ("auto-close box", ("rect", 25, 240, 37, 252)),
    ("auto-close label", ("rect", 39, 239, 300, 252)),
    ("show-progress box", ("rect", 25, 262, 37, 274)),
    ("show-progress label", ("rect", 39, 261, 300, 274)),
]

PICTURES = [
    ("page_internet.gif", (468, 344), PAGE_HOT, PAGE_CONTROLS[0]),
    ("page_system.gif", (468, 344), PAGE_HOT, PAGE_CONTROLS[1]),
    ("page_general.gif", (468, 344), PAGE_HOT, PAGE_CONTROLS[2]),
    ("about.gif", (468, 312), ABOUT_HOT, ABOUT_CONTROLS),
    ("cookie_keep.gif", (540, 344), COOKIE_HOT, COOKIE_CONTROLS),
    ("progress.gif", (436, 312), PROGRESS_HOT, PROGRESS_CONTROLS),
    ("splash.jpg", (476, 248), [], []),
]

RED = (230, 20, 20)
BLUE = (20, 70, 235)


def outline(d, shape, colour):
    z = ZOOM
    if shape[0] == "circle":
        _, cx, cy, r = shape
        # pixel centres: the area is every pixel whose centre is within r
        x, y = (cx + 0.5) * z, (cy + 0.5) * z
        d.ellipse([x - r * z, y - r * z, x + r * z, y + r * z], outline=colour)
    else:
        _, x0, y0, x1, y1 = shape
        d.rectangle([x0 * z, y0 * z, x1 * z - 1, y1 * z - 1], outline=colour)


def plain(img, shape):
    _, x0, y0, x1, y1 = shape
    x0, y0 = max(0, x0), max(0, y0)
    x1, y1 = min(img.size[0], x1), min(img.size[1], y1)
    colours = img.crop((x0, y0, x1, y1)).getcolors(1 << 16)
    return len(colours), colours


def icon_sheet():
    tiles = []
    for name in ("corvale.ico", "recycle.ico"):
        path = os.path.join(IMAGES, name)
        data = open(path, "rb").read()
        count = struct.unpack_from("<H", data, 4)[0]
        ico = Image.open(path)
        for i in range(count):
            w = data[6 + 16 * i] or 256
            ico.size = (w, w)
            im = ico.copy().convert("RGBA")
            for bg in ((255, 255, 255), (14, 58, 86)):
                base = Image.new("RGBA", im.size, bg + (255,))
                base.alpha_composite(im)
                tiles.append(base.resize((w * 4, w * 4), Image.NEAREST))
    width = sum(t.size[0] for t in tiles) + 8 * (len(tiles) + 1)
    height = max(t.size[1] for t in tiles) + 16
    sheet = Image.new("RGB", (width, height), (200, 200, 200))
    x = 8
    for t in tiles:
        sheet.paste(t.convert("RGB"), (x, 8))
        x += t.size[0] + 8
    sheet.save(os.path.join(OUT, "icons.png"))


def main():
    os.makedirs(OUT, exist_ok=True)
    failures = 0
    for name, size, hot, controls in PICTURES:
        src = Image.open(os.path.join(IMAGES, name))
        assert src.size == size, (name, src.size)
        rgb = src.convert("RGB")
        big = rgb.resize((size[0] * ZOOM, size[1] * ZOOM), Image.NEAREST)
        stem = os.path.splitext(name)[0]
        big.save(os.path.join(OUT, stem + ".png"))
        d = ImageDraw.Draw(big)
        for label, shape in controls:
            outline(d, shape, BLUE)
        for label, shape in hot:
            outline(d, shape, RED)
        big.save(os.path.join(OUT, stem + "_regions.png"))
        for label, shape in controls:
            n, colours = plain(rgb, shape)
            if n != 1:
                failures += 1
                print("%-18s %-24s NOT plain: %d colours" % (name, label, n))
        print("%-18s checked %d mouse areas, %d control rectangles" % (name, len(hot), len(controls)))
    icon_sheet()
    print("written to", OUT)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
