"""The binding itself: loading, argument conversion, results and errors."""

import math
import os
import pathlib
import shutil
import subprocess
import sys
import textwrap

import pytest

import tolvane
from tolvane import Code, Library, LibraryNotFound, MissingEntryPoint, Result, TolvaneError


class TestLoading:
    def test_explicit_path_as_str_or_pathlib(self, lib):
        for path in (lib.path, pathlib.Path(lib.path)):
            other = Library(path)
            assert other.path == os.fspath(path)
            assert other.Version().code == pytest.approx(4.03)

    def test_unloadable_path_names_itself(self, tmp_path):
        bogus = tmp_path / "libtolvane.so.4"
        bogus.write_text("not a library")
        with pytest.raises(LibraryNotFound, match="libtolvane.so.4"):
            Library(bogus)
        with pytest.raises(LibraryNotFound, match="nowhere"):
            Library(tmp_path / "nowhere.so")

    def test_bad_environment_variable_is_reported(self, monkeypatch, tmp_path):
        monkeypatch.setenv("TOLVANE_LIBRARY", str(tmp_path / "missing.so"))
        with pytest.raises(LibraryNotFound, match="TOLVANE_LIBRARY"):
            Library()

    @pytest.mark.parametrize("libdir", ["lib", "lib64", "lib/x86_64-linux-gnu"])
    def test_installed_package_finds_the_library_of_its_prefix(self, lib, tmp_path, libdir):
        # The layout `cmake --install` makes; the interpreter starts clean so
        # neither the environment nor the source tree can help.
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

    def test_every_entry_point_is_a_method(self):
        assert len(tolvane.ENTRY_POINTS) == 37
        for name in tolvane.ENTRY_POINTS:
            assert callable(getattr(Library, name))
            assert callable(getattr(tolvane.Checked, name))
            assert name in getattr(Library, name).__doc__


class TestArguments:
    def test_version_ignores_whatever_it_is_given(self, lib):
        r = lib.call("Version", "text", -7.5, "buffer")
        assert r.ok and r.code == pytest.approx(4.03) and r.output is None
        assert lib.version == "4.03"
        assert lib.checked.Version() == pytest.approx(4.03)

    def test_setters_take_ints_floats_and_keywords(self, lib):
        assert lib.CropBMP_SetWidth(50).code == 0
        assert lib.CropBMP_SetWidth(12.75).code == 0
        assert lib.SetInColor(color=0xFFFFFF).code == 0
        assert lib.checked.SetInColor(0) is None

    def test_wrong_argument_count_or_name_is_a_type_error(self, lib):
        with pytest.raises(TypeError, match="takes 1 argument"):
            lib.SetInColor(1, 2)
        with pytest.raises(TypeError, match="missing color"):
            lib.SetInColor()
        with pytest.raises(TypeError, match="unexpected argument 'colour'"):
            lib.SetInColor(colour=1)
        with pytest.raises(TypeError, match="two values"):
            lib.SetInColor(1, color=2)

    def test_numbers_must_be_numbers(self, lib):
        with pytest.raises(TypeError, match="number"):
            lib.CropBMP_SetWidth("50")
        with pytest.raises(TypeError, match="number"):
            lib.CropBMP_SetWidth(object())

    def test_texts_must_be_strings_or_paths(self, lib):
        with pytest.raises(TypeError, match="text must be a str"):
            lib.call("Version", 5)
        with pytest.raises(ValueError, match="NUL"):
            lib.call("Version", "a\0b")

    def test_unknown_name_is_an_attribute_error(self, lib):
        with pytest.raises(AttributeError, match="no entry point named 'version'"):
            lib.call("version")

    def test_entry_points_missing_from_the_library_raise_on_call(self):
        # Any shared object without our symbols stands for an older build.
        other = Library("libc.so.6")
        assert not other.has("Version") and other.available == []
        with pytest.raises(MissingEntryPoint, match="no entry point 'qivtoOBJ'"):
            other.qivtoOBJ("a.qiv", "a.obj")
        with pytest.raises(MissingEntryPoint):
            other.checked.Version()

    def test_paths_reach_the_library_as_bytes(self, lib, needs, tmp_path):
        needs("FileCopyTo", "FileDelete")
        source = tmp_path / "a file with spaces é.txt"
        source.write_bytes(b"payload")
        copies = [tmp_path / "copy1.txt", str(tmp_path / "copy2.txt"), os.fsencode(tmp_path / "copy3.txt")]
        for target in copies:
            assert lib.FileCopyTo(source, target).code == 0
            assert pathlib.Path(os.fsdecode(target)).read_bytes() == b"payload"
        # A name that is not valid UTF-8 survives the round trip too.
        odd = os.fsdecode(os.fsencode(tmp_path) + b"/odd\xff.txt")
        assert lib.FileCopyTo(source, odd).code == 0
        assert lib.checked.FileDelete(odd) is None
        assert not os.path.exists(odd)

    def test_outputs_keep_their_bytes(self, lib, needs):
        needs("ClearNameSet", "CheckName")
        lib.checked.ClearNameSet()
        r = lib.CheckName(b"caf\x8e")  # a Mac Roman name, not UTF-8
        assert r.raw == b"caf\x8e" and r.output == "caf\udc8e"
        assert os.fsencode(r.output) == r.raw
        lib.checked.ClearNameSet()

    def test_null_text_is_passed_as_none(self, lib, needs):
        needs("FileDelete")
        assert lib.FileDelete(None).code == Code.FAILED


