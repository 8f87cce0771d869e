"""The binding's table of entry points against the one tolvane-call prints
from (tools/entries.h): same names in the same order, same arguments read,
same success rule, and a meaning for every code tolvane-call names."""

import re

import pytest

from conftest import SOURCE_DIR
from tolvane.codes import Code, generic_meaning
from tolvane.entries import ANY, ENTRIES, NON_NEGATIVE, ZERO, listed_meaning, parse_codes

CSTR = r'"(?:[^"\\]|\\.)*"'
ROW = re.compile(
    r'\{"(\w+)",\s*(nullptr|' + CSTR + r'),\s*(nullptr|' + CSTR + r'),\s*Buf::(\w+),\s*(nullptr|'
    + CSTR + r'),\s*Ok::(\w+),\s*((?:' + CSTR + r'\s*)+)\}')


def c_rows():
    path = SOURCE_DIR / "tools" / "entries.h"
    if not path.exists():
        pytest.skip("source tree not available")
    rows = []
    for m in ROW.finditer(path.read_text()):
        codes = "".join(re.findall(CSTR, m.group(7)))
        codes = "".join(part[1:-1] for part in re.findall(CSTR, codes))
        rows.append((m.group(1), m.group(2) != "nullptr", m.group(3) != "nullptr", m.group(4),
                     m.group(6), codes))
    return rows


def test_same_entry_points_in_the_same_order():
    assert [r[0] for r in c_rows()] == [e.name for e in ENTRIES]


@pytest.mark.parametrize("entry", ENTRIES, ids=lambda e: e.name)
def test_same_arguments_and_success_rule(entry):
    row = {r[0]: r for r in c_rows()}[entry.name]
    _, reads_text, reads_number, buffer, ok, _ = row
    assert (entry.text is not None) == reads_text
    assert (entry.number is not None) == reads_number
    kind = "Out" if entry.output else "In" if entry.buffer_in else "None"
    assert kind == buffer
    assert {"Zero": ZERO, "NonNegative": NON_NEGATIVE, "Any": ANY}[ok] == entry.ok


@pytest.mark.parametrize("entry", ENTRIES, ids=lambda e: e.name)
def test_every_listed_code_has_a_meaning(entry):
    codes = {r[0]: r[5] for r in c_rows()}[entry.name]
    # Codes stand at the start of an item, as tolvane-call reads them.
    found = [v for lo, hi, alt, _ in parse_codes(codes) if lo is not None for v in (lo, hi, alt)]
    for value in [v for v in found if v is not None]:
        number = f"{value:g}"
        if value == 0 or entry.name == "Version" or (entry.ok == NON_NEGATIVE and value >= 0):
            continue
        known = listed_meaning(entry, value) or generic_meaning(value) != "unknown result"
        assert known, f"{entry.name}: tolvane-call names {number}, the binding does not"


def test_every_named_code_of_the_library_is_a_code_member():
    path = SOURCE_DIR / "src" / "common" / "result_codes.h"
    if not path.exists():
        pytest.skip("source tree not available")
    names = re.findall(r"constexpr float (k\w+) = (-?[\d.]+)f;", path.read_text())
    assert names, "no codes found"
    for name, value in names:
        if float(value) != int(float(value)):
            continue  # the version number
        try:
            Code(int(float(value)))
        except ValueError:
            pytest.fail(f"{name} = {value} has no Code member")
        assert generic_meaning(float(value)) != "unknown result" or float(value) >= 0, name
