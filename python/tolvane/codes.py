"""Named result codes of libtolvane, from the library's table (``_table.py``).

Every entry point returns a float: 0 for success, a count for the counting
entry points, and a distinct negative (or, for a few, large positive) value
per kind of failure. Some values mean different things to different entry
points (-2 is "missing argument" to the splits and "output not created" to
the mesh export), so ``Code`` has one member per name, the later names of a
value being aliases of the first; ``Result.meaning`` gives the words for the
entry point that returned it.
"""

import enum
import math
import re

from . import _table

#: What ``Version`` returns (the float nearest to 4.03).
VERSION = _table.VERSION


def _python_name(name):
    """kNoFaceIds -> NO_FACE_IDS, kPSDVersion -> PSD_VERSION."""
    words = re.findall(r"[A-Z]+(?![a-z])|[A-Z][a-z0-9]*", name[1:])
    return "_".join(w.upper() for w in words)


#: Result codes shared by the entry points. Aliases share a value.
Code = enum.IntEnum("Code", [(_python_name(n), int(v)) for n, v, _ in _table.CODES], module=__name__)

_MEANING = {}
for _name, _value, _meaning in _table.CODES:
    _MEANING.setdefault(_value, _meaning)


def code_name(value):
    """The ``Code`` for a result value, or None (counts, chunk tags, statuses)."""
    if not math.isfinite(value) or value != int(value):
        return None
    try:
        return Code(int(value))
    except ValueError:
        return None


def generic_meaning(value):
    """Library-wide words for a failure value; "unknown result" otherwise."""
    return _MEANING.get(value, "unknown result") if math.isfinite(value) else "unknown result"
