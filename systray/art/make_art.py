#!/usr/bin/env python3
"""Draws Lumicon's pictures: the control's face "BACK" (38 x 38, 24-bit), its
toolbox image (16 x 15, 24-bit) and the default icon "A_MAIN" (16 x 16 in 16
and in 256 colours, 32 x 32 and 48 x 48 in 256 colours, and for screens above
96 DPI 20, 24, 32, 40 and 48 pixels in 32-bit colour with alpha).

Usage: make_art.py OUTPUT_FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "art"))
from iconart import write_bitmap, write_icon  # noqa: E402

NAVY = (0x1F, 0x3A, 0x68)
BLUE = (0x3C, 0x78, 0xC8)
AMBER = (0xF2, 0xA5, 0x1A)
WHITE = (0xFF, 0xFF, 0xFF)
BUTTON_FACE = (0xC0, 0xC0, 0xC0)


def rounded_box(x, y, left, top, right, bottom, radius):
    """True inside the rectangle with rounded corners."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def emblem(x, y):
    """A notification area: a blue tray with an amber icon lit in it."""
    if (x - 0.42) ** 2 + (y + 0.38) ** 2 <= 0.30 ** 2:
        return AMBER
    if not rounded_box(x, y, -0.95, -0.35, 0.95, 0.85, 0.25):
        return None
    if not rounded_box(x, y, -0.80, -0.20, 0.80, 0.70, 0.15):
        return NAVY
    if abs(y - 0.25) <= 0.12 and -0.60 <= x <= 0.20:
        return WHITE
    return BLUE


def on_button_face(drawing, scale):
    """The drawing shrunk to scale, on the button face of a form or toolbox."""
    def face(x, y):
        colour = drawing(x / scale, y / scale)
        return BUTTON_FACE if colour is None else colour
    return face


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_bitmap(os.path.join(folder, "back.bmp"), on_button_face(emblem, 0.8), 38, 38)
    write_bitmap(os.path.join(folder, "toolbox.bmp"), on_button_face(emblem, 0.9), 16, 15)
    write_icon(os.path.join(folder, "a_main.ico"), [(emblem, 16, 4), (emblem, 16, 8), (emblem, 32, 8), (emblem, 48, 8)]
               + [(emblem, size, 32) for size in (20, 24, 32, 40, 48)])


if __name__ == "__main__":
    main()
