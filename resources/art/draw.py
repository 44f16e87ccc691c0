#!/usr/bin/python3
"""Draws every icon and bitmap of Lookout.exe and Marshal.exe.

The small icons are pixel art placed by hand on a 16-colour grid (the standard
Windows VGA palette), one layer per element (modem, program window, prohibition
sign, ...), so each state icon is a composition of the same few pieces; the
32 x 32 images are drawn separately from their own primitives, never scaled, and
so are the 20, 24 and 48 pixel images that the small and large sizes become at
125 %, 150 % and 200 % display scaling (the same pieces placed per size).
The two large pictures (the tray menu's side bar and the wizard picture) are
painted in 24-bit colour. Icons are written as classic 4-bit bitmap entries
(colour table, XOR image, AND mask), which every Windows version loads.

    /usr/bin/python3 resources/art/draw.py [--sheet out.png]

writes resources/lookout/art/* and resources/marshal/art/*; --sheet also
writes an enlarged contact sheet of everything for looking at.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
LOOKOUT_DIR = os.path.join(HERE, '..', 'lookout', 'art')
MARSHAL_DIR = os.path.join(HERE, '..', 'marshal', 'art')

# The 16 colours of the standard Windows palette, in their usual order, by the
# letter that the pictures below use for them. '.' is transparent.
PALETTE = [
    ('k', (0, 0, 0)),        # black
    ('r', (128, 0, 0)),      # maroon
    ('g', (0, 128, 0)),      # green
    ('o', (128, 128, 0)),    # olive
    ('n', (0, 0, 128)),      # navy
    ('p', (128, 0, 128)),    # purple
    ('t', (0, 128, 128)),    # teal
    ('s', (192, 192, 192)),  # silver
    ('d', (128, 128, 128)),  # gray
    ('R', (255, 0, 0)),      # red
    ('G', (0, 255, 0)),      # lime
    ('Y', (255, 255, 0)),    # yellow
    ('B', (0, 0, 255)),      # blue
    ('P', (255, 0, 255)),    # fuchsia
    ('T', (0, 255, 255)),    # aqua
    ('W', (255, 255, 255)),  # white
]
INDEX = {key: i for i, (key, _) in enumerate(PALETTE)}
RGB = dict(PALETTE)

# The light of the modem: (bright, dark) colour per state.
LIGHTS = {'green': ('G', 'g'), 'yellow': ('Y', 'o'), 'red': ('R', 'r')}


class Grid:
    """A square of palette letters; None is a transparent pixel."""

    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def set(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x, y1, c)

    def line(self, x0, y0, x1, y1, c):
        """Bresenham line, both ends included."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def art(self, rows, x=0, y=0, recolour=None):
        """Lays a picture given as text rows over the grid; '.' leaves a pixel alone."""
        recolour = recolour or {}
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != '.':
                    self.set(x + dx, y + dy, recolour.get(ch, ch))

    def over(self, other, x=0, y=0):
        for yy in range(other.size):
            for xx in range(other.size):
                c = other.px[yy][xx]
                if c is not None:
                    self.set(x + xx, y + yy, c)

    def where(self, test):
        """Pixels (x, y) whose centre passes test(cx, cy) with the grid centre at 0."""
        half = self.size / 2
        for y in range(self.size):
            for x in range(self.size):
                if test(x + 0.5 - half, y + 0.5 - half):
                    yield x, y

    def shape(self, pixels, fill, outline='k'):
        """Fills a set of (x, y) pixels and draws a one-pixel outline round it."""
        pixels = set(pixels)
        for x, y in pixels:
            self.set(x, y, fill)
        for x, y in pixels:
            for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if (x + a, y + b) not in pixels:
                    self.set(x + a, y + b, outline)

    def image(self):
        img = Image.new('RGBA', (self.size, self.size), (0, 0, 0, 0))
        for y in range(self.size):
            for x in range(self.size):
                c = self.px[y][x]
                if c is not None:
                    img.putpixel((x, y), RGB[c] + (255,))
        return img


def art(rows, recolour=None):
    g = Grid(len(rows))
    assert all(len(r) == g.size for r in rows), rows
    g.art(rows, recolour=recolour)
    return g


# ---------------------------------------------------------------------------
# Icon file writer: 4-bit bitmap entries with the 16-colour palette.

