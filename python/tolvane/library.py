"""Loading libtolvane and calling its entry points through ctypes."""

import ctypes
import functools
import inspect
import math
import os
import sysconfig
from dataclasses import dataclass, field
from pathlib import Path
from typing import Optional

from . import codes as _codes
from . import inspector as _inspector
from .entries import BY_NAME, COUNT, ENTRIES, describe, succeeded

#: Room given to entry points that copy a string into the buffer. No size is
#: passed to the library; a path, a name or a folder entry fits easily.
OUTPUT_BUFFER_SIZE = 65536

# Windows: tolvane.dll, installed in bin/ beside tolvane-call.exe (paths go
# to it as UTF-8, which os.fsencode gives there too).
_WINDOWS = os.name == "nt"
_NAMES = ("tolvane.dll",) if _WINDOWS else ("libtolvane.so.4", "libtolvane.so")


class LibraryNotFound(OSError):
    """libtolvane could not be loaded from any of the places tried."""


class MissingEntryPoint(NotImplementedError):
    """The loaded library lacks an entry point (an older or partial build)."""


class TolvaneError(Exception):
    """An entry point returned a failure code.

    Attributes: ``entry`` (its name), ``code`` (the float it returned, as a
    Python float), ``meaning`` (what the code means for that entry point) and
    ``result`` (the whole ``Result``); ``hint`` the likely cause and fix
    (``Result.hint``)."""

    def __init__(self, result):
        self.result = result
        self.entry = result.entry
        self.code = result.code
        self.meaning = result.meaning
        super().__init__(f"{result.entry} returned {_format(result.code)} ({result.meaning})")

    @property
    def hint(self):
        return self.result.hint


def _format(value):
    if math.isfinite(value) and value == int(value):
        return str(int(value))
    return f"{value:g}"


@dataclass(frozen=True)
class Result:
    """What one call gave back.

    ``code`` is the result float; ``output`` the string copied into the
    buffer for the entry points that fill one (GroupListGetName, GetFile,
    CheckName, GetFilePath), decoded with os.fsdecode, else None; ``raw``
    the same bytes undecoded (GetFilePath delivers Mac Roman when every
    character of the path exists there: ``r.raw.decode("mac_roman")``).
    ``ok`` says whether the code means success for this entry point;
    ``meaning`` says it in words; ``hint``, for a failure or a split that
    wrote no file, the likely cause and fix in one line (None otherwise)."""

    entry: str
    code: float
    output: Optional[str] = None
    raw: Optional[bytes] = field(default=None, repr=False, compare=False)
    # (text, number, buffer, library path) of the call, for the hint.
    call: Optional[tuple] = field(default=None, repr=False, compare=False)

    @functools.cached_property
    def hint(self):
        """Asked of the inspector (tolvane-call) on first use only."""
        if self.call is None:
            return None
        text, number, buffer, where = self.call
        try:
            return _inspector.hint(self.entry, self.code, text, number, buffer, where)
        except (OSError, ValueError):
            return None

    @property
    def ok(self):
        return succeeded(BY_NAME[self.entry], self.code)

    @property
    def meaning(self):
        return describe(BY_NAME[self.entry], self.code, _codes.generic_meaning)

    @property
    def name(self):
        """The ``Code`` of the result, or None for counts, tags and statuses."""
        return _codes.code_name(self.code)

    @property
    def count(self):
        """The count of a counting entry point (faces read, next vertex
        offset, entries, files chosen) as an int."""
        return int(self.code)

    def check(self):
        """Returns self when the call succeeded, raises TolvaneError otherwise."""
        if not self.ok:
            raise TolvaneError(self)
        return self

    def __repr__(self):
        out = "" if self.output is None else f", output={self.output!r}"
        return f"Result({self.entry}={_format(self.code)}, {self.meaning}{out})"


# --- finding the library -------------------------------------------------------

