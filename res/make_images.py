#!/usr/bin/env python3
"""Draws the pictures of Trelvista's resource script and writes them as files.

    make_images.py OUTPUT_FOLDER

writes toolbar.bmp, find.bmp, tree.bmp, trelvista.ico and linkhand.cur into
OUTPUT_FOLDER. Every picture is drawn here from pixel art and simple shapes,
so the tree holds no binary files and the build makes them afresh. The output
depends on nothing but this script: the same bytes come out on every run.
"""

import math
import os
import struct
import sys

# The toolbar and tree strips are loaded as image lists whose mask colour is
# the strip's top-left pixel: every background pixel of a strip, that one
# among them, is exactly this colour, and no picture uses it.
MASK = (255, 0, 255)
# The find button shows its bitmap as it is (no mask); the button face of
# current systems is this grey.
BUTTON_FACE = (240, 240, 240)

WHITE = (255, 255, 255)
OUTLINE = (40, 40, 48)
GREY_DARK = (96, 96, 104)
GREY = (160, 160, 168)
GREY_LIGHT = (208, 208, 214)
GREY_PALE = (232, 232, 236)
BLUE_DARK = (16, 48, 128)
BLUE = (40, 96, 200)
BLUE_LIGHT = (120, 170, 240)
BLUE_PALE = (200, 224, 255)
GREEN_DARK = (16, 96, 32)
GREEN = (48, 168, 64)
GREEN_LIGHT = (128, 216, 128)
ORANGE = (240, 144, 32)
RED = (208, 48, 40)
BROWN = (120, 72, 24)
YELLOW_DARK = (184, 136, 24)
YELLOW = (248, 200, 64)
YELLOW_LIGHT = (255, 232, 144)


class Picture:
    """A grid of RGB colours in which None marks a transparent pixel."""

    def __init__(self, width, height, fill=None):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle whose corners (both included) are given."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def shape(self, inside, colour):
        """Paints every pixel whose centre passes the test inside(x, y).

        The colour may be a function of the centre, for shaded shapes."""
        for y in range(self.height):
            for x in range(self.width):
                cx, cy = x + 0.5, y + 0.5
                if inside(cx, cy):
                    self.put(x, y, colour(cx, cy) if callable(colour) else colour)

    def art(self, x0, y0, lines, palette):
        """Paints pixel art: one character a pixel, '.' leaves the pixel."""
        for dy, line in enumerate(lines):
            for dx, ch in enumerate(line):
                if ch != '.':
                    self.put(x0 + dx, y0 + dy, palette[ch])

    def outline(self, colour):
        """Puts a one-pixel border around everything painted so far: every
        transparent pixel next to a painted one (sideways or up and down)."""
        edge = []
        for y in range(self.height):
            for x in range(self.width):
                if self.rows[y][x] is not None:
                    continue
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                    if 0 <= nx < self.width and 0 <= ny < self.height \
                            and self.rows[ny][nx] is not None:
                        edge.append((x, y))
                        break
        for x, y in edge:
            self.rows[y][x] = colour

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                colour = other.rows[y][x]
                if colour is not None:
                    self.put(x0 + x, y0 + y, colour)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_in, r_out):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def angle_of(cx, cy, x, y):
    """Angle of a point around a centre in degrees 0..360, counter-clockwise
    from the right as seen on screen (screen y grows downwards)."""
    return math.degrees(math.atan2(cy - y, x - cx)) % 360.0


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside


# Toolbar strip: back, read, read folder size.

def draw_back():
    """A green arrow pointing up, its shaft bending off to the right: up to
    the parent folder."""
    p = Picture(16, 16)
    p.art(0, 0, [
        "................",
        ".....K..........",
        "....KLK.........",
        "...KLGGK........",
        "..KLGGGGK.......",
        ".KLGGGGGGK......",
        ".KKKLGGKKK......",
        "...KLGGK........",
        "...KLGGK........",
        "...KLGGK........",
        "...KLGGKKKKKKK..",
        "...KLGGGGGGGGGK.",
        "...KGGGGGGGGGGK.",
        "....KDDDDDDDDDK.",
        ".....KKKKKKKKKK.",
        "................",
    ], {'K': GREEN_DARK, 'G': GREEN, 'L': GREEN_LIGHT, 'D': GREEN_DARK})
    return p


def draw_read():
    """A blue circular arrow: read the folder again."""
    p = Picture(16, 16)
    cx, cy = 8.0, 8.8
    # The arc runs clockwise from the right side over the bottom and the
    # left up to the top, where the arrow head points to the right, into the
    # open quarter at the upper right.
    arc = ring(cx, cy, 3.5, 5.4)
    p.shape(lambda x, y: arc(x, y) and 95.0 <= angle_of(cx, cy, x, y) <= 345.0, BLUE)
    p.shape(triangle((7.6, 1.2), (7.6, 8.0), (12.6, 4.6)), BLUE)
    p.outline(BLUE_DARK)
    return p


