#!/usr/bin/env python3
"""Draws the program's icon, a small calculator showing lines of text, as icon32.png and
icon16.png beside this script. The PNGs are committed; run this only to change them."""
import os
import struct
import zlib

# A handful of flat colours, as an old 16-colour icon would have them (RGBA).
CLEAR = (0, 0, 0, 0)
BODY = (32, 48, 96, 255)
EDGE = (0, 0, 32, 255)
SCREEN = (176, 200, 160, 255)
INK = (16, 32, 16, 255)
KEY = (192, 192, 192, 255)
ACCENT = (224, 96, 32, 255)


def draw(size):
    s = size / 32.0
    pixels = [[CLEAR] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(round(y0 * s), round(y1 * s)):
            for x in range(round(x0 * s), round(x1 * s)):
                pixels[y][x] = colour

    rect(6, 1, 26, 31, EDGE)
    rect(7, 2, 25, 30, BODY)
    rect(9, 4, 23, 14, SCREEN)
    for row in (6, 9, 12):
        rect(10, row, 22 if row != 12 else 17, row + 1, INK)
    for row in range(16, 29, 4):
        for col in range(9, 23, 5):
            rect(col, row, col + 4, row + 2, ACCENT if (row, col) == (16, 19) else KEY)
    return pixels


def png(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


here = os.path.dirname(os.path.abspath(__file__))
for size in (32, 16):
    with open(os.path.join(here, f"icon{size}.png"), "wb") as out:
        out.write(png(draw(size)))