def ico_entry(grid):
    size = grid.size
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    colours = b''.join(struct.pack('BBBB', b, g, r, 0) for _, (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            c = grid.px[y][x]
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                row[x // 2] |= INDEX[c] << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bits
    return header + colours + bytes(xor) + bytes(mask)


def write_ico(path, grids):
    grids = sorted(grids, key=lambda g: g.size)
    data = [ico_entry(g) for g in grids]
    out = struct.pack('<HHH', 0, 1, len(grids))
    offset = 6 + 16 * len(grids)
    for g, d in zip(grids, data):
        out += struct.pack('<BBBBHHII', g.size % 256, g.size % 256, 16, 0, 1, 4, len(d), offset)
        offset += len(d)
    with open(path, 'wb') as f:
        f.write(out + b''.join(data))


def write_bmp(path, img):
    """24-bit BMP with the plain 40-byte info header (what LoadImageA expects)."""
    img.convert('RGB').save(path, format='BMP')


# ---------------------------------------------------------------------------
# Lookout: the modem and its companions.

# 16 x 16 modem seen from the front and a little above: a light top, a silver
# front with one big status light in a black bezel ('L' lit, 'l' its shade)
# and a speaker grille.
MODEM16 = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "..kkkkkkkkkkkk..",
    ".kWWWWWWWWWWWWk.",
    "kWssssssssssssdk",
    "kkkkkkkkkkkkkkkk",
    "kskkkkksssssssdk",
    "kskLLLksdsdsdsdk",
    "kskLLlksssssssdk",
    "kkkkkkkkkkkkkkkk",
    ".kk..........kk.",
]


def modem16(light, dy=0):
    bright, dark = LIGHTS[light]
    g = Grid(16)
    g.art(MODEM16, 0, dy, {'L': bright, 'l': dark})
    return g


# 16 x 16 program window behind the modem (top right).
WINDOW16 = [
    "...kkkkkkkkkkkkk",
    "...knnnnnnnnnsWk",
    "...knnnnnnnnnskk",
    "...kWWWWWWWWWWWk",
    "...kWssssssssWWk",
    "...kWWWWWWWWWWWk",
    "...kWssssssWWWWk",
    "...kWWWWWWWWWWWk",
    "...kWWWWWWWWWWWk",
]


def prohibition(size, outer, thick, bar):
    """Red prohibition sign filling the grid: ring and a top-left to bottom-right bar."""
    g = Grid(size)
    inner = outer - thick
    for x, y in g.where(lambda cx, cy: inner <= math.hypot(cx, cy) <= outer):
        g.set(x, y, 'R')
    for x, y in g.where(lambda cx, cy: abs(cx - cy) / math.sqrt(2) <= bar
                        and math.hypot(cx, cy) <= inner + 0.5):
        g.set(x, y, 'R')
    return g


def tray16(light, window=False, banned=False):
    g = Grid(16)
    if window:
        g.art(WINDOW16)
    # under the sign the modem sits a little higher, so that its light shows
    # inside the ring
    g.over(modem16(light, -1 if banned else 0))
    if banned:
        g.over(prohibition(16, 8.0, 2.0, 1.0))
    return g


def modem32(light, g, dy=0):
    """32 x 32 modem: the 16-pixel design with room for shading and detail."""
    bright, dark = LIGHTS[light]
    # top face, widening by one pixel a side per row towards the front
    g.hline(5, 26, 14 + dy, 'k')
    for i in range(5):
        y = 15 + i + dy
        g.hline(4 - i, 27 + i, y, 'k')
        g.hline(5 - i, 26 + i, y, 'W' if i == 0 else 's')
        g.set(5 - i, y, 'W')
        g.set(26 + i, y, 'd' if i else 'W')
    for x in range(9, 24, 3):  # vents on the top
        g.hline(x, x + 1, 17 + dy, 'd')
    g.hline(0, 31, 20 + dy, 'k')
    # front face
    g.rect(0, 21 + dy, 31, 29 + dy, 'k')
    g.rect(1, 21 + dy, 30, 28 + dy, 's')
    g.hline(1, 29, 21 + dy, 'W')
    g.vline(30, 21 + dy, 28 + dy, 'd')
    # status light in its bezel
    g.rect(5, 22 + dy, 12, 27 + dy, 'k')
    g.rect(6, 23 + dy, 11, 25 + dy, bright)
    g.hline(6, 11, 26 + dy, dark)
    g.vline(11, 24 + dy, 26 + dy, dark)
    g.set(7, 23 + dy, 'W')
    # two small indicators and the speaker grille
    g.rect(15, 24 + dy, 16, 25 + dy, 'g')
    g.rect(18, 24 + dy, 19, 25 + dy, 'g')
    for x in range(22, 29, 2):
        g.vline(x, 23 + dy, 26 + dy, 'd')
    # feet
    g.hline(2, 5, 30 + dy, 'k')
    g.hline(26, 29, 30 + dy, 'k')
    return g


def window32(g, x0, y0, x1, y1, title='n'):
    """A program window: black frame, title bar with a close box, text lines."""
    g.frame(x0, y0, x1, y1, 'k')
    g.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 4, title)
    g.rect(x1 - 5, y0 + 2, x1 - 2, y0 + 3, 's')
    g.hline(x1 - 5, x1 - 3, y0 + 2, 'W')
    g.rect(x0 + 1, y0 + 5, x1 - 1, y1 - 1, 'W')
    for i, y in enumerate(range(y0 + 7, y1 - 1, 3)):
        g.hline(x0 + 3, x1 - 4 - (i % 2) * 5, y, 's')


def tray32(light, window=False, banned=False):
    g = Grid(32)
    if window:
        window32(g, 7, 0, 31, 18)
    modem32(light, g, -3 if banned else 0)
    if banned:
        g.over(prohibition(32, 16.0, 3.5, 2.0))
    return g


def disc(size, fill, outline='k'):
    """A filled circle with a one-pixel outline, filling a size x size grid."""
    g = Grid(size)
    r = size / 2
    inside = set(g.where(lambda cx, cy: math.hypot(cx, cy) <= r - 0.3))
    for x, y in inside:
        edge = any((x + a, y + b) not in inside for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        g.set(x, y, outline if edge else fill)
    return g


# 10 x 10 badges for a corner of a 16-pixel picture: stop (red, white X) and
# go (green, white play triangle).
STOP10 = [
    "..kkkkkk..",
    ".kRRRRRRk.",
    "kRWWRRWWRk",
    "kRRWWWWRRk",
    "kRRRWWRRRk",
    "kRRRWWRRRk",
    "kRRWWWWRRk",
    "kRWWRRWWRk",
    ".kRRRRRRk.",
    "..kkkkkk..",
]
GO10 = [
    "..kkkkkk..",
    ".kggggggk.",
    "kggWWggggk",
    "kggWWWgggk",
    "kggWWWWggk",
    "kggWWWWggk",
    "kggWWWgggk",
    "kggWWggggk",
    ".kggggggk.",
    "..kkkkkk..",
]


def stop_badge32(g, x0, y0, size=15):
    g.over(disc(size, 'R'), x0, y0)
    m = size // 2
    for i in range(-3, 4):  # a white X, two pixels wide
        for t in (0, 1):
            g.set(x0 + m + i - t, y0 + m + i, 'W')
            g.set(x0 + m - i + 1 - t, y0 + m + i, 'W')


def go_badge32(g, x0, y0, size=15):
    g.over(disc(size, 'g'), x0, y0)
    m = size // 2
    for i in range(5):  # a white play triangle pointing right
        g.vline(x0 + m - 2 + i, y0 + m - 4 + i, y0 + m + 4 - i, 'W')


# A program window on its own, and two of them, one behind the other (the
# application window lists several programs).
WINDOW_PLAIN16 = [
    "kkkkkkkkkkkkk...",
    "knnnnnnnnnsWk...",
    "knnnnnnnnnssk...",
    "kWWWWWWWWWWWk...",
    "kWssssssssWWk...",
    "kWWWWWWWWWWWk...",
    "kWsssssWWWWWk...",
    "kWWWWWWWWWWWk...",
    "kWssssssssWWk...",
    "kWWWWWWWWWWWk...",
    "kWsssssWWWWWk...",
    "kWWWWWWWWWWWk...",
    "kkkkkkkkkkkkk...",
]
WINDOWS16 = [
    "....kkkkkkkkkkkk",
    "....knnnnnnnnsWk",
    "....knnnnnnnnssk",
    "....kWWWWWWWWWWk",
    "kkkkkkkkkkkkWWWk",
    "knnnnnnnnsWkWWWk",
    "knnnnnnnnsskWWWk",
    "kWWWWWWWWWWkWWWk",
    "kWssssssssWkWWWk",
    "kWWWWWWWWWWkWWWk",
    "kWsssssWWWWkkkkk",
    "kWWWWWWWWWWk....",
    "kWssssssssWk....",
    "kWWWWWWWWWWk....",
    "kWWWWWWWWWWk....",
    "kkkkkkkkkkkk....",
]


def apps16(badge, stack=False):
    g = Grid(16)
    if stack:
        g.art(WINDOWS16)
    else:
        g.art(WINDOW_PLAIN16, 0, 1)
    g.art(badge, 6, 6)
    return g


def apps32(badge, stack=False):
    g = Grid(32)
    if stack:
        window32(g, 8, 0, 30, 18)
        window32(g, 1, 6, 24, 30)
    else:
        window32(g, 1, 2, 27, 28)
    badge(g, 16, 16)
    return g


# Check boxes as Windows draws them: a sunken white square with a black check.
CHECKED7 = [
    "ddddddW",
    "dWWWWkW",
    "dWWWkkW",
    "dkWkkWW",
    "dkkkWWW",
    "dWkWWWW",
    "WWWWWWW",
]
UNCHECKED7 = [
    "ddddddW",
    "dWWWWWW",
    "dWWWWWW",
    "dWWWWWW",
    "dWWWWWW",
    "dWWWWWW",
    "WWWWWWW",
]
CHECK7 = [
    "......k",
    ".....kk",
    "k...kkk",
    "kk.kkk.",
    "kkkkk..",
    ".kkk...",
    "..k....",
]


def checkbox32(g, x0, y0, checked, size=13):
    """A large sunken check box: grey and black above and left, white below."""
    x1, y1 = x0 + size - 1, y0 + size - 1
    g.rect(x0, y0, x1, y1, 'W')
    g.hline(x0, x1 - 1, y0, 'd')
    g.vline(x0, y0, y1 - 1, 'd')
    g.hline(x0 + 1, x1 - 2, y0 + 1, 'k')
    g.vline(x0 + 1, y0 + 1, y1 - 2, 'k')
    g.hline(x0 + 1, x1 - 1, y1 - 1, 's')
    g.vline(x1 - 1, y0 + 1, y1 - 1, 's')
    if checked:
        g.art(CHECK7, x0 + 3, y0 + 3)


def options16(window=False):
    """Options: check boxes; in a window of their own for the Options window."""
    g = Grid(16)
    if window:
        g.frame(0, 0, 15, 15, 'k')
        g.rect(1, 1, 14, 2, 'n')
        g.hline(12, 13, 1, 'W')
        g.hline(12, 13, 2, 's')
        g.rect(1, 3, 14, 14, 's')
        g.art(CHECKED7, 2, 5)
        g.hline(10, 13, 6, 'k')
        g.hline(10, 12, 9, 'k')
        g.hline(3, 12, 13, 'd')
        return g
    g.art(CHECKED7, 0, 0)
    g.art(CHECKED7, 0, 8)
    g.hline(9, 15, 3, 'k')
    g.hline(9, 13, 11, 'k')
    return g


def options32(window=False):
    g = Grid(32)
    if window:
        g.frame(1, 0, 30, 31, 'k')
        g.rect(2, 1, 29, 4, 'n')
        g.rect(24, 2, 27, 3, 's')
        g.hline(24, 26, 2, 'W')
        g.rect(2, 5, 29, 30, 's')
        g.hline(2, 29, 5, 'k')
        for y, checked in ((7, True), (15, False), (23, True)):
            g.art(CHECKED7 if checked else UNCHECKED7, 5, y)
        for y, length in ((10, 12), (18, 9), (26, 11)):
            g.hline(15, 15 + length - 1, y, 'k')
        return g
    checkbox32(g, 1, 2, True)
    checkbox32(g, 1, 17, True)
    g.rect(17, 7, 30, 8, 'k')
    g.rect(17, 22, 27, 23, 'k')
    return g


def arrow(g, x0, x1, cy, shaft, head, fill):
    """Outlined arrow pointing right from x0 to its tip at x1, centred on row cy;
    shaft and head are half-heights of the interior."""
    pixels = set()
    for x in range(x0, x1 - head + 1):
        for y in range(cy - shaft, cy + shaft + 1):
            pixels.add((x, y))
    for i in range(head + 1):
        x = x1 - head + i
        for y in range(cy - head + i, cy + head - i + 1):
            pixels.add((x, y))
    g.shape(pixels, fill)


def door(g, x0, y0, x1, y1, leaf):
    """Exit: a door frame open on the teal outside, its leaf swung towards the
    viewer on the left hinge, leaf pixels wide."""
    g.frame(x0, y0, x1, y1, 'k')
    g.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 't')
    pixels = set()
    for i in range(leaf):
        x = x0 - 1 - i
        grow = (i + 1) // 2
        for y in range(y0 + 1 - grow, y1 + grow):
            pixels.add((x, y))
    g.shape(pixels, 'r')
    g.vline(x0, y0, y1, 'k')


def exit16():
    g = Grid(16)
    door(g, 4, 1, 12, 15, 3)
    g.rect(1, 7, 1, 8, 'Y')
    arrow(g, 6, 14, 8, 1, 3, 'G')
    return g


def exit32():
    g = Grid(32)
    door(g, 8, 2, 24, 31, 6)
    g.rect(3, 15, 4, 17, 'Y')
    arrow(g, 12, 30, 16, 2, 6, 'G')
    return g


def default16():
    """The default application icon: a plain program window."""
    return art([
        "................",
        "kkkkkkkkkkkkkkk.",
        "knnnnnnnnnnsWsk.",
        "knnnnnnnnnnsssk.",
        "kkkkkkkkkkkkkkkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kWWWWWWWWWWWWWkd",
        "kkkkkkkkkkkkkkkd",
        ".dddddddddddddd.",
    ])


GLOBE9 = [
    "..kkkkk..",
    ".kBBTBBk.",
    "kBBTBTBBk",
    "kBTBBBTBk",
    "kTTTTTTTk",
    "kBTBBBTBk",
    "kBBTBTBBk",
    ".kBBTBBk.",
    "..kkkkk..",
]


def globe(size):
    """Blue globe with aqua meridians and parallels, black outline."""
    g = Grid(size)
    r = size / 2
    inside = set(g.where(lambda cx, cy: math.hypot(cx, cy) <= r - 0.3))
    for x, y in inside:
        cx, cy = x + 0.5 - r, y + 0.5 - r
        edge = any((x + a, y + b) not in inside for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        span = math.sqrt(max(r * r - cy * cy, 0))
        on_line = (abs(cy) < 0.5 or abs(abs(cy) - r * 0.5) < 0.5 or abs(cx) < 0.5
                   or abs(abs(cx) - span * 0.55) < 0.5)
        g.set(x, y, 'k' if edge else ('T' if on_line else 'B'))
    return g


def lookout_main16():
    g = Grid(16)
    g.art(GLOBE9, 7, 0)
    g.over(modem16('green'))
    return g


def lookout_main32():
    g = Grid(32)
    g.over(globe(17), 14, 0)
    modem32('green', g)
    return g


# ---------------------------------------------------------------------------
# Lookout at 20, 24 and 48 pixels (125 %, 150 % and 200 % of the small and large sizes):
# the same pieces drawn again on each grid, their places chosen per size, details left
# out where the grid has no room for them.

def sc(n, v):
    """A coordinate of the 32-pixel design on a grid of n pixels."""
    return int(v * n / 32 + 0.5)


# The modem per size: rows of its top edge, front and feet, the width of the top face's
# slope, the light's bezel (x0, y0, x1, y1), the two indicators' left edges and size, the
# grille's columns and rows, the vents' row and columns.
MODEM_N = {
    20: dict(top=8, slope=3, bottom=18, feet=(19, 19), bezel=(2, 14, 7, 18), lamps=((10, 12), 1, (15, 16)),
             grille=((13, 15), (14, 17)), vents=(10, range(6, 14, 3), 2)),
    24: dict(top=10, slope=4, bottom=22, feet=(23, 23), bezel=(3, 17, 9, 22), lamps=((12, 14), 1, (19, 20)),
             grille=((16, 18, 20), (18, 20)), vents=(12, range(7, 18, 3), 2)),
    48: dict(top=21, slope=7, bottom=44, feet=(45, 46), bezel=(7, 33, 18, 41), lamps=((22, 27), 3, (36, 38)),
             grille=(range(33, 44, 3), (35, 40)), vents=(25, range(13, 36, 4), 3)),
}


def modem_n(light, g, dy=0):
    n = g.size
    m = MODEM_N[n]
    bright, dark = LIGHTS[light]
    t, slope = m['top'] + dy, m['slope']
    # the top face, widening by one pixel a side per row towards the front
    g.hline(slope, n - 1 - slope, t, 'k')
    for i in range(slope):
        y = t + 1 + i
        a, b = slope - 1 - i, n - slope + i
        g.hline(a, b, y, 'k')
        g.hline(a + 1, b - 1, y, 'W' if i == 0 else 's')
        g.set(a + 1, y, 'W')
        g.set(b - 1, y, 'd' if i else 'W')
    vy, vxs, vw = m['vents']
    for x in vxs:
        g.hline(x, x + vw - 1, vy + dy, 'd')
    front = t + slope + 1
    g.hline(0, n - 1, front, 'k')
    bottom = m['bottom'] + dy
    g.rect(0, front + 1, n - 1, bottom, 'k')
    g.rect(1, front + 1, n - 2, bottom - 1, 's')
    g.hline(1, n - 3, front + 1, 'W')
    g.vline(n - 2, front + 1, bottom - 1, 'd')
    # the status light in its bezel
    x0, y0, x1, y1 = m['bezel']
    y0, y1 = y0 + dy, y1 + dy
    g.rect(x0, y0, x1, y1, 'k')
    g.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, bright)
    g.hline(x0 + 1, x1 - 1, y1 - 1, dark)
    g.vline(x1 - 1, y0 + 2, y1 - 1, dark)
    if n >= 24:
        g.set(x0 + 2, y0 + 1, 'W')
    lamps, lw, (ly0, ly1) = m['lamps']
    for x in lamps:
        g.rect(x, ly0 + dy, x + lw - 1, ly1 + dy, 'g')
    xs, (gy0, gy1) = m['grille']
    for x in xs:
        g.vline(x, gy0 + dy, gy1 + dy, 'd')
    f0, f1 = m['feet']
    for a, b in ((sc(n, 2), sc(n, 5)), (n - 1 - sc(n, 5), n - 1 - sc(n, 2))):
        g.rect(a, f0 + dy, b, f1 + dy, 'k')
    return g


def window_n(g, x0, y0, x1, y1, title='n'):
    """A program window at any size: frame, title bar with a close box, text lines."""
    w = x1 - x0
    bar = max(2, (w + 3) // 6)  # title bar rows
    g.frame(x0, y0, x1, y1, 'k')
    g.rect(x0 + 1, y0 + 1, x1 - 1, y0 + bar, title)
    box = max(2, bar - 1)
    g.rect(x1 - box - 1, y0 + 1 + (bar - box + 1) // 2, x1 - 2, y0 + (bar + box) // 2, 's')
    g.hline(x1 - box - 1, x1 - 3, y0 + 1 + (bar - box + 1) // 2, 'W')
    g.rect(x0 + 1, y0 + bar + 1, x1 - 1, y1 - 1, 'W')
    step = 2 if w < 20 else 3 if w < 36 else 4
    for i, y in enumerate(range(y0 + bar + 3, y1 - 1, step)):
        g.hline(x0 + 3, x1 - 4 - (i % 2) * (w // 5), y, 's')


# The prohibition sign per size: outer radius, ring thickness, bar half-width.
SIGN_N = {20: (10.0, 2.4, 1.2), 24: (12.0, 2.8, 1.5), 48: (24.0, 5.0, 3.0)}
# How far the modem moves up under the sign, so that its light shows inside the ring.
SIGN_LIFT = {20: -1, 24: -2, 48: -4}


def tray_n(n, light, window=False, banned=False):
    g = Grid(n)
    if window:
        window_n(g, sc(n, 7), 0, n - 1, sc(n, 18))
    modem_n(light, g, SIGN_LIFT[n] if banned else 0)
    if banned:
        g.over(prohibition(n, *SIGN_N[n]))
    return g


def cross_badge(g, x0, y0, size):
    """Stop: a red disc with a white X, its strokes two pixels wide from 20 pixels up."""
    g.over(disc(size, 'R'), x0, y0)
    m = size // 2
    arm = max(2, int(size * 0.22 + 0.5))
    width = 2 if size >= 12 else 1
    for i in range(-arm, arm + 1):
        for t in range(width):
            g.set(x0 + m + i - t, y0 + m + i, 'W')
            g.set(x0 + m - i + (width - 1) - t, y0 + m + i, 'W')


def play_badge(g, x0, y0, size):
    """Go: a green disc with a white triangle pointing right."""
    g.over(disc(size, 'g'), x0, y0)
    m = size // 2
    half = max(2, int(size * 0.3 + 0.5))
    for i in range(half + 1):
        g.vline(x0 + m - half // 2 + i, y0 + m - half + i, y0 + m + half - i, 'W')


def apps_n(n, badge, stack=False):
    g = Grid(n)
    if stack:
        window_n(g, sc(n, 8), 0, n - 2 + (n >= 32), sc(n, 18))
        window_n(g, sc(n, 1), sc(n, 6), sc(n, 24), n - 2 + (n >= 48))
    else:
        window_n(g, sc(n, 1), sc(n, 2), sc(n, 27), sc(n, 28))
    size = sc(n, 15) | 1
    badge(g, n - size, n - size, size)
    return g


# A check mark for the small check boxes, five pixels square.
CHECK5 = [
    "....k",
    "...kk",
    "k.kk.",
    "kkk..",
    ".k...",
]


def check_mark(g, x0, y0, size):
    """A black check mark in a size x size square: pixel art up to 7, else drawn with
    strokes a third as thick, down to the bottom and up to the top right."""
    if size <= 5:
        g.art(CHECK5, x0, y0)
        return
    if size <= 7:
        g.art(CHECK7, x0, y0)
        return
    thick = size // 3
    low = (x0 + size // 3, y0 + size - thick)
    for t in range(thick):
        g.line(x0, y0 + size // 2 - thick // 2 + t, low[0], low[1] + t, 'k')
        g.line(low[0], low[1] + t, x0 + size - 1, y0 + t, 'k')


def checkbox_n(g, x0, y0, size, checked):
    """A sunken check box: grey (and from 13 pixels up black) above and left, silver and
    white below; the mark two pixels in (three from 13 up)."""
    x1, y1 = x0 + size - 1, y0 + size - 1
    g.rect(x0, y0, x1, y1, 'W')
    g.hline(x0, x1 - 1, y0, 'd')
    g.vline(x0, y0, y1 - 1, 'd')
    if size >= 13:
        g.hline(x0 + 1, x1 - 2, y0 + 1, 'k')
        g.vline(x0 + 1, y0 + 1, y1 - 2, 'k')
        g.hline(x0 + 1, x1 - 1, y1 - 1, 's')
        g.vline(x1 - 1, y0 + 1, y1 - 1, 's')
    if checked:
        inset = 3 if size >= 13 else 2
        check_mark(g, x0 + inset, y0 + inset, size - 2 * inset)


def options_n(n, window=False):
    """Options: check boxes with their labels; in a window of their own for the Options
    window (two boxes below 32 pixels, three from there)."""
    g = Grid(n)
    if window:
        left, right = sc(n, 1), n - 1 - sc(n, 1)
        bar = max(3, sc(n, 4))
        g.frame(left, 0, right, n - 1, 'k')
        g.rect(left + 1, 1, right - 1, bar, 'n')
        close = max(2, sc(n, 4))
        g.rect(right - close - 1, 1 + bar // 3, right - 2, bar - bar // 3, 's')
        g.rect(left + 1, bar + 1, right - 1, n - 2, 's')
        g.hline(left + 1, right - 1, bar + 1, 'k')
        if n == 20:  # one check box with two lines of text, and a grey line below
            g.art(CHECKED7, left + 2, bar + 3)
            g.hline(left + 11, right - 2, bar + 4, 'k')
            g.hline(left + 11, right - 4, bar + 7, 'k')
            g.hline(left + 3, right - 3, n - 4, 'd')
            return g
        box = 7 if n < 32 else sc(n, 7) | 1
        states = (True, False) if n < 32 else (True, False, True)
        room = n - 2 - (bar + 2)
        gap = (room - len(states) * box) // (len(states) + 1)
        for i, checked in enumerate(states):
            y = bar + 2 + gap + i * (box + gap)
            if n < 32:
                g.art(CHECKED7 if checked else UNCHECKED7, left + 2, y)
            else:
                checkbox_n(g, left + sc(n, 4), y, box, checked)
            x = left + (2 if n < 32 else sc(n, 4)) + box + 2
            g.hline(x, right - 2 - (i % 2) * (n // 6), y + box // 2, 'k')
        return g
    box = 9 if n == 20 else 11 if n == 24 else sc(n, 13)
    top2 = n - 1 - box
    checkbox_n(g, 1, 1 if n < 32 else sc(n, 2), box, True)
    checkbox_n(g, 1, top2 if n < 32 else sc(n, 17), box, True)
    bar = max(1, sc(n, 2))
    for y, end in (((1 if n < 32 else sc(n, 2)) + box // 2, n - 1 - sc(n, 1)),
                   ((top2 if n < 32 else sc(n, 17)) + box // 2, n - 1 - sc(n, 4))):
        g.rect(box + 3, y - bar // 2, end, y - bar // 2 + bar - 1, 'k')
    return g


# The exit door per size: door frame, leaf width, knob, arrow (x0, x1, row, shaft, head).
EXIT_N = {
    20: dict(door=(5, 2, 15, 19), leaf=4, knob=(2, 10, 2, 11), arrow=(7, 18, 10, 1, 4)),
    24: dict(door=(6, 2, 18, 23), leaf=4, knob=(2, 12, 3, 13), arrow=(9, 22, 12, 1, 5)),
    48: dict(door=(12, 4, 36, 47), leaf=9, knob=(4, 23, 6, 26), arrow=(18, 45, 25, 3, 9)),
}


def exit_n(n):
    g = Grid(n)
    e = EXIT_N[n]
    door(g, *e['door'], e['leaf'])
    g.rect(*e['knob'], 'Y')
    arrow(g, *e['arrow'], 'G')
    return g


def default_n(n):
    """The default application icon: a plain program window with a shadow."""
    g = Grid(n)
    g.rect(1, 2, n - 1, n - 1, 'd')
    window_n(g, 0, 1, n - 2, n - 2)
    g.rect(1, 1 + max(2, (n - 2 + 3) // 6) + 1, n - 3, n - 3, 'W')  # no text lines: a blank window
    return g


def lookout_main_n(n):
    g = Grid(n)
    size = sc(n, 17) | 1
    g.over(globe(size), n - size - sc(n, 1), 0)
    modem_n('green', g)
    return g


def sizes(small, large, drawn):
    """An icon group: the 16 and 32 images, then those drawn per size."""
    return [small, large] + [drawn(n) for n in (20, 24, 48)]


def lookout_icons():
    """Icon groups of Lookout.exe by resource id; 'main' is the program's own icon."""
    def tray(light, window=False, banned=False):
        return sizes(tray16(light, window, banned), tray32(light, window, banned),
                     lambda n: tray_n(n, light, window, banned))

    icons = {
        'main': sizes(lookout_main16(), lookout_main32(), lookout_main_n),
        101: sizes(apps16(STOP10), apps32(stop_badge32), lambda n: apps_n(n, cross_badge)),
        102: sizes(apps16(GO10), apps32(go_badge32), lambda n: apps_n(n, play_badge)),
        103: sizes(options16(), options32(), options_n),
        104: tray('yellow', banned=True),
        105: sizes(exit16(), exit32(), exit_n),
        201: sizes(default16(), default_n(32), default_n),
        204: tray('green'),
        301: sizes(apps16(STOP10, True), apps32(stop_badge32, True), lambda n: apps_n(n, cross_badge, True)),
        302: sizes(apps16(GO10, True), apps32(go_badge32, True), lambda n: apps_n(n, play_badge, True)),
        303: sizes(options16(True), options32(True), lambda n: options_n(n, True)),
        701: tray('green'),
        702: tray('yellow'),
        703: tray('red'),
        704: tray('yellow', banned=True),
        705: tray('green', window=True),
        706: tray('red', window=True),
    }
    return icons


# ---------------------------------------------------------------------------
# Lookout: the tray menu's side bar.

FONT_DIRS = ['/usr/share/fonts/truetype/dejavu', '/usr/share/fonts/truetype/liberation']


def font(names, size):
    for d in FONT_DIRS:
        for n in names:
            path = os.path.join(d, n)
            if os.path.exists(path):
                return ImageFont.truetype(path, size)
    sys.exit('draw.py: none of the fonts %s found' % names)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def sidebar():
    """21 x 161: a plain dark top (the menu repeats the picture's top 32 rows
    above it), then a gradient to a lighter blue, and the product name reading
    bottom-to-top in the lower part."""
    w, h = 21, 161
    top, bottom = (0, 0, 96), (24, 96, 200)
    img = Image.new('RGB', (w, h))
    for y in range(h):
        t = 0.0 if y < 32 else min(1.0, (y - 32) / (h - 1 - 32))
        for x in range(w):
            # a slightly lighter left edge gives the strip some depth
            c = mix(top, bottom, t)
            if x == 0:
                c = mix(c, (255, 255, 255), 0.15)
            elif x == w - 1:
                c = mix(c, (0, 0, 0), 0.3)
            img.putpixel((x, y), c)
    f = font(['DejaVuSans-Bold.ttf', 'LiberationSans-Bold.ttf'], 13)
    text = 'Tetherwatch'
    left, upper, right, lower = f.getbbox(text)
    strip = Image.new('L', (right - left + 4, 21), 0)
    ImageDraw.Draw(strip).text((2 - left, (21 - (lower - upper)) // 2 - upper), text,
                               font=f, fill=255)
    shadow = strip.rotate(90, expand=True)  # reads bottom-to-top
    x0, y0 = 0, h - 7 - shadow.height
    img.paste((0, 0, 48), (x0 + 1, y0 + 1), shadow)
    img.paste((255, 255, 255), (x0, y0), shadow)
    return img


# ---------------------------------------------------------------------------
# Marshal: folders, the wand, the warning sign and the wizard picture.

FOLDER16 = [
    "................",
    "................",
    "................",
    ".kkkkk..........",
    "kWYYYYk.........",
    "kYYYYYYkkkkkkkk.",
    "kYWWWWWWWWWWWWYk",
    "kYWYYYYYYYYYYYok",
    "kYWYYYYYYYYYYYok",
    "kYWYYYYYYYYYYYok",
    "kYWYYYYYYYYYYYok",
    "kYWYYYYYYYYYYYok",
    "kYWYYYYYYYYYYYok",
    "kYoooooooooooook",
    "kkkkkkkkkkkkkkkk",
    "................",
]


def folder32(g, x0, y0, x1, y1):
    """Manila folder: tab on the left, highlight top and left, olive shade."""
    tab = (x1 - x0) // 3
    g.frame(x0, y0, x0 + tab, y0 + 4, 'k')
    g.rect(x0 + 1, y0 + 1, x0 + tab - 1, y0 + 3, 'Y')
    g.hline(x0 + 1, x0 + tab - 1, y0 + 1, 'W')
    g.set(x0, y0, None)  # rounded corners of the tab
    g.set(x0 + tab, y0, None)
    g.frame(x0, y0 + 3, x1, y1, 'k')
    g.rect(x0 + 1, y0 + 4, x1 - 1, y1 - 1, 'Y')
    g.hline(x0 + 1, x0 + tab - 1, y0 + 3, 'Y')
    g.hline(x0 + 2, x1 - 2, y0 + 6, 'W')
    g.vline(x0 + 2, y0 + 6, y1 - 2, 'W')
    g.hline(x0 + 1, x1 - 1, y0 + 5, 'k')
    g.vline(x1 - 1, y0 + 6, y1 - 1, 'o')
    g.hline(x0 + 1, x1 - 1, y1 - 1, 'o')


STAR7 = [
    "...k...",
    "..kYk..",
    "kkkWkkk",
    "kYWWWYk",
    ".kYWYk.",
    ".kYkYk.",
    ".kk.kk.",
]


FOLDER13 = [
    ".kkkk........",
    "kWYYYk.......",
    "kYYYYYkkkkkk.",
    "kYWWWWWWWWWWk",
    "kYWYYYYYYYYok",
    "kYWYYYYYYYYok",
    "kYWYYYYYYYYok",
    "kYWYYYYYYYYok",
    "kYooooooooook",
    "kkkkkkkkkkkkk",
]


def marshal_main16():
    """The wizard: a folder, a magic wand and its star."""
    g = Grid(16)
    g.art(FOLDER13, 0, 6)
    g.line(4, 14, 10, 7, 'k')
    g.line(5, 14, 11, 7, 'k')
    g.art(STAR7, 9, 0)
    return g


def marshal_main32():
    """The wizard at 32 pixels: folder, wand, star and sparkles."""
    g = Grid(32)
    folder32(g, 0, 10, 25, 30)
    # the wand: a black stick with a grey shine, ending in a five-pointed star
    for t in range(3):
        g.line(9 + t, 28, 21 + t, 11, 'k')
    g.line(10, 28, 22, 11, 'd')
    corners = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = 6.3 if i % 2 == 0 else 2.7
        corners.append((6.5 + r * math.cos(a), 6.8 + r * math.sin(a)))
    star = Grid(13)
    star.shape([(x, y) for y in range(13) for x in range(13)
                if point_in_polygon(x + 0.5, y + 0.5, corners)], 'Y')
    g.over(star, 18, 0)
    # two sparkles
    for x, y in ((15, 2), (29, 15)):
        g.set(x, y, 'Y')
        g.set(x - 1, y, 'o')
        g.set(x + 1, y, 'o')
        g.set(x, y - 1, 'o')
        g.set(x, y + 1, 'o')
    return g


def point_in_polygon(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        (xi, yi), (xj, yj) = pts[i], pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


DOCUMENT16 = [
    "...kkkkkkkk.....",
    "...kWWWWWWkk....",
    "...kWWWWWWkWk...",
    "...kWssssWkWWk..",
    "...kWWWWWWkkkkk.",
    "...kWssssssssWk.",
    "...kWWWWWWWWWWk.",
    "...kWssssssssWk.",
    "kkkkkkkkWWWWWWk.",
    "kWWWWWWkssssWWk.",
    "kWWWkkkkWWWWWWk.",
    "kWWWWkkkssssWWk.",
    "kWWWkWkkWWWWWWk.",
    "kWWkWWWkWWWWWWk.",
    "kWWWWWWkkkkkkkk.",
    "kkkkkkkk........",
]


def folded_page(g, x0, x1, y1, fold):
    """A white page from x0 to x1 and from the top to y1, its top right corner folded
    down by `fold` pixels; returns the column where the fold starts."""
    xf = x1 - fold
    for y in range(0, y1 + 1):
        for x in range(x0, x1 + 1):
            if x - xf <= y:
                g.set(x, y, 'W')
    g.hline(x0, xf, 0, 'k')
    g.vline(x0, 0, y1, 'k')
    g.hline(x0, x1, y1, 'k')
    g.vline(x1, fold, y1, 'k')
    for i in range(fold + 1):
        g.set(xf + i, i, 'k')
        g.vline(xf + i, i + 1, fold - 1, 's')
    g.vline(xf, 0, fold, 'k')
    g.hline(xf, x1, fold, 'k')
    return xf


def document32():
    """A page with a folded corner and the shortcut arrow."""
    g = Grid(32)
    x0, x1, y1, fold = 6, 28, 30, 7
    xf = folded_page(g, x0, x1, y1, fold)
    for y, right in ((5, 18), (10, 24), (14, 23), (18, 24), (22, 22), (26, 24)):
        g.hline(x0 + 4, right, y, 's')
    # the shortcut arrow in its box
    g.rect(0, 17, 14, 31, 'k')
    g.rect(1, 18, 13, 30, 'W')
    g.rect(6, 20, 11, 21, 'k')
    g.rect(10, 20, 11, 25, 'k')
    for t in range(2):
        g.line(3 + t, 28, 10, 21 + t, 'k')
        g.line(3, 28 - t, 10 - t, 21, 'k')
    return g


WARNING16 = [
    "................",
    ".......kk.......",
    "......kYYk......",
    "......kYYk......",
    ".....kYYYYk.....",
    ".....kYkkYk.....",
    "....kYYkkYYk....",
    "....kYYkkYYk....",
    "...kYYYkkYYYk...",
    "...kYYYkkYYYk...",
    "..kYYYYYYYYYYk..",
    "..kYYYYkkYYYYk..",
    ".kYYYYYkkYYYYYk.",
    ".kYYYYYYYYYYYYk.",
    "kkkkkkkkkkkkkkkk",
    "................",
]


def warning32():
    g = Grid(32)
    pixels = set()
    for y in range(3, 30):
        half = (y - 3) / 2 + 1.0
        for x in range(32):
            if abs(x + 0.5 - 16) <= half:
                pixels.add((x, y))
    g.shape(pixels, 'Y')
    g.rect(14, 10, 17, 21, 'k')
    g.rect(15, 22, 16, 22, 'k')
    g.rect(14, 24, 17, 27, 'k')
    g.set(14, 10, 'Y')
    g.set(17, 10, 'Y')
    g.set(14, 27, 'Y')
    g.set(17, 27, 'Y')
    g.rect(14, 22, 17, 22, 'Y')
    g.rect(15, 21, 16, 22, 'k')
    return g


# ---------------------------------------------------------------------------
# Marshal at 20, 24 and 48 pixels: the 32-pixel designs on each grid.

def marshal_main_n(n):
    """The wizard: folder, wand and star; the wand's shine and the sparkles from 24 up."""
    g = Grid(n)
    folder32(g, 0, sc(n, 10), sc(n, 25), sc(n, 30))
    thick = max(2, sc(n, 3))
    for t in range(thick):
        g.line(sc(n, 9) + t, sc(n, 28), sc(n, 21) + t, sc(n, 11), 'k')
    if n >= 24:
        g.line(sc(n, 10), sc(n, 28), sc(n, 22), sc(n, 11), 'd')
    s = sc(n, 13) | 1
    corners = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = (s / 2 - 0.2) if i % 2 == 0 else s * 0.21
        corners.append((s / 2 + r * math.cos(a), s / 2 + 0.3 + r * math.sin(a)))
    star = Grid(s)
    star.shape([(x, y) for y in range(s) for x in range(s)
                if point_in_polygon(x + 0.5, y + 0.5, corners)], 'Y')
    g.over(star, n - s - sc(n, 1), 0)
    if n >= 24:
        for x, y in ((sc(n, 15), sc(n, 2)), (n - 3, sc(n, 15))):
            g.set(x, y, 'Y')
            for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                g.set(x + a, y + b, 'o')
    return g


def document_n(n):
    """A page with a folded corner and the shortcut arrow in its box."""
    g = Grid(n)
    x0, x1, y1, fold = sc(n, 6), n - 1 - sc(n, 3), n - 2, sc(n, 7)
    xf = folded_page(g, x0, x1, y1, fold)
    for y in range(sc(n, 5), y1 - 1, max(2, sc(n, 4))):
        right = xf - 2 if y <= fold else x1 - 2 - (y % 3)
        g.hline(x0 + max(2, sc(n, 4)), right, y, 's')
    # the shortcut arrow in its box, in the bottom-left corner
    b = sc(n, 15) | 1
    top = n - b
    g.rect(0, top, b - 1, n - 1, 'k')
    g.rect(1, top + 1, b - 2, n - 2, 'W')
    w = 2 if b >= 11 else 1
    tip_x, tip_y = b - 1 - max(2, b // 4), top + max(2, b // 4)
    head = max(3, b // 3)
    g.rect(tip_x - head + 1, tip_y, tip_x, tip_y + w - 1, 'k')
    g.rect(tip_x - w + 1, tip_y, tip_x, tip_y + head - 1, 'k')
    for t in range(w):
        g.line(2 + t, n - 3, tip_x, tip_y + t, 'k')
        g.line(2, n - 3 - t, tip_x - t, tip_y, 'k')
    return g


def folder_icon_n(n):
    g = Grid(n)
    folder32(g, 0, sc(n, 5), n - 1, sc(n, 28))
    return g


def warning_n(n):
    """A yellow warning triangle with a black exclamation mark."""
    g = Grid(n)
    y0, y1 = sc(n, 3), n - 1 - sc(n, 2)
    pixels = set()
    for y in range(y0, y1 + 1):
        half = (y - y0) * (n / 2 - 1.5) / (y1 - y0) + 0.75
        for x in range(n):
            if abs(x + 0.5 - n / 2) <= half:
                pixels.add((x, y))
    g.shape(pixels, 'Y')
    w = max(2, sc(n, 4))
    left = n // 2 - w // 2
    g.rect(left, sc(n, 11), left + w - 1, sc(n, 21), 'k')
    g.rect(left, sc(n, 24), left + w - 1, sc(n, 24) + w - 1, 'k')
    if w >= 4:  # rounded ends
        for x, y in ((left, sc(n, 11)), (left + w - 1, sc(n, 11)), (left, sc(n, 24)),
                     (left + w - 1, sc(n, 24)), (left, sc(n, 24) + w - 1), (left + w - 1, sc(n, 24) + w - 1)):
            g.set(x, y, 'Y')
    return g


def marshal_icons():
    """Icon groups of Marshal.exe by resource id; 'main' is the program's own icon."""
    return {
        'main': sizes(marshal_main16(), marshal_main32(), marshal_main_n),
        101: sizes(art(DOCUMENT16), document32(), document_n),
        102: sizes(art(FOLDER16), folder_icon32(), folder_icon_n),
        103: sizes(art(WARNING16), warning32(), warning_n),
    }


def folder_icon32():
    g = Grid(32)
    folder32(g, 0, 5, 31, 28)
    return g


def wizard_picture():
    """144 x 287: night-blue to teal, a globe above, a lightning bolt of a
    connection, and the Online StartUp folder below, on a faint network."""
    s = 4  # drawn large, then reduced, for smooth edges
    w, h = 144 * s, 287 * s
    top, bottom = (8, 24, 88), (0, 120, 136)
    img = Image.new('RGB', (w, h))
    px = img.load()
    for y in range(h):
        c = mix(top, bottom, y / (h - 1))
        for x in range(w):
            px[x, y] = c
    d = ImageDraw.Draw(img, 'RGBA')

    # faint network in the background: nodes joined by thin lines
    nodes = [(14, 22), (52, 12), (120, 30), (132, 96), (18, 120), (126, 168),
             (10, 200), (40, 268), (110, 250), (138, 274), (76, 150)]
    links = [(0, 1), (1, 2), (2, 3), (0, 4), (4, 10), (3, 5), (10, 5), (4, 6),
             (6, 7), (7, 8), (8, 9), (5, 8), (1, 10)]
    for a, b in links:
        (x0, y0), (x1, y1) = nodes[a], nodes[b]
        d.line((x0 * s, y0 * s, x1 * s, y1 * s), fill=(160, 220, 255, 46), width=s)
    for x, y in nodes:
        d.ellipse(((x - 2) * s, (y - 2) * s, (x + 2) * s, (y + 2) * s), fill=(190, 235, 255, 90))

    # the globe
    gx, gy, gr = 72 * s, 74 * s, 42 * s
    for i in range(gr, 0, -s):
        t = i / gr
        c = mix((120, 200, 255), (10, 60, 170), t)
        off = int((1 - t) * gr * 0.35)
        d.ellipse((gx - i - off, gy - i - off, gx + i - off, gy + i - off), fill=c)
    d.ellipse((gx - gr, gy - gr, gx + gr, gy + gr), outline=(0, 20, 70), width=2 * s)
    grid_colour = (190, 240, 255, 150)
    for k in (-0.5, 0.0, 0.5):  # parallels
        yy = gy + k * gr
        half = math.sqrt(gr * gr - (k * gr) ** 2)
        d.line((gx - half, yy, gx + half, yy), fill=grid_colour, width=s)
    for k in (0.3, 0.7):  # meridians as ellipses
        d.ellipse((gx - gr * k, gy - gr, gx + gr * k, gy + gr), outline=grid_colour, width=s)
    d.line((gx, gy - gr, gx, gy + gr), fill=grid_colour, width=s)
    # a soft highlight
    d.ellipse((gx - gr * 0.7, gy - gr * 0.8, gx - gr * 0.1, gy - gr * 0.35),
              fill=(255, 255, 255, 60))

    # the lightning bolt between globe and folder
    bolt = [(86, 112), (60, 160), (76, 160), (58, 204), (96, 148), (79, 148), (98, 112)]
    d.polygon([(x * s, y * s) for x, y in bolt], fill=(255, 236, 64), outline=(120, 70, 0))
    d.line([(x * s, y * s) for x, y in bolt + bolt[:1]], fill=(130, 80, 0), width=2 * s)
    d.line([(87 * s, 116 * s), (66 * s, 156 * s)], fill=(255, 255, 220, 200), width=s)

    # the folder
    fx0, fy0, fx1, fy1 = 22 * s, 196 * s, 122 * s, 262 * s
    d.rounded_rectangle((fx0, fy0 - 12 * s, fx0 + 38 * s, fy0 + 6 * s), radius=3 * s,
                        fill=(214, 170, 40), outline=(90, 60, 0), width=2 * s)
    d.rectangle((fx0, fy0, fx1, fy1), fill=(214, 170, 40), outline=(90, 60, 0), width=2 * s)
    # pages in the folder
    d.rectangle((fx0 + 10 * s, fy0 - 6 * s, fx1 - 14 * s, fy0 + 12 * s), fill=(250, 250, 244),
                outline=(120, 120, 120), width=s)
    d.rectangle((fx0 + 16 * s, fy0 - 2 * s, fx1 - 6 * s, fy0 + 14 * s), fill=(255, 255, 255),
                outline=(120, 120, 120), width=s)
    # the front flap, leaning forward
    flap = [(fx0 - 4 * s, fy0 + 12 * s), (fx1 + 4 * s, fy0 + 12 * s), (fx1, fy1), (fx0, fy1)]
    d.polygon(flap, fill=(250, 210, 70), outline=(90, 60, 0))
    d.line(flap + flap[:1], fill=(90, 60, 0), width=2 * s)
    d.line((fx0 - 2 * s, fy0 + 15 * s, fx1 + 2 * s, fy0 + 15 * s), fill=(255, 240, 170), width=2 * s)
    # the bolt's emblem on the flap
    emblem = [(76, 218), (64, 236), (71, 236), (64, 252), (82, 231), (74, 231), (80, 218)]
    d.polygon([(x * s, y * s) for x, y in emblem], fill=(30, 90, 200))

    return img.resize((144, 287), Image.LANCZOS)


# ---------------------------------------------------------------------------

def sheet(rows, path):
    """Contact sheet: each image at its own size and enlarged (nearest neighbour)
    on a menu-grey and a highlight-navy background."""
    pad = 6
    tiles = []
    for name, images in rows:
        line = []
        for img in images:
            if isinstance(img, Grid):
                img = img.image()
            img = img.convert('RGBA')
            scale = max(1, 128 // max(img.width, img.height)) if img.width <= 32 else 2
            for bg, s in (((192, 192, 192), 1), ((192, 192, 192), scale), ((0, 0, 128), scale)):
                big = img.resize((img.width * s, img.height * s), Image.NEAREST)
                tile = Image.new('RGBA', big.size, bg + (255,))
                tile.alpha_composite(big)
                line.append(tile.convert('RGB'))
        tiles.append((name, line))
    width = max(sum(t.width + pad for t in line) for _, line in tiles) + pad
    height = sum(max(t.height for t in line) + 16 + pad for _, line in tiles) + pad
    out = Image.new('RGB', (width, height), (70, 70, 70))
    draw = ImageDraw.Draw(out)
    y = pad
    for name, line in tiles:
        draw.text((pad, y), name, fill=(255, 255, 255))
        x = pad
        for t in line:
            out.paste(t, (x, y + 14))
            x += t.width + pad
        y += max(t.height for t in line) + 16 + pad
    out.save(path)


def main(argv):
    sheet_path = None
    if len(argv) == 2 and argv[0] == '--sheet':
        sheet_path = argv[1]
    elif argv:
        sys.exit(__doc__)
    os.makedirs(LOOKOUT_DIR, exist_ok=True)
    os.makedirs(MARSHAL_DIR, exist_ok=True)
    rows = []
    for folder, name, icons in ((LOOKOUT_DIR, 'Lookout', lookout_icons()),
                                (MARSHAL_DIR, 'Marshal', marshal_icons())):
        for rid, grids in icons.items():
            write_ico(os.path.join(folder, '%s.ico' % rid), grids)
            rows.append(('%s icon %s' % (name, rid), grids))
    bar = sidebar()
    write_bmp(os.path.join(LOOKOUT_DIR, 'sidebar.bmp'), bar)
    picture = wizard_picture()
    write_bmp(os.path.join(MARSHAL_DIR, 'wizard.bmp'), picture)
    if sheet_path:
        base, ext = os.path.splitext(sheet_path)
        pages = [rows[i:i + 6] for i in range(0, len(rows), 6)]
        pages.append([('Lookout bitmap 101 (side bar), Marshal bitmap 101 (wizard)', [bar, picture])])
        for n, page in enumerate(pages, 1):
            sheet(page, '%s-%d%s' % (base, n, ext))


if __name__ == '__main__':
    main(sys.argv[1:])
