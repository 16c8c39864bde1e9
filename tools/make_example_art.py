#!/usr/bin/env python3
"""Draws the example artwork in examples/: a dawn sky, a sun over its patch
of sky, and a stripe. Only needed to regenerate the committed files."""
import math
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")


def write_png(path, width, height, rows, alpha):
    """rows: list of bytes objects, RGB or RGBA per pixel."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + row for row in rows)
    colour_type = 6 if alpha else 2
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", ihdr))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def write_tga(path, width, height, pixels):
    """Uncompressed true-colour TGA, rows top to bottom; pixels are (r, g, b)."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 24, 0x20)
    with open(path, "wb") as f:
        f.write(header)
        f.write(bytes(c for (r, g, b) in pixels for c in (b, g, r)))


def clamp(v):
    return max(0, min(255, int(v)))


def sky_colour(y):
    t = y / 479.0
    # Deep blue at the top, warm near the horizon, dark ground below it.
    if y < 330:
        return 20 + 215 * t ** 1.6, 30 + 120 * t ** 1.3, 90 + 40 * (1 - t)
    d = (y - 330) / 150.0
    return 60 - 40 * d, 40 - 25 * d, 50 - 30 * d


def sky():
    return [bytes(clamp(c) for _ in range(640) for c in sky_colour(y)) for y in range(480)]


SUN_X, SUN_Y, SUN_SIZE = 260, 200, 120


def sun():
    """The sun drawn over the patch of sky it covers: transparency has no
    effect on a boot screen, so the image carries its own background."""
    rows = []
    for y in range(SUN_SIZE):
        row = bytearray()
        sr, sg, sb = sky_colour(SUN_Y + y)
        for x in range(SUN_SIZE):
            d = math.hypot(x - 59.5, y - 59.5) / 60.0
            a = min(1.0, max(0.0, (1.0 - d) * 4))
            r, g, b = 255, 230 - 90 * d, 120 - 100 * d
            row += bytes(clamp(c * a + s * (1 - a)) for c, s in ((r, sr), (g, sg), (b, sb)))
        rows.append(bytes(row))
    return rows


def stripe():
    w, h = 320, 12
    return [(clamp(120 + 100 * math.sin(x / 20.0)), clamp(60 + 40 * math.sin(x / 13.0)), 40)
            for y in range(h) for x in range(w)], w, h


if __name__ == "__main__":
    write_png(os.path.join(HERE, "background.png"), 640, 480, sky(), alpha=False)
    write_png(os.path.join(HERE, "sun.png"), SUN_SIZE, SUN_SIZE, sun(), alpha=False)
    pixels, w, h = stripe()
    write_tga(os.path.join(HERE, "stripe.tga"), w, h, pixels)
