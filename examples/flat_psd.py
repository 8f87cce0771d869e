#!/usr/bin/env python3
"""Writes a PSD file the image tools take, from an 8-bit binary PPM.

The PSD it writes: version 1, RGB, three 8-bit channels, no colour mode
data, no image resources, no layers, uncompressed planes. ImageMagick turns
anything it reads into such a PPM, so a painting program's file becomes one
with

    convert 'painting.psd[0]' -alpha off -colorspace sRGB -depth 8 ppm:- |
        python3 examples/flat_psd.py painting-flat.psd

usage: flat_psd.py OUT.psd [IN.ppm]   (default input: standard input)
"""
import os
import struct
import sys


def read_ppm(data):
    """Width, height and the RGB bytes of a P6 file with maxval 255."""
    fields, pos = [], 0
    while len(fields) < 4:
        while pos < len(data) and data[pos : pos + 1].isspace():
            pos += 1
        if data[pos : pos + 1] == b"#":  # a comment runs to the end of its line
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while pos < len(data) and not data[pos : pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("flat_psd.py: need a binary PPM with 8-bit samples (ppm:- and -depth 8)")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1 : pos + 1 + 3 * width * height]
    if len(pixels) != 3 * width * height:
        sys.exit("flat_psd.py: the PPM ends early")
    return width, height, pixels


def psd(width, height, pixels):
    head = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, height, width, 8, 3)
    head += struct.pack(">III", 0, 0, 0)  # colour mode data, resources, layers: none
    head += struct.pack(">H", 0)  # raw planes
    return head + pixels[0::3] + pixels[1::3] + pixels[2::3]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[-1])
    source = open(sys.argv[2], "rb") if len(sys.argv) == 3 else sys.stdin.buffer
    with source:
        data = psd(*read_ppm(source.read()))
    # Written beside the destination and renamed, so a failed run leaves an
    # earlier file of that name whole.
    temp = sys.argv[1] + ".part"
    with open(temp, "wb") as out:
        out.write(data)
    os.replace(temp, sys.argv[1])


if __name__ == "__main__":
    main()
