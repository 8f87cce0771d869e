"""The binding itself: loading, argument conversion, results and errors."""

import math
import os
import pathlib
import shutil
import subprocess
import sys

import pytest

import tolvane
from tolvane import Code, Library, LibraryNotFound, MissingEntryPoint, Result, TolvaneError

def test_loading_by_path_and_the_failures_named(lib, tmp_path, monkeypatch):
    for path in (lib.path, pathlib.Path(lib.path)):
        assert Library(path).Version().code == pytest.approx(4.03)
    bogus = tmp_path / "libtolvane.so.4"
    bogus.write_text("not a library")
    with pytest.raises(LibraryNotFound, match="libtolvane.so.4"):
        Library(bogus)
    monkeypatch.setenv("TOLVANE_LIBRARY", str(tmp_path / "missing.so"))
    with pytest.raises(LibraryNotFound, match="TOLVANE_LIBRARY"):
        Library()

@pytest.mark.parametrize("libdir", ["lib64", "lib/x86_64-linux-gnu"])
def test_installed_package_finds_the_library_of_its_prefix(lib, tmp_path, libdir):
    # The layout `cmake --install` makes, in a clean interpreter: no environment or source tree helps.
    prefix = tmp_path / "prefix"
    (prefix / libdir).mkdir(parents=True)
    shutil.copy(lib.path, prefix / libdir / "libtolvane.so.4")
    site = prefix / "lib" / "python3" / "dist-packages"
    shutil.copytree(pathlib.Path(tolvane.__file__).parent, site / "tolvane")
    env = {k: v for k, v in os.environ.items() if k not in ("TOLVANE_LIBRARY", "PYTHONPATH")}
    env["PYTHONPATH"] = str(site)
    code = "import tolvane; l = tolvane.Library(); print(l.path); print(l.version)"
    out = subprocess.run([sys.executable, "-c", code], env=env, cwd=tmp_path,
                         capture_output=True, text=True, check=True).stdout.split()
    assert out == [str(prefix / libdir / "libtolvane.so.4"), "4.03"]

def test_arguments_are_checked_before_the_call(lib):
    assert lib.call("Version", "text", -7.5, "buffer").code == pytest.approx(4.03)
    assert lib.SetInColor(color=0xFFFFFF).code == 0 and lib.checked.SetInColor(0) is None
    for call, error in [(lambda: lib.SetInColor(1, 2), "takes 1 argument"),
                        (lambda: lib.SetInColor(), "missing color"),
                        (lambda: lib.SetInColor(colour=1), "unexpected argument 'colour'"),
                        (lambda: lib.SetInColor(1, color=2), "two values"),
                        (lambda: lib.CropBMP_SetWidth("50"), "number"),
                        (lambda: lib.call("Version", 5), "text must be a str")]:
        with pytest.raises(TypeError, match=error):
            call()
    with pytest.raises(ValueError, match="NUL"):
        lib.call("Version", "a\0b")
    with pytest.raises(AttributeError, match="no entry point named 'version'"):
        lib.call("version")

def test_entry_points_missing_from_the_library_raise_on_call():
    # Any shared object without our symbols stands for an older build.
    other = Library("libc.so.6")
    assert not other.has("Version") and other.available == []
    with pytest.raises(MissingEntryPoint, match="no entry point 'qivtoOBJ'"):
        other.qivtoOBJ("a.qiv", "a.obj")

def test_paths_and_outputs_keep_their_bytes(lib, tmp_path):
    source = tmp_path / "a file with spaces é.txt"
    source.write_bytes(b"payload")
    odd = os.fsdecode(os.fsencode(tmp_path) + b"/odd\xff.txt")  # not UTF-8
    for target in [tmp_path / "copy1.txt", str(tmp_path / "copy2.txt"), os.fsencode(tmp_path / "c3.txt"), odd]:
        assert lib.FileCopyTo(source, target).code == 0
        assert pathlib.Path(os.fsdecode(target)).read_bytes() == b"payload"
    assert lib.checked.FileDelete(odd) is None and not os.path.exists(odd)
    assert lib.FileDelete(None).code == Code.FAILED
    lib.checked.ClearNameSet()
    r = lib.CheckName(b"caf\x8e")  # a Mac Roman name, not UTF-8
    assert r.raw == b"caf\x8e" and os.fsencode(r.output) == r.raw
    lib.checked.ClearNameSet()

def test_meaning_success_and_errors_are_the_entry_points_own():
    meanings = [("qivtoOBJ", -18, "failed: no face IDs loaded"), ("SwapVertices_Qiv", -18, "failed: no vertex chunk"),
                ("getFaceIDs", 12, "ok: faces read"), ("RGBtoGrayscale", -3, "failed: colour data or not RGB"),
                ("GetOpenDialog", 0, "ok: cancelled"), ("CheckName", -99, "failed: unknown result")]
    assert [Result(e, float(c)).meaning for e, c, _ in meanings] == [m for _, _, m in meanings]
    assert Result("qivtoOBJ", 20001.0).meaning.startswith("failed: a chunk tag")
    assert Result("FileDelete", -1761.0).meaning.startswith("failed: the input file is damaged")
    assert Result("AppendOBJ", 16.0).ok and Result("AppendOBJ", 16.0).count == 16
    assert not any(Result(e, c).ok for e, c in [("AppendOBJ", -2.0), ("FileCopyTo", 3.0), ("GroupListSize", -1.0)])
    assert Code.NO_FACE_IDS is Code.NO_VERTEX_CHUNK and Code.NOT_RGB == -3
    assert Result("qivtoOBJ", -1760.0).name is Code.INPUT_NOT_OPENED
    assert Result("GroupListGetName", math.nan).name is None and Result("qivtoOBJ", 20001.0).name is None
    assert (ok := Result("qivtoOBJ", 0.0)).check() is ok
    with pytest.raises(TolvaneError) as info:
        Result("qivtoOBJ", -1760.0).check()
    err = info.value
    assert (err.entry, err.code, err.meaning) == ("qivtoOBJ", -1760.0, "failed: Qiv unreadable")
    assert str(err) == "qivtoOBJ returned -1760 (failed: Qiv unreadable)"
    assert repr(Result("GroupListGetName", 0.0, "arm")) == "Result(GroupListGetName=0, ok, output='arm')"
