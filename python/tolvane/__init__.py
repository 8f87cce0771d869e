"""Python binding for libtolvane (ctypes, standard library only).

    from tolvane import Library
    lib = Library()                      # or Library("/path/libtolvane.so.4")
    r = lib.getFaceIDs("mesh.qiv", 1)    # Result(getFaceIDs=12, ok: faces read)
    lib.qivtoOBJ("mesh.qiv", "mesh.obj").check()
    name = lib.checked.CheckName("body") # raises TolvaneError on failure
    tolvane.inspect("art.psd")["verdicts"]["SwapColorsPSD"]["why"]

See ``Library`` for the loading rules and ``Result`` for what a call returns.
"""

from .codes import VERSION, Code
from .entries import ENTRIES
from .inspector import InspectorNotFound, inspect
from .library import (
    Checked,
    Library,
    LibraryNotFound,
    MissingEntryPoint,
    Result,
    TolvaneError,
    find_library,
)

ENTRY_POINTS = [e.name for e in ENTRIES]

__all__ = [
    "Checked", "Code", "ENTRY_POINTS", "InspectorNotFound", "Library", "LibraryNotFound",
    "MissingEntryPoint", "Result", "TolvaneError", "VERSION", "find_library", "inspect",
]