def draw_folder_size():
    """A small pie chart, the picture of the size chart view."""
    p = Picture(16, 16)
    cx, cy = 8.0, 8.0

    def slice_colour(x, y):
        a = angle_of(cx, cy, x, y)
        if 20.0 <= a < 130.0:
            return ORANGE
        if 130.0 <= a < 200.0:
            return GREEN
        return BLUE
    p.shape(disc(cx, cy, 6.2), slice_colour)
    p.outline(OUTLINE)
    return p


# Find button: a magnifying glass on the button face.

def draw_find():
    p = Picture(16, 16)
    cx, cy = 6.0, 6.0
    p.shape(disc(cx, cy, 3.6), BLUE_PALE)
    p.put(4, 4, WHITE)
    p.put(5, 4, WHITE)
    p.put(4, 5, WHITE)
    p.shape(ring(cx, cy, 3.6, 5.0), GREY_DARK)
    # The handle: a thick bar running down to the lower right corner.
    for i in range(5):
        x, y = 9 + i, 9 + i
        p.rect(x, y, x + 1, y + 1, BROWN)
    p.outline(OUTLINE)
    out = Picture(16, 16, BUTTON_FACE)
    out.paste(p, 0, 0)
    return out


# Tree strip: Drives (a computer), fixed disk, CD-ROM, removable drive,
# network drive, folder.

def draw_computer():
    p = Picture(16, 16)
    p.art(0, 0, [
        "................",
        ".KKKKKKKKKKKKKK.",
        ".KGGGGGGGGGGGGK.",
        ".KGKKKKKKKKKKGK.",
        ".KGKBBBBBBBLKGK.",
        ".KGKBBBBBBLBKGK.",
        ".KGKBBBBBLBBKGK.",
        ".KGKBBBBLBBBKGK.",
        ".KGKBBBLBBBBKGK.",
        ".KGKKKKKKKKKKGK.",
        ".KGGGGGGGGGGGGK.",
        ".KKKKKKKKKKKKKK.",
        "......KGGK......",
        "...KKKKKKKKKK...",
        "...KWWWWWWWWK...",
        "...KKKKKKKKKK...",
    ], {'K': OUTLINE, 'G': GREY_LIGHT, 'B': BLUE, 'L': BLUE_LIGHT, 'W': GREY_PALE})
    return p


DRIVE_BOX = [
    "..KKKKKKKKKKKK..",
    ".KWWWWWWWWWWWWK.",
    ".KLLLLLLLLLLLLK.",
    ".KKKKKKKKKKKKKK.",
    ".KMMMMMMMMMMMMK.",
    ".KMDDDDDDDMMEMK.",
    ".KMMMMMMMMMMMMK.",
    "..KKKKKKKKKKKK..",
]
DRIVE_COLOURS = {'K': OUTLINE, 'W': GREY_PALE, 'L': GREY_LIGHT, 'M': GREY,
                 'D': GREY_DARK, 'E': GREEN_LIGHT}


def draw_fixed_disk():
    p = Picture(16, 16)
    p.art(0, 4, DRIVE_BOX, DRIVE_COLOURS)
    return p


def draw_cdrom():
    """A silver disc with a faint rainbow sheen and a hole in the middle."""
    p = Picture(16, 16)
    cx, cy = 8.0, 8.0

    def sheen(x, y):
        a = math.radians(angle_of(cx, cy, x, y))
        # Two light bands opposite each other, tinted by angle.
        base = 200 + int(40 * abs(math.cos(a)))
        tint = (int(24 * math.sin(a)), int(24 * math.sin(a + 2.1)), int(24 * math.sin(a + 4.2)))
        return tuple(max(0, min(255, base + t)) for t in tint)
    p.shape(ring(cx, cy, 2.2, 6.5), sheen)
    p.shape(ring(cx, cy, 2.2, 3.0), GREY)
    # The outline also rims the hole, which stays see-through.
    p.outline(GREY_DARK)
    return p


def draw_removable():
    """A memory stick lying on its side, plug to the left."""
    p = Picture(16, 16)
    p.art(0, 0, [
        "................",
        "................",
        "................",
        "................",
        "................",
        ".....KKKKKKKKK..",
        "KKKKKKBBBBBBBBK.",
        "KWWWWKBLLLLLLBBK",
        "KWKWKKBBBBBBBBBK",
        "KWWWWKBBBBBBBBBK",
        "KKKKKKBBBBBBBBK.",
        ".....KKKKKKKKK..",
        "................",
        "................",
        "................",
        "................",
    ], {'K': OUTLINE, 'W': GREY_PALE, 'B': BLUE, 'L': BLUE_LIGHT})
    return p


