#!/usr/bin/env python3
"""Draws the application icon, a pair of opposed arrows on a rounded square,
and writes it as res/mensurator.ico (or to the path given as the argument).

The artwork is computed per pixel from shapes in a unit square, so every size
shows the same design. Each pixel is supersampled; the samples decide its
colour and how much of it is covered. The output depends on nothing but this
file (and zlib's compression), so running it again gives the same bytes.

Every image is true colour with an alpha channel, which every display since
Windows Vista shows; the 256-pixel one, for large views and high-dpi
displays, is stored PNG-compressed, as Vista and later read it."""

import os
import struct
import sys
import zlib

SUPERSAMPLE = 8

OUTSIDE, BORDER, FILL, UPPER_ARROW, LOWER_ARROW = range(5)

# True-colour look of each part of the artwork.
PART_RGB = {
    BORDER: (22, 62, 128),
    FILL: (38, 110, 196),
    UPPER_ARROW: (255, 255, 255),
    LOWER_ARROW: (255, 200, 60),
}

# Square and border widths are multiples of 1/16 so that the 16-pixel image
# gets whole pixels; the arrows sit 6/16 apart with 2/16 thick shafts.
SQUARE_MIN, SQUARE_MAX = 1 / 16, 15 / 16
CORNER_RADIUS = 3 / 16
BORDER_WIDTH = 1 / 16
SHAFT_HALF = 1 / 16
HEAD_HALF = 0.18
UPPER_Y, LOWER_Y = 5 / 16, 11 / 16
SHAFT_START, HEAD_BASE, HEAD_TIP = 0.2, 0.52, 0.82

# Size of each image, in the order stored; the largest is stored as PNG.
SIZES = [256, 48, 32, 16]
PNG_SIZE = 256


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


def row_bytes(width, bits):
    """Bytes in one bitmap row, padded to a 32-bit boundary."""
    return (width * bits + 31) // 32 * 4


def pack_bits(bits):
    """Packs one row of a 1-bit bitmap, leftmost pixel in the high bit."""
    out = bytearray()
    for start in range(0, len(bits), 8):
        group = bits[start:start + 8]
        out.append(sum(bit << (7 - k) for k, bit in enumerate(group)))
    return bytes(out)


def pixels(size):
    """Rows of (red, green, blue, alpha) tuples, top row first."""
    rows = []
    for row in range(size):
        line = []
        for column in range(size):
            counts = sample_pixel(size, column, row)
            covered = sum(counts) - counts[OUTSIDE]
            alpha = round(255 * covered / sum(counts))
            line.append((*covered_rgb(counts), alpha) if covered else (0, 0, 0, 0))
        rows.append(line)
    return rows


def render_dib(size):
    """A 32-bit icon image as a DIB: header, colour rows, AND-mask rows, rows
    bottom-up as bitmaps keep them. The mask hides what is mostly uncovered,
    for anything that draws without the alpha channel."""
    colour_rows = []
    mask_rows = []
    for line in pixels(size):
        colour_rows.append(b"".join(bytes((b, g, r, a)) for r, g, b, a in line))
        mask_packed = pack_bits([1 if a < 128 else 0 for *_, a in line])
        mask_rows.append(mask_packed + bytes(row_bytes(size, 1) - len(mask_packed)))
    colour_data = b"".join(reversed(colour_rows))
    mask_data = b"".join(reversed(mask_rows))
    # The height counts the colour and the mask bitmap together.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                         len(colour_data) + len(mask_data), 0, 0, 0, 0)
    return header + colour_data + mask_data


def paeth(left, up, up_left):
    estimate = left + up - up_left
    distances = (abs(estimate - left), abs(estimate - up), abs(estimate - up_left))
    return (left, up, up_left)[distances.index(min(distances))]


def filtered(line, previous):
    """The PNG filter of the five that leaves the smallest sum for one RGBA
    row (the usual heuristic), with its type byte in front."""
    def left(i):
        return line[i - 4] if i >= 4 else 0

    def up_left(i):
        return previous[i - 4] if i >= 4 else 0

    candidates = [
        bytes(line),
        bytes((line[i] - left(i)) % 256 for i in range(len(line))),
        bytes((line[i] - previous[i]) % 256 for i in range(len(line))),
        bytes((line[i] - (left(i) + previous[i]) // 2) % 256 for i in range(len(line))),
        bytes((line[i] - paeth(left(i), previous[i], up_left(i))) % 256
              for i in range(len(line))),
    ]
    kind = min(range(5), key=lambda k: (sum(min(v, 256 - v) for v in candidates[k]), k))
    return bytes((kind,)) + candidates[kind]


def render_png(size):
    """A 32-bit icon image as a PNG file: 8-bit RGBA, not interlaced."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))

    raw = b""
    previous = bytes(4 * size)
    for line in pixels(size):
        flat = bytes(channel for pixel in line for channel in pixel)
        raw += filtered(flat, previous)
        previous = flat
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def build_ico():
    images = [(size, render_png(size) if size == PNG_SIZE else render_dib(size))
              for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        # A width or height of 256 is written as 0.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0,
                               1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, os.pardir, "res", "mensurator.ico")
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(default)
    with open(path, "wb") as f:
        f.write(build_ico())


if __name__ == "__main__":
    main()
