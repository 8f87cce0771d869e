"""Named result codes of libtolvane.

Every entry point returns a float: 0 for success, a count for the counting
entry points, and a distinct negative (or, for a few, large positive) value
per kind of failure. Some values mean different things to different entry
points (-2 is "missing argument" to the splits and "output not created" to
the mesh export), so ``Code`` has one canonical name per value plus aliases;
``Result.meaning`` gives the words for the entry point that returned it.
"""

import enum
import math

#: What ``Version`` returns (the float nearest to 4.03).
VERSION = 4.03


class Code(enum.IntEnum):
    """Result codes shared by the entry points. Aliases share a value."""

    OK = 0
    FAILED = -1  # missing argument, cannot open, operation failed
    NOT_PSD = -1  # no "8BPS" signature
    MISSING_ARGUMENT = -2  # split and swap entry points; count not positive
    OUTPUT_NOT_CREATED = -2  # mesh export and colour export output
    PSD_VERSION = -2  # PSD version not 1
    NO_FURTHER_ENTRY = -3  # folder walk
    CANNOT_CREATE = -3  # group list and splits: a file cannot be created or opened
    PSD_COLOR_DATA = -3  # PSD colour mode data present; grayscale: mode not RGB
    COMPRESSED = -4  # PSD image data is compressed
    LIST_EMPTY = -5  # listed split with an empty group list
    OUTPUT_NOT_WRITABLE = -5  # image write-back
    SIZE_MISMATCH = -6  # two PSD images differ in size
    NOT_BMP = -7  # no BMP signature
    NO_TEXT = -9  # mesh and group entry points: path missing
    TOO_SMALL_TO_HEAL = -9  # heal: first image below 100 x 100
    UV_INPUT_NOT_OPENED = -17
    NO_FACE_IDS = -18  # OBJ export without face IDs
    NO_VERTEX_CHUNK = -18  # vertex swap into a Qiv file
    QIT_NOT_OPENED = -201
    QIT_MISMATCH = -301  # Qit length or count differs from the mesh
    QIV_NOT_REOPENED = -401
    QIV_NOT_WRITTEN = -401
    TOO_MANY_GROUPS = -1025  # more than 1024 distinct groups in one OBJ
    INPUT_NOT_OPENED = -1760
    BAD_FILE = -1761  # truncated file, lying counts, sizes past the end
    OUTSIDE_IMAGE = -1770  # crop strip or thumbnail size outside what the image allows
    SECTIONS_DIFFER = -1771  # merge/heal: PSD header sections of different lengths
    OUT_OF_MEMORY = -1772  # the operation ran out of memory; nothing half-written is left
    NO_CHOSEN_FILE = -2101  # GetFilePath: no file at that position (or no list)
    DIALOG_NO_DISPLAY = -2102  # no display to show the file dialog on
    DIALOG_NO_CHOOSER = -2103  # no file chooser program installed
    DIALOG_FAILED = -2104  # the chooser could not start or ended abnormally
    URL_NOT_STARTED = -2105  # inPut: the URL opener could not be started
    PATH_NOT_CONVERTED_UTF8 = 1234
    TILE_FILE_BASE = 1501  # 1501 + k: UV tile file k not created
    PATH_NOT_CONVERTED = 66666


_GENERIC = {
    Code.FAILED: "failed or cannot open",
    Code.MISSING_ARGUMENT: "missing argument or output not created",
    Code.NO_FURTHER_ENTRY: "cannot create, or no more entries",
    Code.COMPRESSED: "compressed image data",
    Code.LIST_EMPTY: "group list empty or output not writable",
    Code.SIZE_MISMATCH: "image sizes differ",
    Code.NOT_BMP: "not a BMP file",
    Code.NO_TEXT: "missing argument",
    Code.UV_INPUT_NOT_OPENED: "Qiv not opened",
    Code.NO_FACE_IDS: "no face IDs or no vertex chunk",
    Code.QIT_NOT_OPENED: "Qit not opened",
    Code.QIT_MISMATCH: "Qit length/count differ",
    Code.QIV_NOT_REOPENED: "Qiv not writable",
    Code.TOO_MANY_GROUPS: "too many groups",
    Code.INPUT_NOT_OPENED: "input not opened",
    Code.BAD_FILE: "input file damaged",
    Code.OUTSIDE_IMAGE: "outside the image",
    Code.SECTIONS_DIFFER: "PSD header sections differ",
    Code.OUT_OF_MEMORY: "out of memory",
    Code.NO_CHOSEN_FILE: "no chosen file at that position",
    Code.DIALOG_NO_DISPLAY: "no display for the dialog",
    Code.DIALOG_NO_CHOOSER: "no file chooser installed",
    Code.DIALOG_FAILED: "file chooser failed",
    Code.URL_NOT_STARTED: "URL opener not started",
    Code.PATH_NOT_CONVERTED_UTF8: "path not converted",
    Code.PATH_NOT_CONVERTED: "path not converted",
}


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
    code = code_name(value)
    return _GENERIC.get(code, "unknown result") if code is not None else "unknown result"
