#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the sample banner pictures, icon and skin of examples/config.

Standard library only, so that anyone can remake the samples byte for byte:
    python3 make_samples.py
"""
import gzip
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
WIDTH, HEIGHT = 468, 60  # the classic full banner: its panel is 70 pixels high


def banner_pixel(x, y, shift=0):
    """A blue-to-green gradient with a light diagonal stripe every 40 pixels."""
    if (x + y + shift) % 40 < 6:
        return (240, 240, 240)
    return (20, 60 + 150 * x // WIDTH, 200 - 120 * y // HEIGHT)


def bmp(width, height, pixel):
    """A 24-bit Windows bitmap, rows bottom-up, each padded to 4 bytes."""
    row_bytes = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows += row + b"\0" * (row_bytes - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return header + info + rows


def lzw_literals(indices):
    """GIF LZW data for 8-bit indices without compression: a clear code
    before every 250 literals keeps the table, and so the code width, fixed
    at 9 bits."""
    clear, end = 256, 257
    codes = []
    for start in range(0, len(indices), 250):
        codes.append(clear)
        codes.extend(indices[start:start + 250])
    codes.append(end)
    bits, count, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += 9
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 0xFF)
    blocks = bytearray((8,))  # minimum code size
    for start in range(0, len(out), 255):
        chunk = out[start:start + 255]
        blocks += bytes((len(chunk),)) + chunk
    return bytes(blocks + b"\0")


def animated_gif(frames, width, height, delay_cs):
    """A looping GIF89a with a 256-colour global palette."""
    palette = [(0, 0, 0)] * 256
    colours = {}
    images = bytearray()
    for frame in frames:
        indices = []
        for y in range(height):
            for x in range(width):
                rgb = frame(x, y)
                if rgb not in colours:
                    colours[rgb] = len(colours)
                    palette[colours[rgb]] = rgb
                indices.append(colours[rgb])
        images += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0, delay_cs, 0, 0)
        images += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
        images += lzw_literals(indices)
    assert len(colours) <= 256
    head = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    head += b"".join(bytes(c) for c in palette)
    loop = b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    return head + loop + bytes(images) + b"\x3B"


def quantised(x, y, shift):
    r, g, b = banner_pixel(x, y, shift)
    return (r, g - g % 16, b - b % 16)  # few enough colours for one palette


def icon(size):
    """A .ico holding one 32-bit bitmap: a green disc on transparency."""
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            inside = (x - size / 2 + 0.5) ** 2 + (y - size / 2 + 0.5) ** 2 <= (size / 2 - 1) ** 2
            pixels += bytes((60, 170, 40, 255)) if inside else bytes(4)
    mask = bytes(((size + 31) // 32) * 4 * size)  # all opaque: alpha decides
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = info + pixels + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image


def main():
    (HERE / "dbimg1.dat").write_bytes(bmp(WIDTH, HEIGHT, banner_pixel))
    frames = [lambda x, y, s=shift: quantised(x, y, s) for shift in (0, 10, 20, 30)]
    (HERE / "dbimg2.dat").write_bytes(animated_gif(frames, WIDTH, HEIGHT, 15))
    (HERE / "glenvary.ico").write_bytes(icon(32))
    # mtime 0 and no file name inside, as `gzip -9 -n` writes it.
    (HERE / "dbskin.dat").write_bytes(gzip.compress((HERE / "skin.qss").read_bytes(), 9, mtime=0))


if __name__ == "__main__":
    main()
