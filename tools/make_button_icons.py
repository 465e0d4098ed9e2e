#!/usr/bin/env python3
"""Draws the Controller's seven transport icons (play, stop, pause, previous,
next, previous list, next list) as .ico files with the small-icon size and
the larger sizes a high-DPI screen asks for.
Usage: make_button_icons.py <out folder>"""
import os
import struct
import sys

SIZES = (16, 20, 24, 32, 40, 48)
SUPERSAMPLE = 4
GLYPH = (48, 52, 58)  # dark slate, legible on the button face
ACCENT = (24, 130, 140)  # the program icon's teal, for the list arrows


def triangle(x, y, x0, x1, cy, half):
    """A triangle pointing right (x1 > x0) or left, centred on cy."""
    if x1 > x0:
        if not x0 <= x <= x1:
            return False
        t = (x - x0) / (x1 - x0)
    else:
        if not x1 <= x <= x0:
            return False
        t = (x0 - x) / (x0 - x1)
    return abs(y - cy) <= half * (1 - t)


def box(x, y, x0, y0, x1, y1):
    return x0 <= x <= x1 and y0 <= y <= y1


def play(x, y):
    return GLYPH if triangle(x, y, 0.28, 0.80, 0.5, 0.34) else None


def stop(x, y):
    return GLYPH if box(x, y, 0.25, 0.25, 0.75, 0.75) else None


def pause(x, y):
    return GLYPH if box(x, y, 0.24, 0.22, 0.43, 0.78) or box(x, y, 0.57, 0.22, 0.76, 0.78) else None


def prev(x, y):
    hit = box(x, y, 0.18, 0.22, 0.31, 0.78) or triangle(x, y, 0.80, 0.31, 0.5, 0.28)
    return GLYPH if hit else None


def next_(x, y):
    hit = box(x, y, 0.69, 0.22, 0.82, 0.78) or triangle(x, y, 0.20, 0.69, 0.5, 0.28)
    return GLYPH if hit else None


def list_lines(x, y):
    # Three lines of a list on the left.
    return any(box(x, y, 0.10, top, 0.50, top + 0.11) for top in (0.20, 0.445, 0.69))


def list_prev(x, y):
    if list_lines(x, y):
        return GLYPH
    # An arrow pointing up beside the list.
    head = 0.12 <= y <= 0.50 and abs(x - 0.74) <= 0.22 * (y - 0.12) / 0.38
    shaft = box(x, y, 0.675, 0.48, 0.805, 0.86)
    return ACCENT if head or shaft else None


def list_next(x, y):
    if list_lines(x, y):
        return GLYPH
    head = 0.50 <= y <= 0.88 and abs(x - 0.74) <= 0.22 * (0.88 - y) / 0.38
    shaft = box(x, y, 0.675, 0.14, 0.805, 0.52)
    return ACCENT if head or shaft else None


ICONS = {
    "play.ico": play,
    "stop.ico": stop,
    "pause.ico": pause,
    "prev.ico": prev,
    "next.ico": next_,
    "list_prev.ico": list_prev,
    "list_next.ico": list_next,
}


def render(shape, size):
    """BGRA pixels, top row first; edges anti-aliased by supersampling."""
    pixels = []
    total = SUPERSAMPLE * SUPERSAMPLE
    for row in range(size):
        for col in range(size):
            r = g = b = hits = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    colour = shape((col + (sx + 0.5) / SUPERSAMPLE) / size,
                                   (row + (sy + 0.5) / SUPERSAMPLE) / size)
                    if colour:
                        r, g, b, hits = r + colour[0], g + colour[1], b + colour[2], hits + 1
            if hits == 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append((b // hits, g // hits, r // hits, round(255 * hits / total)))
    return pixels


def icon_image(shape, size):
    pixels = render(shape, size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [pixels[r * size:(r + 1) * size] for r in range(size)]
    xor = b"".join(bytes(c for p in row for c in p) for row in reversed(rows))
    row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(row_bytes)
        for i, p in enumerate(row):
            if p[3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_icon(path, shape):
    images = [icon_image(shape, s) for s in SIZES]
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(data + b"".join(images))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, shape in ICONS.items():
        write_icon(os.path.join(folder, name), shape)


if __name__ == "__main__":
    main()
