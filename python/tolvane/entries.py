"""The 37 host entry points as a caller sees them, from the library's table
(``_table.py``, written by tolvane-tables).

For each: the Python parameter names of the arguments it reads (text,
number, input buffer, in that order), what an output buffer receives, which
results mean success, and its result codes in the words ``tolvane-call
--list`` uses.
"""

from dataclasses import dataclass
from typing import Optional, Tuple

from . import _table

# Which results mean success.
ZERO = "zero"  # 0 only
COUNT = "count"  # a count: 0 or more
ANY = "any"  # never fails (Version)


@dataclass(frozen=True)
class Entry:
    name: str
    text: Optional[str]  # parameter name when the text is read
    number: Optional[str]  # parameter name when the number is read
    buffer_in: Optional[str]  # parameter name when the buffer is a second input
    output: Optional[str]  # what the buffer receives when it is an output
    ok: str
    counted: Optional[str]  # what a count counts
    other: Optional[str]  # results that are no code (a chunk tag)
    codes: Tuple[Tuple[float, str], ...]  # (value, words)

    @property
    def params(self):
        return [p for p in (self.text, self.number, self.buffer_in) if p]

    @property
    def results(self):
        """The results in words: "faces read, -9 missing path, ..."."""
        items = [self.counted] if self.counted else []
        items += [f"{value:g} {words}" for value, words in self.codes]
        items += [self.other] if self.other else []
        return ", ".join(items) or ("always 0" if self.ok == ZERO else f"always {_table.VERSION}")


def _entry(row):
    name, text, number, buffer_in, output, ok, counted, other, codes = row
    param = lambda arg: arg[0] if arg else None  # noqa: E731
    return Entry(name, param(text), param(number), param(buffer_in), output, ok, counted, other,
                 tuple((float(v), w) for v, w in codes))


ENTRIES = [_entry(row) for row in _table.ENTRIES]
BY_NAME = {e.name: e for e in ENTRIES}


def succeeded(entry, value):
    if entry.ok == ANY:
        return True
    if entry.ok == COUNT:
        return value >= 0
    return value == 0


def describe(entry, value, generic):
    """Words for `value` as a result of `entry`: "ok", "ok: faces read",
    "failed: no face IDs loaded"; `generic` gives library-wide words."""
    ok = succeeded(entry, value)
    words = " or ".join(w for v, w in entry.codes if v == value)
    if not words:
        words = entry.counted if ok else entry.other
    if not words and not ok:
        words = generic(value)
    head = "ok" if ok else "failed"
    return f"{head}: {words}" if words else head