def draw_network():
    """A drive box on a network cable."""
    p = Picture(16, 16)
    p.art(0, 1, DRIVE_BOX, DRIVE_COLOURS)
    p.art(0, 9, [
        "......KGGK......",
        "......KGGK......",
        "......KGGK......",
        ".KKKKKKGGKKKKKK.",
        ".KGGGGGGGGGGGGK.",
        ".KKKKKKKKKKKKKK.",
    ], {'K': GREEN_DARK, 'G': GREEN})
    return p


def draw_folder():
    p = Picture(16, 16)
    p.art(0, 0, [
        "................",
        "................",
        "................",
        ".KKKKK..........",
        "KLLLLLK.........",
        "KYYYYYYKKKKKKKK.",
        "KLLLLLLLLLLLLLLK",
        "KYYYYYYYYYYYYYYK",
        "KYYYYYYYYYYYYYYK",
        "KYYYYYYYYYYYYYYK",
        "KYYYYYYYYYYYYYYK",
        "KYYYYYYYYYYYYYYK",
        "KYYYYYYYYYYYYYYK",
        "KDDDDDDDDDDDDDDK",
        ".KKKKKKKKKKKKKK.",
        "................",
    ], {'K': BROWN, 'L': YELLOW_LIGHT, 'Y': YELLOW, 'D': YELLOW_DARK})
    return p


def strip(cells, background):
    out = Picture(16 * len(cells), 16, background)
    for i, cell in enumerate(cells):
        assert all(c != background for row in cell.rows for c in row)
        out.paste(cell, 16 * i, 0)
    assert out.get(0, 0) == background
    return out


# Program icon: a window split into a tree pane of folders and a list pane
# of rows, one of them selected.
ICON_COLOURS = {'K': BLUE_DARK, 'B': BLUE, 'L': BLUE_LIGHT, 'R': RED, 'G': GREY_LIGHT,
                'g': GREY_DARK, 'W': WHITE, 'Y': YELLOW_LIGHT, 'F': YELLOW_DARK,
                'P': BLUE_PALE, 'b': BLUE}
ICON_32 = [
    "................................",
    "................................",
    "................................",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK.",
    ".KLLLLLLLLLLLLLLLLLLLLLLLLLLLLK.",
    ".KBBBBBBBBBBBBBBBBBBBBBBBRRRRBK.",
    ".KBBBBBBBBBBBBBBBBBBBBBBBRRRRBK.",
    ".KBBBBBBBBBBBBBBBBBBBBBBBRRRRBK.",
    ".KBBBBBBBBBBBBBBBBBBBBBBBBBBBBK.",
    ".KGGGGGGGGGGGggggggggggggggggGK.",
    ".KGggGggGGGGGWWWWWWWWWWWWWWWWGK.",
    ".KGGGGGGGGGGGWWWWWWWWWWWWWWWWGK.",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK.",
    ".KYYYYYYYYYYKWWWWWWWWWWWWWWWWWK.",
    ".KYFFYYYYYYYKWbbWWWWWWWWWWWWWWK.",
    ".KYFFFFYYYYYKWbbWgggggggggggWWK.",
    ".KYFFFFYYYYYKPPPPPPPPPPPPPPPPPK.",
    ".KYYgYYYYYYYKPbbPPPPPPPPPPPPPPK.",
    ".KYYgYFFYYYYKPbbPggggggggPPPPPK.",
    ".KYYggFFFFYYKPPPPPPPPPPPPPPPPPK.",
    ".KYYgYFFFFYYKWbbWWWWWWWWWWWWWWK.",
    ".KYYgYYYYYYYKWbbWgggggggggggWWK.",
    ".KYYgYFFYYYYKWWWWWWWWWWWWWWWWWK.",
    ".KYYggFFFFYYKWbbWWWWWWWWWWWWWWK.",
    ".KYYYYFFFFYYKWbbWggggggggWWWWWK.",
    ".KYYYYYYYYYYKWWWWWWWWWWWWWWWWWK.",
    ".KYYYYYYYYYYKWbbWWWWWWWWWWWWWWK.",
    ".KYYYYYYYYYYKWbbWgggggggggggWWK.",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK.",
    "................................",
    "................................",
    "................................",
]
ICON_16 = [
    "................",
    "KKKKKKKKKKKKKKKK",
    "KBBBBBBBBBBBRRBK",
    "KBBBBBBBBBBBBBBK",
    "KYYYYYKWWWWWWWWK",
    "KFFYYYKWbWggggWK",
    "KFFYYYKWWWWWWWWK",
    "KYYYYYKPbPgggPPK",
    "KYFFYYKPPPPPPPPK",
    "KYFFYYKWbWggggWK",
    "KYYYYYKWWWWWWWWK",
    "KYFFYYKWbWgggWWK",
    "KYFFYYKWWWWWWWWK",
    "KYYYYYKWWWWWWWWK",
    "KKKKKKKKKKKKKKKK",
    "................",
]


