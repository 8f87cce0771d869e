"""The inspector, through tolvane-call: what each operation will make of a
file, and the hint for a call that failed or wrote nothing.

The rules live in one place, tolvane-call's inspector; this module only
runs it. tolvane-call is taken from $TOLVANE_CALL, else beside the
library (the build folder, or bin/ of the library's install prefix), else
from PATH."""

import json
import os
import shutil
import subprocess
from pathlib import Path

_PROGRAM = "tolvane-call.exe" if os.name == "nt" else "tolvane-call"


class InspectorNotFound(FileNotFoundError):
    """No tolvane-call to run the inspector was found."""


def find_tolvane_call(library_path=None):
    """Path of the tolvane-call the inspector runs, or None."""
    env = os.environ.get("TOLVANE_CALL")
    if env:
        return env
    if library_path is None:
        from .library import find_library
        library_path = find_library()
    if library_path:
        here = Path(library_path).resolve().parent
        for folder in (here, here.parent / "bin", here.parent.parent / "bin"):
            if (folder / _PROGRAM).is_file():
                return str(folder / _PROGRAM)
    return shutil.which(_PROGRAM)


def _run(args, library_path=None):
    program = find_tolvane_call(library_path)
    if program is None:
        raise InspectorNotFound("tolvane-call not found beside the library or on PATH (set TOLVANE_CALL)")
    done = subprocess.run([program] + args, capture_output=True, check=False)
    return done.stdout.decode("utf-8", "surrogateescape")


def inspect(path, library_path=None):
    """What the library's operations will make of the file at `path`, as a
    dict: ``kind`` (qiv, qit, obj, grouplist, psd, bmp, unknown,
    unreadable), ``facts``, the chunk, group or entry list when the kind has
    one, ``verdicts`` (per entry point: result, ok, writes_nothing, code,
    why, fix) and ``warnings``."""
    out = _run(["--inspect", "--json", os.fsdecode(path)], library_path)
    if not out.strip():
        raise OSError(f"tolvane-call --inspect gave no report for {os.fsdecode(path)!r}")
    return json.loads(out.splitlines()[0])


def _word(value):
    if value is None:
        return "-"
    return os.fsdecode(value) if isinstance(value, (bytes, os.PathLike)) else str(value)


def hint(entry, code, text=None, number=0.0, buffer=None, library_path=None):
    """The one-line hint for a call of `entry` that returned `code`, or
    None when the inspection has nothing to add."""
    words = [repr(float(code)), entry, _word(text), repr(float(number)), _word(buffer)]
    line = _run(["--hint"] + words, library_path).strip()
    return line[len("hint: "):] if line.startswith("hint: ") else None
