#!/usr/bin/env python3
"""Draws FallbackIcon.png, the artwork of the icon a web app gets when its site offers none.

A rounded square with a blue gradient and a white globe, 128 by 128 pixels, written with the
standard library only so that the picture can be redrawn anywhere: python3 draw-fallback-icon.py
"""
import math
import struct
import zlib

SIZE = 128


def coverage(distance, half_width):
    """Anti-aliased coverage of a stroke of the given half width at a distance from its centre line."""
    return max(0.0, min(1.0, half_width + 0.5 - abs(distance)))


def pixel(x, y):
    cx = cy = SIZE / 2
    px, py = x + 0.5, y + 0.5
    # Rounded square: signed distance to a square of half side 56 with corner radius 24.
    half, radius = 56, 24
    qx, qy = abs(px - cx) - (half - radius), abs(py - cy) - (half - radius)
    outside = math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    alpha = max(0.0, min(1.0, 0.5 - outside))
    if alpha == 0:
        return (0, 0, 0, 0)
    t = (py - (cy - half)) / (2 * half)
    top, bottom = (74, 144, 226), (40, 84, 180)
    r, g, b = (top[i] + (bottom[i] - top[i]) * t for i in range(3))
    # Globe: an outer circle, the equator, two parallels and a meridian ellipse.
    dx, dy = px - cx, py - cy
    ring = 30
    strokes = [coverage(math.hypot(dx, dy) - ring, 1.75)]
    inside = math.hypot(dx, dy) <= ring + 1
    if inside:
        strokes.append(coverage(dy, 1.5))
        for parallel in (-15, 15):
            strokes.append(coverage(dy - parallel, 1.25))
        strokes.append(coverage(dx, 1.5))
        meridian = math.hypot(dx / 13, dy / ring) - 1
        strokes.append(coverage(meridian * 13, 1.5))
    white = max(strokes)
    r, g, b = (c + (255 - c) * white for c in (r, g, b))
    return (round(r), round(g), round(b), round(alpha * 255))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    rows = b"".join(b"\0" + bytes(v for x in range(SIZE) for v in pixel(x, y)) for y in range(SIZE))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    with open("FallbackIcon.png", "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main()
