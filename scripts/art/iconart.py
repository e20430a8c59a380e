"""Renders drawings into Windows icon (.ico) and bitmap (.bmp) files.

A drawing is a function of a point of the unit square (-1..1 on both axes,
y downwards) that returns an RGB colour, or None where it is transparent.
Used at build time by the scripts that draw each program's art; no binary art
is kept in the repository.
"""

import struct

SAMPLES = 4  # per pixel and axis: edges follow the shape, not the grid


def samples(drawing, width, height):
    """Rows of pixels, top row first; each the list of colours sampled in it."""
    return [[[drawing((column + (sx + 0.5) / SAMPLES) / width * 2 - 1, (row + (sy + 0.5) / SAMPLES) / height * 2 - 1)
              for sy in range(SAMPLES) for sx in range(SAMPLES)]
             for column in range(width)]
            for row in range(height)]


def majority(colours):
    """The colour most samples agree on: a pixel with no alpha is all or nothing."""
    votes = {}
    for colour in colours:
        votes[colour] = votes.get(colour, 0) + 1
    return max(votes, key=lambda colour: (votes[colour], colour is not None))


def blended(colours):
    """The samples' mean colour with their coverage as alpha; None where nothing is drawn."""
    drawn = [colour for colour in colours if colour is not None]
    if not drawn:
        return None
    return tuple(round(sum(channel) / len(drawn)) for channel in zip(*drawn)) + (
        round(255 * len(drawn) / len(colours)),)


def render(drawing, width, height=None, pixel=majority):
    """Rows of pixels, top row first, each made of its samples by `pixel`."""
    return [[pixel(colours) for colours in row] for row in samples(drawing, width, height or width)]


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


def encode_32_bit(rows):
    """Colour bits of a 32-bit image with alpha, bottom row first, blue-green-red-alpha."""
    data = b""
    for pixels in reversed(rows):
        data += b"".join(bytes((blue, green, red, alpha)) for red, green, blue, alpha in
                         (pixel or (0, 0, 0, 0) for pixel in pixels))
    return data, b""


# The standard 16-colour palette, red-green-blue.
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# 256 colours: the 16 standard ones, a 6x6x6 colour cube and a ramp of greys.
PALETTE_256 = (VGA_PALETTE + [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
               + [(level * 10 + 8,) * 3 for level in range(24)])


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda index: sum((a - b) ** 2 for a, b in zip(palette[index], colour)))


def encode_indexed(rows, palette, bits):
    """Colour bits of a palette image of 4 or 8 bits a pixel, bottom row first."""
    per_byte = 8 // bits
    data = b""
    for pixels in reversed(rows):
        indices = [nearest(palette, colour) if colour else 0 for colour in pixels]
        indices += [0] * (-len(indices) % per_byte)
        line = bytes(sum(indices[i + k] << (8 - bits * (k + 1)) for k in range(per_byte))
                     for i in range(0, len(indices), per_byte))
        data += padded(line)
    return data, b"".join(bytes((blue, green, red, 0)) for red, green, blue in palette)


ENCODERS = {
    4: lambda rows: encode_indexed(rows, VGA_PALETTE, 4),
    8: lambda rows: encode_indexed(rows, PALETTE_256, 8),
    24: encode_24_bit,
    32: encode_32_bit,
}


def dib(rows, depth, height_factor=1, extra=b""):
    """A bitmap header, palette and colour bits (plus the icon's AND mask)."""
    colours, palette = ENCODERS[depth](rows)
    width, height = len(rows[0]), len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * height_factor, 1, depth, 0, len(colours) + len(extra),
                         0, 0, len(palette) // 4, 0)
    return header + palette + colours + extra


def write_icon(path, images):
    """images: (drawing, size, depth) for every image the icon holds; 32-bit
    images carry alpha, so their edges blend into whatever is behind them."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for drawing, size, depth in images:
        rows = render(drawing, size, pixel=blended if depth == 32 else majority)
        blob = dib(rows, depth, 2, and_mask(rows))
        palette_size = 1 << depth if depth < 8 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, palette_size % 256, 0, 1, depth, len(blob),
                               offset + len(blobs))
        blobs += blob
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)) + entries + blobs)


def write_bitmap(path, drawing, width, height, depth=24):
    """A .bmp file; where the drawing is transparent it is black."""
    image = dib(render(drawing, width, height), depth)
    palette_length = 4 << depth if depth <= 8 else 0
    with open(path, "wb") as out:
        out.write(struct.pack("<2sIHHI", b"BM", 14 + len(image), 0, 0, 14 + 40 + palette_length) + image)
