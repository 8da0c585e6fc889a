#!/usr/bin/env python3
"""Draws Vimo's icon (vimo.ico, 32x32 and 16x16) and its dialog bitmap
(vimo.bmp, 64x64): a blue disc holding a white "V" over a red and a green
lamp. Run it again after changing the drawing; the outputs are committed."""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent


def pixel(size, x, y):
    """RGBA of the picture at pixel (x, y), top row 0, for a square of size."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    du, dv = u - 0.5, v - 0.5
    if du * du + dv * dv > 0.48 * 0.48:
        return (0, 0, 0, 0)
    # Two strokes of the V, from the top corners down to the centre bottom.
    if 0.18 <= v <= 0.70:
        t = (v - 0.18) / 0.52
        left = 0.22 + 0.28 * t
        right = 0.78 - 0.28 * t
        if abs(u - left) < 0.07 or abs(u - right) < 0.07:
            return (255, 255, 255, 255)
    # The two lamps below it.
    if 0.76 <= v <= 0.86:
        if 0.30 <= u <= 0.45:
            return (0, 255, 0, 255)
        if 0.55 <= u <= 0.70:
            return (255, 0, 0, 255)
    shade = int(150 + 80 * (0.5 - v))
    return (20, 40, max(0, min(255, shade)), 255)


def dib(size, bits):
    """A bottom-up DIB (header and pixels) of the picture; 32-bit keeps alpha."""
    rows = []
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a)) if bits == 32 else bytes((b, g, r))
        while len(row) % 4:
            row.append(0)
        rows.append(bytes(row))
    data = b"".join(rows)
    return data


def icon_image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_row)
        for x in range(size):
            if pixel(size, x, y)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + dib(size, 32) + bytes(mask)


def write_icon(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    path.write_bytes(out)


def write_bitmap(path, size):
    data = dib(size, 24)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    path.write_bytes(header + info + data)


if __name__ == "__main__":
    write_icon(HERE / "vimo.ico", (32, 16))
    write_bitmap(HERE / "vimo.bmp", 64)