class TestResults:
    def test_meaning_is_the_entry_points_own(self):
        assert Result("qivtoOBJ", -18.0).meaning == "failed: no face IDs loaded"
        assert Result("SwapVertices_Qiv", -18.0).meaning == "failed: no vertex chunk"
        assert Result("qivtoOBJ", 20001.0).meaning.startswith("failed: a chunk tag")
        assert Result("getFaceIDs", 12.0).meaning == "ok: faces read"
        assert Result("MergePSDfiles", -3.0).meaning == "failed: PSD header"
        assert Result("GetFilePath", 1234.0).meaning == "failed: path not converted"
        assert Result("GetFilePath", -2101.0).meaning == "failed: no such file in the list"
        assert Result("Version", 4.03).meaning == "ok"

    def test_codes_an_entry_does_not_list_get_library_wide_words(self):
        assert Result("FileDelete", -1761.0).meaning == "failed: input file damaged"
        assert Result("CheckName", -99.0).meaning == "failed: unknown result"

    def test_success_depends_on_the_entry_point(self):
        assert Result("AppendOBJ", 16.0).ok and Result("AppendOBJ", 16.0).count == 16
        assert not Result("AppendOBJ", -2.0).ok
        assert not Result("FileCopyTo", 3.0).ok
        assert Result("GetOpenDialog", 0.0).ok
        assert not Result("GroupListSize", -1.0).ok

    def test_code_names(self):
        assert Code.NO_FACE_IDS is Code.NO_VERTEX_CHUNK
        assert Result("qivtoOBJ", -1760.0).name is Code.INPUT_NOT_OPENED
        assert Result("getFaceIDs", 7.0).name is None
        assert Result("GroupListGetName", math.nan).name is None
        assert Result("qivtoOBJ", 20001.0).name is None

    def test_check_raises_with_code_and_meaning(self):
        ok = Result("qivtoOBJ", 0.0)
        assert ok.check() is ok
        with pytest.raises(TolvaneError) as info:
            Result("qivtoOBJ", -1760.0).check()
        err = info.value
        assert (err.entry, err.code, err.meaning) == ("qivtoOBJ", -1760.0, "failed: Qiv unreadable")
        assert str(err) == "qivtoOBJ returned -1760 (failed: Qiv unreadable)"

    def test_repr_is_readable(self):
        assert repr(Result("GroupListGetName", 0.0, "arm")) == "Result(GroupListGetName=0, ok, output='arm')"
        assert repr(Result("Version", 4.03)) == "Result(Version=4.03, ok)"
