"""The user guide's tasks through the binding: each argument reaches its slot, outputs come back."""

import struct

import pytest

from tolvane import Code, TolvaneError

def put(path, data):
    path.write_bytes(data)
    return path

def chunk(tag, count, records):
    return struct.pack("<4I", tag, 16 + len(records), count, 0) + records

def qiv(vertices, colors, faces):
    v = b"".join(struct.pack("<3f", *p) for p in vertices)
    c = b"".join(bytes(bgr) + b"\0" for bgr in colors)
    f = b"".join(struct.pack("<4i", *face) for face in faces)
    return bytes(range(32)) + chunk(10001, len(vertices), v) + chunk(35001, len(colors), c) + chunk(20001, len(faces), f)

def psd(width, height, planes):
    head = b"8BPS" + struct.pack(">H6xHIIHH", 1, len(planes), height, width, 8, 3)
    return head + struct.pack(">IIIH", 0, 0, 0, 0) + b"".join(bytes(p) for p in planes)

PSD_DATA = 26 + 4 + 4 + 4 + 2  # no colour data, resources or layers

def bmp(width, height):
    row = bytes((x * 3 + k) % 256 for x in range(width) for k in range(3))
    pixels = b"".join(bytes((b + 16 * y) % 256 for b in row) for y in range(height))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) + info + pixels

TRIANGLE = qiv([(1, 2, 3), (0.5, 0, -2.25), (1e6, 0, 0)], [(0x10, 0x20, 0x30)] * 3, [(0, 1, 2, -1)])
# The face ID reader takes the first chunk as its own.
FACES = bytes(32) + chunk(20001, 2, struct.pack("<8i", 0, 1, 2, -1, 0, 1, 2, 0))

def test_face_ids_then_export(lib, tmp_path):
    mesh = put(tmp_path / "mesh.qiv", TRIANGLE)
    assert lib.checked.getFaceIDs(put(tmp_path / "faces.qiv", FACES), 1) == 2
    assert lib.checked.qivtoOBJ(mesh, tmp_path / "mesh.obj") is None
    lines = (tmp_path / "mesh.obj").read_text().split("\n")
    assert lines[:6] == ["# File exported by Modrix plugin", "#Vertex count 3", "#Face count 1",
                         "v 1 2 3", "v 0.5 0 -2.25", "v 1e+06 0 0"]
    assert lines[-3:] == ["#FaceID 1", "f 1 2 3 ", ""]

OBJ_PART = "v 4 5 6\nv 7 8 9\nv 1 1 1\ng part\nf 1 2 3\n"

def test_qiv_part_through_a_combined_obj(lib, tmp_path):
    lib.checked.GroupListClear()
    combined = tmp_path / "combined.obj"
    assert lib.checked.AppendOBJ(put(tmp_path / "part.obj", OBJ_PART.encode()), 0, combined) == 3
    assert lib.checked.GroupListSize() == 1
    assert lib.checked.GroupListGetName(0) == "part"
    assert lib.GroupListGetName(5).output == "null"
    lib.checked.GroupListSave(tmp_path / "groups.bin")
    assert (tmp_path / "groups.bin").stat().st_size == 136
    lib.checked.GroupListClear()
    lib.checked.GroupListLoad(tmp_path / "groups.bin")
    (out := tmp_path / "out").mkdir()
    lib.checked.ListSplitOBJtoQiv(combined, out / "x")
    qit = (out / "part.Qit").read_bytes()
    assert qit[:16] == struct.pack("<4I", 10001, 52, 3, 0)
    mesh = put(tmp_path / "part.qiv", TRIANGLE)
    # The Qit file is the text, the mesh the buffer.
    lib.checked.SwapVertices_Qiv(out / "part.Qit", mesh)
    after = mesh.read_bytes()
    assert after[48:84] == qit[16:] and after[:48] == TRIANGLE[:48] and after[84:] == TRIANGLE[84:]
    lib.checked.GroupListClear()

