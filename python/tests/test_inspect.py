"""The inspector through the binding: tolvane.inspect and Result.hint say what the call returns."""

import struct

import pytest

import tolvane
from tolvane import TolvaneError

def rle_psd(width=4, height=4):
    header = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, height, width, 8, 3)
    return header + struct.pack(">III", 0, 0, 0) + struct.pack(">H", 1) + bytes(3 * width * height)

def test_inspect_gives_the_result_the_call_returns(lib, tmp_path):
    psd = tmp_path / "art.psd"
    psd.write_bytes(rle_psd())
    report = tolvane.inspect(psd)
    assert report["kind"] == "psd" and report["facts"]["compression"] == 1
    verdict = report["verdicts"]["SwapColorsPSD"]
    result = lib.SwapColorsPSD(psd, 0)
    assert verdict["result"] == result.code and not verdict["ok"]
    assert "RLE-compressed" in result.hint and "flat_psd.py" in result.hint
    with pytest.raises(TolvaneError) as caught:
        lib.checked.SwapColorsPSD(psd, 0)
    assert caught.value.hint == result.hint
    assert tolvane.inspect(tmp_path / "absent.qiv")["kind"] == "unreadable"

def test_hint_for_a_split_that_wrote_nothing_only(lib, tmp_path):
    obj = tmp_path / "m.obj"
    obj.write_text("o body\nv 0 0 0\nf 1 1 1\n")
    result = lib.SplitOBJ(obj, tmp_path / "out.obj")
    assert result.ok and "no g lines" in result.hint
    assert sorted(p.name for p in tmp_path.iterdir()) == ["m.obj"]
    assert tolvane.inspect(obj)["verdicts"]["SplitOBJ"]["writes_nothing"]
    obj.write_text("g body\nv 0 0 0\nf 1 1 1\n")
    assert lib.SplitOBJ(obj, tmp_path / "out.obj").hint is None
    assert lib.Version().hint is None