def draw_icon(art):
    p = Picture(len(art[0]), len(art))
    p.art(0, 0, art, ICON_COLOURS)
    return p


# Link cursor of the Info dialog: a hand with the index finger up. Its hot
# spot is the top of the fingertip.
HAND_HOTSPOT = (12, 7)
HAND = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "...........XXX..................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooXXXX..............",
    "..........XoooXoooXXXX..........",
    "..........XoooXoooXoooX.........",
    "..........XoooXoooXoooXXX.......",
    "......XX..XoooXoooXoooXooX......",
    ".....XooX.XoooXoooXoooXooX......",
    ".....XooooXoooXoooXoooXooX......",
    ".....XoooooooooooooooooooX......",
    "......XooooooooooooooooooX......",
    "......XooooooooooooooooooX......",
    ".......XoooooooooooooooooX......",
    ".......XooooooooooooooooX.......",
    "........XoooooooooooooooX.......",
    "........XooooooooooooooX........",
    ".........XoooooooooooooX........",
    ".........XXXXXXXXXXXXXXX........",
    "................................",
    "................................",
    "................................",
]


# File formats. All rows of the bitmap formats are stored bottom-up.

def bmp_bytes(picture):
    """A 24-bit Windows bitmap file."""
    stride = (picture.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(picture.height)):
        row = bytearray()
        for x in range(picture.width):
            r, g, b = picture.get(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        pixels += row
    info = struct.pack('<IiiHHIIiiII', 40, picture.width, picture.height, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return head + info + pixels


def mask_rows(width, height, bit):
    """The rows of a one-bit mask, bottom-up and padded to 32 bits, with a
    pixel's bit set where bit(x, y) is true."""
    stride = ((width + 31) // 32) * 4
    data = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if bit(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return data


def icon_image(picture):
    """One image of an icon file: a 32-bit colour image with alpha, followed
    by the AND mask that older systems use for transparency."""
    colours = bytearray()
    for y in reversed(range(picture.height)):
        for x in range(picture.width):
            c = picture.get(x, y)
            colours += bytes((0, 0, 0, 0)) if c is None else bytes((c[2], c[1], c[0], 255))
    mask = mask_rows(picture.width, picture.height, lambda x, y: picture.get(x, y) is None)
    info = struct.pack('<IiiHHIIiiII', 40, picture.width, picture.height * 2, 1, 32, 0,
                       len(colours) + len(mask), 0, 0, 0, 0)
    return info + colours + mask


def ico_bytes(pictures):
    images = [icon_image(p) for p in pictures]
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    for picture, image in zip(pictures, images):
        out += struct.pack('<BBBBHHII', picture.width % 256, picture.height % 256, 0, 0,
                           1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def cur_bytes(art, hotspot):
    """A monochrome cursor file from art of 'X' (black), 'o' (white) and '.'
    (transparent). The AND mask is 0 where the cursor shows; the XOR mask then
    picks white (1) or black (0)."""
    height, width = len(art), len(art[0])
    xor = mask_rows(width, height, lambda x, y: art[y][x] == 'o')
    and_ = mask_rows(width, height, lambda x, y: art[y][x] == '.')
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    info = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 1, 0,
                       len(xor) + len(and_), 0, 0, 2, 2)
    image = info + palette + xor + and_
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', width, height, 2, 0, hotspot[0], hotspot[1],
                        len(image), 6 + 16)
    return head + entry + image


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_images.py OUTPUT_FOLDER\n")
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    assert all(len(line) == 32 for line in HAND) and len(HAND) == 32
    assert HAND[HAND_HOTSPOT[1]][HAND_HOTSPOT[0]] == 'X'
    files = {
        'toolbar.bmp': bmp_bytes(strip([draw_back(), draw_read(), draw_folder_size()], MASK)),
        'find.bmp': bmp_bytes(draw_find()),
        'tree.bmp': bmp_bytes(strip([draw_computer(), draw_fixed_disk(), draw_cdrom(),
                                     draw_removable(), draw_network(), draw_folder()], MASK)),
        'trelvista.ico': ico_bytes([draw_icon(ICON_16), draw_icon(ICON_32)]),
        'linkhand.cur': cur_bytes(HAND, HAND_HOTSPOT),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
