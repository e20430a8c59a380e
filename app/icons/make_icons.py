#!/usr/bin/env python3
"""Draws Veilmark's icons and writes them as .ico files.

Usage: make_icons.py OUTPUT_FOLDER

Every icon is a list of images; an image is a drawing rendered at one size and
encoded at one colour depth (drawings as scripts/art/iconart.py describes).
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "art"))
from iconart import write_icon  # noqa: E402

DARK_PURPLE = (0x3B, 0x17, 0x5C)
PURPLE = (0x7E, 0x3F, 0xB0)
LIGHT_PURPLE = (0xC4, 0x9B, 0xE8)
DARK_GREEN = (0x1E, 0x6B, 0x2A)
GREEN = (0x4C, 0xB8, 0x4F)
WARNING_YELLOW = (0xFF, 0xD8, 0x00)
WARNING_RED = (0xC0, 0x10, 0x10)
WARNING_BLACK = (0x10, 0x10, 0x10)


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


def warning_triangle(x, y, inset):
    """A triangle standing on the lower edge of the icon's right half, drawn `inset` smaller."""
    apex, base, centre, half_width = -0.12 + 2 * inset, 1.0 - inset, 0.46, 0.54 - 1.7 * inset
    return apex <= y <= base and abs(x - centre) <= half_width * (y - apex) / (base - apex)


def with_warning(drawing):
    """The drawing under a warning mark: a yellow triangle edged in red with a
    black exclamation mark, big enough to read at 16 pixels."""
    def warned(x, y):
        if not warning_triangle(x, y, 0.0):
            return drawing(x, y)
        if not warning_triangle(x, y, 0.12):
            return WARNING_RED
        if abs(x - 0.46) <= 0.08 and (0.28 <= y <= 0.62 or 0.72 <= y <= 0.86):
            return WARNING_BLACK
        return WARNING_YELLOW
    return warned


# The sizes of a small icon at 125 % to 300 % of 96 DPI, in full colour with
# alpha; the older images stay first for shells that know no better.
SCALED_SIZES = (20, 24, 32, 40, 48)


def scaled(drawing):
    return [(drawing, size, 32) for size in SCALED_SIZES]


ICONS = {
    "a_main.ico": [(emblem, 16, 24), (emblem, 32, 24)] + scaled(emblem),
    "tray_on.ico": [(emblem, 16, 4), (emblem, 16, 24)] + scaled(emblem),
    "tray_off.ico": [(greyed(emblem), 16, 4), (greyed(emblem), 16, 24)] + scaled(greyed(emblem)),
    # Forwarding on in the file while the running Privoxy sends pages without Tor.
    "tray_not_through_tor.ico": [(with_warning(emblem), 16, 4), (with_warning(emblem), 16, 24)]
    + scaled(with_warning(emblem)),
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