def _candidates():
    """Places tried when no path is given and $TOLVANE_LIBRARY is unset."""
    multiarch = sysconfig.get_config_var("MULTIARCH") or ""
    subdirs = ["", "lib", "lib64", "build"] + ([f"lib/{multiarch}"] if multiarch else [])
    if _WINDOWS:
        subdirs = ["", "bin", "build-win"]
    here = Path(__file__).resolve().parent
    # The package inside an install prefix (prefix/lib/python3/dist-packages/
    # tolvane) or inside the source tree (python/tolvane, library in build/).
    for folder in list(here.parents)[:5]:
        for sub in subdirs:
            for name in _NAMES:
                yield folder / sub / name if sub else folder / name
    for prefix in () if _WINDOWS else ("/usr/local", "/usr"):
        for sub in ["lib", "lib64"] + ([f"lib/{multiarch}"] if multiarch else []):
            for name in _NAMES:
                yield Path(prefix) / sub / name
    # Last, the loader's own search (LD_LIBRARY_PATH, ld.so.cache).
    yield from _NAMES


def find_library():
    """Path of the library Library() would load, or None."""
    env = os.environ.get("TOLVANE_LIBRARY")
    if env:
        return env
    for path in _candidates():
        if isinstance(path, Path) and path.is_file():
            return str(path)
    return None


def _load(path):
    if path is not None:
        path = os.fspath(path)
        try:
            return ctypes.CDLL(path), path
        except OSError as e:
            raise LibraryNotFound(f"cannot load libtolvane from {path}: {e}") from None
    env = os.environ.get("TOLVANE_LIBRARY")
    if env:
        try:
            return ctypes.CDLL(env), env
        except OSError as e:
            raise LibraryNotFound(f"cannot load $TOLVANE_LIBRARY={env}: {e}") from None
    errors = []
    for candidate in _candidates():
        if isinstance(candidate, Path) and not candidate.is_file():
            continue
        try:
            return ctypes.CDLL(str(candidate)), str(candidate)
        except OSError as e:
            errors.append(f"  {candidate}: {e}")
    raise LibraryNotFound(
        "cannot find libtolvane: pass Library(path), set $TOLVANE_LIBRARY, or install it"
        + ("\n" + "\n".join(errors) if errors else ""))


# --- arguments -----------------------------------------------------------------

def _text(value, what):
    """A str, bytes or path-like as the bytes of a zero-terminated string."""
    if value is None:
        return None
    if isinstance(value, (str, bytes)) or hasattr(value, "__fspath__"):
        data = os.fsencode(value)
    else:
        raise TypeError(f"{what} must be a str, bytes or path, not {type(value).__name__}")
    if b"\0" in data:
        raise ValueError(f"{what} contains a NUL character")
    return data


def _number(value, what):
    if value is None:
        return 0.0
    if isinstance(value, (str, bytes)):
        raise TypeError(f"{what} must be a number, not {type(value).__name__}")
    try:
        return float(value)
    except (TypeError, ValueError):
        raise TypeError(f"{what} must be a number, not {type(value).__name__}") from None


def _until_nul(raw):
    end = raw.find(b"\0")
    return raw if end < 0 else raw[:end]


# --- the library ---------------------------------------------------------------

