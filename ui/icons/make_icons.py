#!/usr/bin/env python3
"""Draws the program's icon, a small calculator showing lines of text: icon32.png and
icon16.png beside this script (the window's icon), and the desktop's icons in the hicolor
sizes with a scalable SVG under packaging/icons/. The files are committed; run this only to
change them."""
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


def shapes():
    """The icon as rectangles on a 32-unit grid, back to front: (x0, y0, x1, y1, colour)."""
    yield (6, 1, 26, 31, EDGE)
    yield (7, 2, 25, 30, BODY)
    yield (9, 4, 23, 14, SCREEN)
    for row in (6, 9, 12):
        yield (10, row, 22 if row != 12 else 17, row + 1, INK)
    for row in range(16, 29, 4):
        for col in range(9, 23, 5):
            yield (col, row, col + 4, row + 2, ACCENT if (row, col) == (16, 19) else KEY)


def draw(size):
    s = size / 32.0
    pixels = [[CLEAR] * size for _ in range(size)]
    for x0, y0, x1, y1, colour in shapes():
        for y in range(round(y0 * s), round(y1 * s)):
            for x in range(round(x0 * s), round(x1 * s)):
                pixels[y][x] = colour
    return pixels


def svg():
    rects = "".join(
        f'  <rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" '
        f'fill="#{r:02x}{g:02x}{b:02x}"/>\n'
        for x0, y0, x1, y1, (r, g, b, _) in shapes())
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 32 32" shape-rendering="crispEdges">\n' + rects + '</svg>\n')


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

hicolor = os.path.join(here, "..", "..", "packaging", "icons")
os.makedirs(hicolor, exist_ok=True)
for size in (16, 32, 48, 64, 128, 256):
    with open(os.path.join(hicolor, f"{size}.png"), "wb") as out:
        out.write(png(draw(size)))
with open(os.path.join(hicolor, "scalable.svg"), "w") as out:
    out.write(svg())
