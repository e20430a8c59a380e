#!/usr/bin/env python3
"""Draws Veilmark's icons and writes them as .ico files.

Usage: make_icons.py OUTPUT_FOLDER

Every icon is a list of images; an image is a drawing rendered at one size and
encoded at one colour depth. Drawings are functions of a point in the unit
square (-1..1 on both axes, y downwards) that return an RGB colour, or None
where the icon is transparent.
"""

import math
import os
import struct
import sys

DARK_PURPLE = (0x3B, 0x17, 0x5C)
PURPLE = (0x7E, 0x3F, 0xB0)
LIGHT_PURPLE = (0xC4, 0x9B, 0xE8)
DARK_GREEN = (0x1E, 0x6B, 0x2A)
GREEN = (0x4C, 0xB8, 0x4F)

SAMPLES = 4  # per pixel and axis: edges follow the shape, not the grid


def onion_outline(x, y, scale):
    """True inside an onion bulb: a circle drawn up to a point at the top."""
    centre_y, radius, apex_y = 0.22, 0.70 * scale, 0.22 - 0.95 * scale
    dx, dy = x, y - centre_y
    if dy >= 0:
        return dx * dx + dy * dy <= radius * radius
    if y < apex_y:
        return False
    rise = (y - apex_y) / (centre_y - apex_y)
    return abs(dx) <= radius * math.sin(rise * math.pi / 2) ** 1.6


def leaf(x, y):
    """A leaf sprouting to the upper right of the bulb's tip."""
    angle = math.radians(-35)
    lx, ly = x - 0.22, y + 0.78
    u = lx * math.cos(angle) + ly * math.sin(angle)
    v = -lx * math.sin(angle) + ly * math.cos(angle)
    return (u / 0.30) ** 2 + (v / 0.11) ** 2 <= 1


def emblem(x, y):
    """The program's emblem: a purple onion with a green leaf."""
    if leaf(x, y):
        return GREEN if y > -0.80 else DARK_GREEN
    if not onion_outline(x, y, 1.0):
        return None
    if not onion_outline(x, y, 0.84):
        return DARK_PURPLE
    if onion_outline(x, y, 0.56) and not onion_outline(x, y, 0.44):
        return LIGHT_PURPLE
    if onion_outline(x, y, 0.22):
        return LIGHT_PURPLE
    return PURPLE


# Each colour of the emblem has its grey, apart enough that the 16-colour
# palette's four greys still tell outline, body and rings apart.
GREY_OF = {DARK_PURPLE: 0x38, PURPLE: 0x90, LIGHT_PURPLE: 0xD0, DARK_GREEN: 0x70, GREEN: 0xB0}


def greyed(drawing):
    """The drawing in greys: the look of "off"."""
    def grey(x, y):
        colour = drawing(x, y)
        return None if colour is None else (GREY_OF[colour],) * 3
    return grey


def render(drawing, size):
    """Rows of pixels, top row first; each the colour most samples agree on."""
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            votes = {}
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column + (sx + 0.5) / SAMPLES) / size * 2 - 1
                    y = (row + (sy + 0.5) / SAMPLES) / size * 2 - 1
                    colour = drawing(x, y)
                    votes[colour] = votes.get(colour, 0) + 1
            pixels.append(max(votes, key=lambda colour: (votes[colour], colour is not None)))
        rows.append(pixels)
    return rows


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def and_mask(rows):
    """1 bit per pixel, bottom row first: set where the icon is transparent."""
    mask = b""
    for pixels in reversed(rows):
        bits = bytearray((len(pixels) + 7) // 8)
        for column, colour in enumerate(pixels):
            if colour is None:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += padded(bytes(bits))
    return mask


def encode_24_bit(rows):
    """Colour bits of a 24-bit image, bottom row first, blue-green-red."""
    data = b""
    for pixels in reversed(rows):
        line = b"".join(bytes(reversed(colour)) if colour else b"\0\0\0" for colour in pixels)
        data += padded(line)
    return data, b""


# The standard 16-colour palette, red-green-blue.
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def nearest_in_palette(colour):
    return min(range(len(VGA_PALETTE)),
               key=lambda index: sum((a - b) ** 2 for a, b in zip(VGA_PALETTE[index], colour)))


def encode_4_bit(rows):
    """Colour bits of a 16-colour image, two pixels a byte, bottom row first."""
    data = b""
    for pixels in reversed(rows):
        indices = [nearest_in_palette(colour) if colour else 0 for colour in pixels]
        indices += [0] * (len(indices) % 2)
        data += padded(bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2)))
    palette = b"".join(bytes((blue, green, red, 0)) for red, green, blue in VGA_PALETTE)
    return data, palette


ENCODERS = {4: encode_4_bit, 24: encode_24_bit}


def icon_image(drawing, size, depth):
    """One image of an icon file: header, palette, colour bits, AND mask."""
    rows = render(drawing, size)
    colours, palette = ENCODERS[depth](rows)
    mask = and_mask(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(colours) + len(mask), 0, 0,
                         len(palette) // 4, 0)
    return header + palette + colours + mask


def write_icon(path, images):
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for drawing, size, depth in images:
        blob = icon_image(drawing, size, depth)
        palette_size = 1 << depth if depth < 8 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, palette_size % 256, 0, 1, depth, len(blob),
                               offset + len(blobs))
        blobs += blob
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)) + entries + blobs)


ICONS = {
    "a_main.ico": [(emblem, 16, 24), (emblem, 32, 24)],
    "tray_on.ico": [(emblem, 16, 4), (emblem, 16, 24)],
    "tray_off.ico": [(greyed(emblem), 16, 4), (greyed(emblem), 16, 24)],
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, images in ICONS.items():
        write_icon(os.path.join(folder, name), images)


if __name__ == "__main__":
    main()