class Library:
    """libtolvane, loaded with ctypes.

    ``Library(path)`` loads that file; ``Library()`` takes $TOLVANE_LIBRARY,
    else looks next to this package's install location (prefix/lib,
    lib64, lib/<triplet>; in a source tree the build folder), then in
    /usr/local and /usr, then asks the loader.

    Every entry point is a method of the same name taking the arguments it
    reads, in the order text, number, buffer (``lib.qivtoOBJ(qiv, obj)``,
    ``lib.getFaceIDs(qiv, 1)``, ``lib.GroupListGetName(0)``), and returns a
    ``Result``. Paths and names may be str, bytes or pathlib paths; numbers
    any real number. ``lib.call(name, text, number, buffer)`` passes all
    three raw (None gives a null pointer). ``lib.checked`` offers the same
    methods raising ``TolvaneError`` on failure.

    State kept between calls (face IDs, group list, name set, open folder)
    lives in the library, which a process loads once: two Library objects on
    the same file share it. Calls must come from one thread at a time."""

    def __init__(self, path=None):
        self._dll, self.path = _load(path)
        self._functions = {}
        self.checked = Checked(self)

    def has(self, name):
        """True when the loaded library exports entry point `name`."""
        return self._function(name) is not None

    @property
    def available(self):
        """Names of the entry points the loaded library exports."""
        return [e.name for e in ENTRIES if self.has(e.name)]

    @property
    def version(self):
        """The library version as text, "4.03"."""
        return f"{self.Version().code:g}"

    def _function(self, name):
        if name not in self._functions:
            try:
                fn = getattr(self._dll, name)
            except AttributeError:
                fn = None
            if fn is not None:
                fn.argtypes = [ctypes.c_char_p, ctypes.c_double, ctypes.c_char_p]
                fn.restype = ctypes.c_float
            self._functions[name] = fn
        return self._functions[name]

    def call(self, name, text=None, number=0.0, buffer=None):
        """Calls entry point `name` with all three arguments as given.

        text and buffer: str/bytes/path or None (a null pointer); for entry
        points that fill the buffer an output area is provided and `buffer`
        only sets its initial content."""
        entry = BY_NAME.get(name)
        if entry is None:
            raise AttributeError(f"libtolvane has no entry point named {name!r}")
        fn = self._function(name)
        if fn is None:
            raise MissingEntryPoint(
                f"{self.path} has no entry point {name!r} (an older or partial build?)")
        text_arg = _text(text, "text")
        number_arg = _number(number, "number")
        buffer_data = _text(buffer, "buffer")
        if entry.output is not None:
            out = ctypes.create_string_buffer(OUTPUT_BUFFER_SIZE)
            if buffer_data:
                out.raw = buffer_data[:OUTPUT_BUFFER_SIZE - 1].ljust(OUTPUT_BUFFER_SIZE, b"\0")
            code = fn(text_arg, number_arg, out)
            raw = _until_nul(out.raw)
            return Result(name, float(code), os.fsdecode(raw), raw)
        buf = None if buffer_data is None else ctypes.create_string_buffer(buffer_data)
        call = (text, number_arg, buffer, self.path)
        return Result(name, float(fn(text_arg, number_arg, buf)), call=call)

    def __repr__(self):
        return f"Library({self.path!r})"


def _signature(params):
    kind = inspect.Parameter.POSITIONAL_OR_KEYWORD
    return inspect.Signature([inspect.Parameter(p, kind) for p in ["self"] + params])


def _method(entry):
    params = entry.params

    def method(self, *args, **kwargs):
        values = _bind(entry, params, args, kwargs)
        return self.call(entry.name, values.get(entry.text), values.get(entry.number, 0.0),
                         values.get(entry.buffer_in))

    method.__name__ = method.__qualname__ = entry.name
    method.__doc__ = _doc(entry)
    method.__signature__ = _signature(params)
    return method


def _bind(entry, params, args, kwargs):
    if len(args) > len(params):
        raise TypeError(f"{entry.name}({', '.join(params)}) takes {len(params)} "
                        f"argument{'s' if len(params) != 1 else ''}, got {len(args)}")
    values = dict(zip(params, args))
    for key, value in kwargs.items():
        if key not in params:
            raise TypeError(f"{entry.name}() got an unexpected argument {key!r}")
        if key in values:
            raise TypeError(f"{entry.name}() got two values for {key!r}")
        values[key] = value
    missing = [p for p in params if p not in values]
    if missing:
        raise TypeError(f"{entry.name}() is missing {', '.join(missing)}")
    return values


def _doc(entry):
    lines = [f"{entry.name}({', '.join(entry.params)}) -> Result"]
    if entry.output:
        lines.append(f"Result.output: {entry.output}.")
    if entry.ok == COUNT:
        lines.append("Result.count: the count on success.")
    lines.append(f"Results: {entry.results}.")
    return "\n".join(lines)


class Checked:
    """The entry points of a Library, raising TolvaneError on failure.

    On success a method returns the output string for entry points that fill
    the buffer, the count (an int) for the counting ones, the version float
    for Version, and None otherwise."""

    def __init__(self, library):
        self._library = library

    def __repr__(self):
        return f"Checked({self._library!r})"


def _checked_method(entry):
    def method(self, *args, **kwargs):
        result = getattr(self._library, entry.name)(*args, **kwargs).check()
        if entry.output is not None:
            return result.output
        if entry.ok == COUNT:
            return result.count
        if entry.name == "Version":
            return result.code
        return None

    method.__name__ = method.__qualname__ = entry.name
    method.__doc__ = _doc(entry).replace("-> Result", "(raises TolvaneError on failure)")
    method.__signature__ = _signature(entry.params)
    return method


for _entry in ENTRIES:
    setattr(Library, _entry.name, _method(_entry))
    setattr(Checked, _entry.name, _checked_method(_entry))
