#!/usr/bin/env python3
"""Writes the small Qiv example files the demo and the tests use.

cube.qiv     a cube whose sides are 2 x 2 grids, 54 vertices (each side has
             its own 9), a colour per vertex (two "#RGB" lines), 28 faces:
             four sides of 4 quads, top and bottom of 2 triangles and
             2 quads each, and a UV chunk after the faces.
faces.qiv    the coarse cube the fine one was subdivided from, face chunk
             first: four quads and four triangles, so getFaceIDs at level 1
             gives [4, 4, 4, 4, 3, 3, 3, 3], one face ID per coarse face,
             28 fine faces in all.
colours.qiv  a colour chunk first (40 records), for outMRGB.

usage: make_qiv_examples.py [output-folder]   (default: this script's folder)
"""
import os
import struct
import sys

VERTEX, FACE, UV, COLOUR = 10001, 20001, 25001, 35001
HEADER = bytes(32)  # the host's file header; the library never reads it


def chunk(tag, record_size, records):
    body = b"".join(records)
    assert len(body) == record_size * len(records)
    return struct.pack("<IIII", tag, 16 + len(body), len(records), 0) + body


def vertex(x, y, z):
    return struct.pack("<fff", x, y, z)


def face(a, b, c, d=-1):
    return struct.pack("<iiii", a, b, c, d)


def colour(r, g, b):
    return bytes((b, g, r, 255))


def cube_sides():
    """Per side: an origin and two edge vectors spanning the unit cube side."""
    return [
        ((-1, -1, 1), (2, 0, 0), (0, 2, 0)),    # front
        ((1, -1, 1), (0, 0, -2), (0, 2, 0)),    # right
        ((1, -1, -1), (-2, 0, 0), (0, 2, 0)),   # back
        ((-1, -1, -1), (0, 0, 2), (0, 2, 0)),   # left
        ((-1, 1, 1), (2, 0, 0), (0, 0, -2)),    # top
        ((-1, -1, -1), (2, 0, 0), (0, 0, 2)),   # bottom
    ]


def fine_cube():
    vertices, colours, faces, uvs = [], [], [], []
    for s, (o, u, v) in enumerate(cube_sides()):
        base = len(vertices)
        for j in range(3):
            for i in range(3):
                p = [o[k] + u[k] * i / 2 + v[k] * j / 2 for k in range(3)]
                # A cube of 2.6 units, each side's centre slightly sunken.
                scale = 1.3 * (0.92 if (i, j) == (1, 1) else 1.0)
                vertices.append(vertex(*(c * scale for c in p)))
                colours.append(colour(40 * s + 20 * i, 255 - 60 * j, 17 * (i + j) + s))
        g = lambda i, j: base + 3 * j + i  # noqa: E731
        if s < 4:
            for j in range(2):
                for i in range(2):
                    faces.append(face(g(i, j), g(i + 1, j), g(i + 1, j + 1), g(i, j + 1)))
        else:
            # Each coarse triangle became a triangle, a quad and a triangle.
            faces += [face(g(0, 0), g(1, 0), g(1, 1)),
                      face(g(1, 0), g(2, 0), g(2, 1), g(1, 1)),
                      face(g(1, 1), g(2, 1), g(2, 2))]
            faces += [face(g(0, 0), g(1, 1), g(0, 1)),
                      face(g(0, 1), g(1, 1), g(1, 2), g(0, 2)),
                      face(g(1, 1), g(2, 2), g(1, 2))]
    for n in range(len(faces)):
        u0, v0 = (n % 6) / 6, (n // 6) / 6
        uvs.append(struct.pack("<8f", u0, v0, u0 + 1 / 6, v0, u0 + 1 / 6, v0 + 1 / 6, u0, v0 + 1 / 6))
    return (HEADER + chunk(VERTEX, 12, vertices) + chunk(COLOUR, 4, colours)
            + chunk(FACE, 16, faces) + chunk(UV, 32, uvs))


def coarse_cube():
    corners = [vertex(x, y, z) for z in (1.3, -1.3) for y in (-1.3, 1.3) for x in (-1.3, 1.3)]
    faces = [face(0, 1, 3, 2), face(1, 5, 7, 3), face(5, 4, 6, 7), face(4, 0, 2, 6),
             face(2, 3, 7), face(2, 7, 6), face(4, 5, 1), face(4, 1, 0)]
    return HEADER + chunk(FACE, 16, faces) + chunk(VERTEX, 12, corners)


def colour_strip():
    return HEADER + chunk(COLOUR, 4, [colour(6 * n, 255 - 6 * n, 128) for n in range(40)])


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, data in (("cube.qiv", fine_cube()), ("faces.qiv", coarse_cube()),
                       ("colours.qiv", colour_strip())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
