#!/usr/bin/env python3
"""Draws the application icon (a padlock) and writes res/marrowgate.ico.

Sizes 16, 32 and 48 are stored as 32-bit DIBs with an AND mask, 256 as PNG,
which is what every Windows version since Vista reads. Run it again only to
change the design; the build uses the committed icon.
"""
import math
import struct
import sys
import zlib

SUPERSAMPLE = 4

BODY = (224, 165, 38)
BODY_DARK = (150, 100, 16)
SHACKLE = (120, 128, 140)
SHACKLE_DARK = (70, 76, 86)
KEYHOLE = (58, 40, 12)


def rounded_box_distance(x, y, left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0), max(qy, 0))
    return outside + min(max(qx, qy), 0) - radius


def shackle_distance(x, y):
    # A U upside down: half ring above y = 0.47, straight legs down into the body.
    cx, cy, radius, half_width = 0.5, 0.40, 0.20, 0.055
    if y < cy:
        return abs(math.hypot(x - cx, y - cy) - radius) - half_width
    leg = min(abs(x - (cx - radius)), abs(x - (cx + radius)))
    return max(leg - half_width, y - 0.6)


def sample(x, y):
    """Colour and coverage of one point of the unit square."""
    body = rounded_box_distance(x, y, 0.16, 0.46, 0.84, 0.94, 0.08)
    if body <= 0:
        keyhole_circle = math.hypot(x - 0.5, y - 0.64) - 0.065
        keyhole_slot = rounded_box_distance(x, y, 0.47, 0.64, 0.53, 0.80, 0.02)
        if min(keyhole_circle, keyhole_slot) <= 0:
            return KEYHOLE, 1.0
        return (BODY_DARK if body > -0.035 else BODY), 1.0
    shackle = shackle_distance(x, y)
    if shackle <= 0:
        return (SHACKLE_DARK if shackle > -0.02 else SHACKLE), 1.0
    return (0, 0, 0), 0.0


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for row in range(size):
        for col in range(size):
            r = g = b = a = 0.0
            for sy in range(n):
                for sx in range(n):
                    colour, cover = sample((col + (sx + 0.5) / n) / size, (row + (sy + 0.5) / n) / size)
                    r += colour[0] * cover
                    g += colour[1] * cover
                    b += colour[2] * cover
                    a += cover
            count = n * n
            alpha = a / count
            if a > 0:
                r, g, b = r / a, g / a, b / a
            pixels.append((round(r), round(g), round(b), round(alpha * 255)))
    return pixels


def png(size, pixels):
    raw = b"".join(
        b"\0" + bytes(c for p in pixels[row * size:(row + 1) * size] for c in p) for row in range(size)
    )

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dib(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(
        bytes((p[2], p[1], p[0], p[3])) for row in reversed(range(size)) for p in pixels[row * size:(row + 1) * size]
    )
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(range(size)):
        bits = bytearray(stride)
        for col in range(size):
            if pixels[row * size + col][3] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + colour + bytes(mask)


def main(path):
    sizes = [16, 32, 48, 256]
    images = []
    for size in sizes:
        pixels = render(size)
        images.append(png(size, pixels) if size == 256 else dib(size, pixels))
    offset = 6 + 16 * len(sizes)
    directory = b""
    for size, data in zip(sizes, images):
        edge = 0 if size == 256 else size
        directory += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(sizes)) + directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/marrowgate.ico")
