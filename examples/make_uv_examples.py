#!/usr/bin/env python3
"""Writes the small Qiv meshes and the Qit vertex file the demo uses.

tiles.qiv  a 3 x 2 quad strip unwrapped over three UV tiles side by side
           (u tiles 0, 1 and 2), chunks in the order vertices, colours,
           faces, UVs
part.qiv   a 2 x 2 quad patch (vertices, colours, faces)
part.Qit   the patch's 9 vertices lifted by 0.5 in z: a Qit vertex file that
           fits part.qiv

usage: make_uv_examples.py [folder]   (default: this script's folder)
"""
import os
import struct
import sys

HEADER = b"Qiv example mesh".ljust(32, b"\0")


def chunk(tag, record_size, records):
    body = b"".join(records)
    return struct.pack("<4I", tag, 16 + record_size * len(records), len(records), 0) + body


def grid(cols, rows, lift=0.0):
    """Vertex positions of a (cols+1) x (rows+1) grid and its quads."""
    verts = [(float(x), float(y), lift) for y in range(rows + 1) for x in range(cols + 1)]
    quads = []
    for y in range(rows):
        for x in range(cols):
            a = y * (cols + 1) + x
            quads.append((a, a + 1, a + cols + 2, a + cols + 1))
    return verts, quads


def mesh(verts, quads, uvs=None):
    out = HEADER
    out += chunk(10001, 12, [struct.pack("<3f", *v) for v in verts])
    out += chunk(35001, 4, [bytes((40 * i % 256, 128, 255 - 20 * i % 256, 0)) for i in range(len(verts))])
    out += chunk(20001, 16, [struct.pack("<4i", *q) for q in quads])
    if uvs is not None:
        out += chunk(25001, 32, [struct.pack("<8f", *r) for r in uvs])
    return out


def strip_uvs(quads_per_row, rows):
    """Column x of the strip lies in UV tile x, each quad inset in its tile."""
    records = []
    for y in range(rows):
        for x in range(quads_per_row):
            u0, u1 = x + 0.1, x + 0.9
            v0, v1 = 0.1 + 0.4 * y, 0.5 + 0.4 * y
            records.append((u0, v0, u1, v0, u1, v1, u0, v1))
    return records


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    verts, quads = grid(3, 2)
    files = {"tiles.qiv": mesh(verts, quads, strip_uvs(3, 2))}
    verts, quads = grid(2, 2)
    files["part.qiv"] = mesh(verts, quads)
    lifted, _ = grid(2, 2, lift=0.5)
    files["part.Qit"] = chunk(10001, 12, [struct.pack("<3f", *v) for v in lifted])
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
