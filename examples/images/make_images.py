#!/usr/bin/env python3
"""Writes the small example images of the image demo (standard library only).

PSD files: version 1, RGB, 8-bit, uncompressed planes, no colour mode data.
BMP file: 24-bit, bottom-up, rows padded to 4 bytes.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def psd(path, width, height, pixel, resources=b""):
    head = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, height, width, 8, 3)
    head += struct.pack(">I", 0)  # no colour mode data
    head += struct.pack(">I", len(resources)) + resources
    head += struct.pack(">I", 0)  # no layers
    head += struct.pack(">H", 0)  # raw planes
    planes = [bytearray(), bytearray(), bytearray()]
    for y in range(height):
        for x in range(width):
            for c, v in enumerate(pixel(x, y)):
                planes[c].append(v)
    with open(os.path.join(HERE, path), "wb") as f:
        f.write(head + b"".join(bytes(p) for p in planes))


def bmp(path, width, height, pixel):
    row = (3 * width + 3) // 4 * 4
    data = bytearray()
    for y in range(height):  # stored bottom row first
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, height - 1 - y)
            line += bytes((b, g, r))
        data += line + bytes(row - len(line))
    head = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    head += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, path), "wb") as f:
        f.write(head + data)


WHITE, MAGENTA = (255, 255, 255), (255, 0, 255)


def badge(x, y):
    """A dark ring and a red dot on white."""
    d = (x - 32) ** 2 + (y - 24) ** 2
    if d < 36:
        return (220, 30, 30)
    if 196 <= d < 400:
        return (30, 40, 60)
    return WHITE


def gradient(x, y):
    return (x * 4 % 256, y * 5 % 256, 128)


def keyed(x, y):
    """Stripes over a magenta key that lets the layer below show."""
    return (250, 200, 40) if (x // 8) % 2 == 0 else MAGENTA


def tile(x, y):
    """A texture whose rows and columns show where the heal bands come from."""
    return ((x * 2) % 256, (y * 2) % 256, (x + y) % 256)


def strip(x, y):
    return ((x * 3) % 256, (y * 6) % 256, 255 - (x * 3) % 256)


if __name__ == "__main__":
    psd("badge.psd", 64, 48, badge, resources=b"8BIM\x04\x04\x00\x00\x00\x00\x00\x00")
    psd("top.psd", 64, 48, keyed)
    psd("bottom.psd", 64, 48, gradient)
    psd("tile.psd", 120, 120, tile)
    bmp("strip.bmp", 96, 24, strip)
