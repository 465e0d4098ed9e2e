#!/usr/bin/env python3
"""Draws Melodek's program icon (a white note on a teal disc) at 16, 32 and
48 pixels and writes it as a .ico file. Usage: make_icon.py <out.ico>"""
import math
import struct
import sys

SIZES = (16, 32, 48)
SUPERSAMPLE = 4


def coverage(x, y):
    """Returns (disc, note) coverage for a point in unit coordinates 0..1."""
    cx, cy = x - 0.5, y - 0.5
    disc = math.hypot(cx, cy) <= 0.47
    # The note: an oval head, a stem and a flag, drawn in white.
    hx, hy = (x - 0.40) / 0.135, (y - 0.69) / 0.10
    rx = hx * math.cos(0.45) + hy * math.sin(0.45)
    ry = -hx * math.sin(0.45) + hy * math.cos(0.45)
    head = rx * rx + ry * ry <= 1.0
    stem = 0.485 <= x <= 0.55 and 0.22 <= y <= 0.68
    flag_y = 0.22 + (x - 0.55) * 0.9
    flag = 0.55 <= x <= 0.72 and flag_y <= y <= flag_y + 0.13
    return disc, (head or stem or flag) and disc


def render(size):
    pixels = []
    for row in range(size):
        for col in range(size):
            disc_hits = note_hits = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (col + (sx + 0.5) / SUPERSAMPLE) / size
                    y = (row + (sy + 0.5) / SUPERSAMPLE) / size
                    d, n = coverage(x, y)
                    disc_hits += d
                    note_hits += n
            total = SUPERSAMPLE * SUPERSAMPLE
            alpha = disc_hits / total
            white = note_hits / max(disc_hits, 1)
            # Teal gradient from top to bottom, mixed with white for the note.
            shade = row / max(size - 1, 1)
            base = (40 + 30 * (1 - shade), 150 - 40 * shade, 160 - 30 * shade)
            r, g, b = (base[i] * (1 - white) + 255 * white for i in range(3))
            pixels.append((int(b), int(g), int(r), int(round(alpha * 255))))
    return pixels


def icon_image(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [pixels[r * size:(r + 1) * size] for r in range(size)]
    xor = b"".join(bytes(c for p in row for c in p) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"".join(
        bytes(_mask_bits([p[3] == 0 for p in row], mask_row)) for row in reversed(rows))
    return header + xor + and_mask


def _mask_bits(transparent, row_bytes):
    out = bytearray(row_bytes)
    for i, t in enumerate(transparent):
        if t:
            out[i // 8] |= 0x80 >> (i % 8)
    return out


def main():
    images = [icon_image(s) for s in SIZES]
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