def test_obj_part_by_its_groups(lib, tmp_path):
    lib.checked.SplitOBJ(put(tmp_path / "edited.obj", OBJ_PART.encode()), tmp_path / "any")
    assert (tmp_path / "part.obj").read_text() == "v 4 5 6\nv 7 8 9\nv 1 1 1\n"
    dest = put(tmp_path / "dest.obj", b"v 0 0 0\nv 0 0 0\nv 0 0 0\nf 1 2 3\n")
    lib.checked.SwapVertices(tmp_path / "part.obj", dest)
    assert dest.read_text() == "# written by Tolvane plugin for Modrix\nv 4 5 6\nv 7 8 9\nv 1 1 1\nf 1 2 3\n"
    lib.checked.SplitOBJtoQiv(tmp_path / "edited.obj", tmp_path / "any")
    assert (tmp_path / "part.Qit").stat().st_size == 16 + 36
    assert lib.SwapVertices(None, dest).code == Code.MISSING_ARG

RED, BLUE, WHITE = (255, 0, 0), (0, 0, 255), (255, 255, 255)

def planes(*pixels):
    return [[p[c] for p in pixels] for c in range(3)]

def test_colour_swap_uses_the_match_colour_setting(lib, tmp_path):
    image = put(tmp_path / "a.psd", psd(2, 2, planes(RED, BLUE, RED, WHITE)))
    lib.checked.SetInColor(0xFF0000), lib.checked.SwapColorsPSD(image, 0x00FF00)
    assert image.read_bytes()[PSD_DATA:] == bytes([0, 0, 0, 255, 255, 0, 255, 255, 0, 255, 0, 255])
    lib.checked.SetInColor(0)

def test_outputs_open_in_an_independent_reader(lib, tmp_path):
    """PIL (Debian python3-pil) reads what the operations write, at the right sizes and pixels."""
    Image = pytest.importorskip("PIL.Image")
    w, h = 31, 17
    red = [x * 2 % 256 for y in range(h) for x in range(w)]
    blue = [(x + y) % 256 for y in range(h) for x in range(w)]
    image = put(tmp_path / "a.psd", psd(w, h, [red, [0] * (w * h), blue]))
    lib.checked.RGBtoGrayscale(image, 0, tmp_path / "gray.psd")
    lib.checked.CreateThumbnail(image, 12)
    lib.checked.CropBMP_SetWidth(5)
    lib.checked.CropBMPfile(put(tmp_path / "in.bmp", bmp(12, 9)), 2, tmp_path / "crop.bmp")
    lib.checked.CropBMP_SetWidth(50)
    with Image.open(tmp_path / "gray.psd") as gray:
        # (60, 0, 46): trunc(106 * 0.333 + 0.5) = 35
        assert (gray.size, gray.mode, gray.getpixel((30, 16))) == ((w, h), "L", 35)
    with Image.open(image) as thumb:
        # 31 x 17 at 12: step 2 and an extra step every other column; black rows 0 and 1;
        # thumbnail pixel (3, 5) is source pixel (7, 6)
        assert (thumb.size, thumb.getpixel((0, 0)), thumb.getpixel((3, 5))) == ((12, 12), (0, 0, 0), (14, 0, 13))
    with Image.open(tmp_path / "crop.bmp") as crop:
        # PIL's top row is the last stored row kept (stored row 6); blue, green, red in the file
        assert (crop.size, crop.getpixel((0, 0)), crop.getpixel((4, 5))) == ((5, 6), (104, 103, 102), (36, 35, 34))

def test_failures_raise_in_the_entry_points_words(lib, tmp_path):
    with pytest.raises(TolvaneError) as info:
        lib.checked.FileCopyTo(tmp_path / "absent", tmp_path / "b")
    assert info.value.code == Code.FAILED and "not copied" in str(info.value)
    lib.checked.ClearFileList()
    assert lib.GetFilePath(1).code == Code.NO_CHOSEN_FILE
