#!/usr/bin/env python3
"""Draws the application icon, a pair of opposed arrows on a rounded square,
and writes it as res/mensurator.ico (or to the path given as the argument).

The artwork is computed per pixel from shapes in a unit square, so every size
shows the same design. Each pixel is supersampled; the samples decide its
colour and how much of it is covered. The output depends on nothing but this
file, so running it again gives the same bytes."""

import os
import struct
import sys

SUPERSAMPLE = 8

OUTSIDE, BORDER, FILL, UPPER_ARROW, LOWER_ARROW = range(5)

# True-colour look of each part of the artwork.
PART_RGB = {
    BORDER: (22, 62, 128),
    FILL: (38, 110, 196),
    UPPER_ARROW: (255, 255, 255),
    LOWER_ARROW: (255, 200, 60),
}

# The 16-colour system palette, in its usual order.
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# At 4 bits anti-aliased blends would only turn into stray colours, so each
# part gets one solid palette colour instead.
PART_VGA_INDEX = {BORDER: 4, FILL: 12, UPPER_ARROW: 15, LOWER_ARROW: 11}

# Square and border widths are multiples of 1/16 so that the 16-pixel image
# gets whole pixels; the arrows sit 6/16 apart with 2/16 thick shafts.
SQUARE_MIN, SQUARE_MAX = 1 / 16, 15 / 16
CORNER_RADIUS = 3 / 16
BORDER_WIDTH = 1 / 16
SHAFT_HALF = 1 / 16
HEAD_HALF = 0.18
UPPER_Y, LOWER_Y = 5 / 16, 11 / 16
SHAFT_START, HEAD_BASE, HEAD_TIP = 0.2, 0.52, 0.82

# Width, height and bits per pixel of each image, in the order stored.
IMAGES = [
    (32, 32, 4), (16, 16, 4),
    (48, 48, 8), (32, 32, 8), (16, 16, 8),
    (48, 48, 32), (32, 32, 32), (16, 16, 32),
]


def square_distance(x, y):
    """Signed distance from the rounded square's outline, negative inside."""
    centre = (SQUARE_MIN + SQUARE_MAX) / 2
    inner_half = (SQUARE_MAX - SQUARE_MIN) / 2 - CORNER_RADIUS
    qx = abs(x - centre) - inner_half
    qy = abs(y - centre) - inner_half
    outside = (max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2) ** 0.5
    return outside + min(max(qx, qy), 0.0) - CORNER_RADIUS


def in_right_arrow(x, y, centre_y):
    """A shaft with a triangular head at its right end."""
    dy = abs(y - centre_y)
    if SHAFT_START <= x <= HEAD_BASE and dy <= SHAFT_HALF:
        return True
    if HEAD_BASE <= x <= HEAD_TIP:
        return dy <= HEAD_HALF * (HEAD_TIP - x) / (HEAD_TIP - HEAD_BASE)
    return False


def part_at(x, y):
    """Which part of the artwork covers the point (x, y), y growing down."""
    distance = square_distance(x, y)
    if distance > 0:
        return OUTSIDE
    if in_right_arrow(x, y, UPPER_Y):
        return UPPER_ARROW
    if in_right_arrow(1 - x, y, LOWER_Y):
        return LOWER_ARROW
    if distance > -BORDER_WIDTH:
        return BORDER
    return FILL


def sample_pixel(size, column, row):
    """Counts of each part among the samples of one pixel."""
    counts = [0] * 5
    for sy in range(SUPERSAMPLE):
        y = (row + (sy + 0.5) / SUPERSAMPLE) / size
        for sx in range(SUPERSAMPLE):
            x = (column + (sx + 0.5) / SUPERSAMPLE) / size
            counts[part_at(x, y)] += 1
    return counts


def covered_rgb(counts):
    """Mean colour of the samples that fall on the artwork."""
    covered = sum(counts) - counts[OUTSIDE]
    return tuple(
        round(sum(counts[p] * PART_RGB[p][c] for p in PART_RGB) / covered)
        for c in range(3))


def blend(a, b, t):
    return tuple(round(a[c] + (b[c] - a[c]) * t) for c in range(3))


def artwork_palette():
    """256 colours: the system 16, the artwork's own colours, then even steps
    between every pair of them, so that 8-bit edges keep their smoothing."""
    colours = list(VGA_PALETTE) + list(PART_RGB.values())
    parts = list(PART_RGB.values())
    pairs = [(a, b) for i, a in enumerate(parts) for b in parts[i + 1:]]
    steps = (256 - len(colours)) // len(pairs)
    for a, b in pairs:
        colours += [blend(a, b, k / (steps + 1)) for k in range(1, steps + 1)]
    return colours + [(0, 0, 0)] * (256 - len(colours))


def nearest_index(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][c] - rgb[c]) ** 2 for c in range(3)))


def row_bytes(width, bits):
    """Bytes in one bitmap row, padded to a 32-bit boundary."""
    return (width * bits + 31) // 32 * 4


def pack_indices(indices, bits):
    """Packs palette indices of one row, leftmost pixel in the high bits."""
    per_byte = 8 // bits
    out = bytearray()
    for start in range(0, len(indices), per_byte):
        byte = 0
        group = indices[start:start + per_byte]
        for k in range(per_byte):
            value = group[k] if k < len(group) else 0
            byte |= value << (8 - bits * (k + 1))
        out.append(byte)
    return bytes(out)


def render(size, bits):
    """One icon image as a DIB: header, palette, colour rows, AND-mask rows,
    rows bottom-up as bitmaps keep them."""
    palette = VGA_PALETTE if bits == 4 else artwork_palette() if bits == 8 else []
    colour_rows = []
    mask_rows = []
    for row in range(size):
        colour = bytearray()
        indices = []
        mask = []
        for column in range(size):
            counts = sample_pixel(size, column, row)
            total = sum(counts)
            covered = total - counts[OUTSIDE]
            alpha = round(255 * covered / total)
            transparent = alpha < 128
            mask.append(1 if transparent else 0)
            if bits == 32:
                if covered:
                    r, g, b = covered_rgb(counts)
                else:
                    r = g = b = 0
                colour += bytes((b, g, r, alpha))
            elif transparent:
                # Black under a set mask bit leaves the screen unchanged.
                indices.append(0)
            elif bits == 4:
                main_part = max(PART_VGA_INDEX, key=lambda p: (counts[p], -p))
                indices.append(PART_VGA_INDEX[main_part])
            else:
                indices.append(nearest_index(palette, covered_rgb(counts)))
        if bits != 32:
            colour = bytearray(pack_indices(indices, bits))
        colour += bytes(row_bytes(size, bits) - len(colour))
        mask_packed = pack_indices(mask, 1)
        mask_rows.append(mask_packed + bytes(row_bytes(size, 1) - len(mask_packed)))
        colour_rows.append(bytes(colour))

    colour_data = b"".join(reversed(colour_rows))
    mask_data = b"".join(reversed(mask_rows))
    # The height counts the colour and the mask bitmap together.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(colour_data) + len(mask_data), 0, 0, 0, 0)
    palette_data = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + palette_data + colour_data + mask_data


def build_ico():
    images = [(w, h, bits, render(w, bits)) for w, h, bits in IMAGES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for w, h, bits, data in images:
        colour_count = 1 << bits if bits < 8 else 0
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, colour_count, 0,
                               1, bits, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, os.pardir, "res", "mensurator.ico")
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(default)
    with open(path, "wb") as f:
        f.write(build_ico())


if __name__ == "__main__":
    main()
