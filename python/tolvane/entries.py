"""The 37 host entry points as a caller sees them.

For each: the Python parameter names of the arguments it reads (text,
number, input buffer, in that order), whether the buffer is an output, which
results mean success, and the result codes in the words ``tolvane-call
--list`` uses.
"""

from dataclasses import dataclass
from typing import Optional

# Which results mean success.
ZERO = "zero"  # 0 only
NON_NEGATIVE = "non-negative"  # a count: 0 or more
ANY = "any"  # never fails (Version)


@dataclass(frozen=True)
class Entry:
    name: str
    text: Optional[str]  # parameter name when the text is read
    number: Optional[str]  # parameter name when the number is read
    buffer_in: Optional[str]  # parameter name when the buffer is a second input
    output: Optional[str]  # what the buffer receives when it is an output
    ok: str
    codes: str

    @property
    def params(self):
        return [p for p in (self.text, self.number, self.buffer_in) if p]


_PSD = "-1..-4 PSD header, -5 not written, -1761 PSD damaged"
_RECOLOUR = "-1 unreadable or not PSD, -2 version, -3 colour data, -4 compressed, -5 not written, -1761 PSD damaged"
_PAIR = ", -6 sizes differ, -1771 header sections differ in length"

ENTRIES = [
    Entry("Version", None, None, None, None, ANY, "always 4.03"),
    Entry("CropBMP_SetWidth", None, "width", None, None, ZERO, "always 0"),
    Entry("SetInColor", None, "color", None, None, ZERO, "always 0"),
    Entry("qivtoOBJ", "qiv_path", None, "obj_path", None, ZERO,
          "-9 missing path, -18 no face IDs loaded, -1760 Qiv unreadable, -1761 Qiv damaged, "
          "-2 OBJ not created, a chunk tag (>0) when the chunks are out of order"),
    Entry("getFaceIDs", "qiv_path", "level", None, None, NON_NEGATIVE,
          "faces read, or -9 missing path, -1760 Qiv unreadable, -1761 Qiv damaged"),
    Entry("outMRGB", "qiv_path", None, "color_path", None, ZERO,
          "-9 missing path, -1760 Qiv unreadable, -1761 Qiv damaged, -2 output not created"),
    Entry("AppendOBJ", "source_obj", "vertex_offset", "combined_obj", None, NON_NEGATIVE,
          "next vertex offset, or -9 missing path, -1 source unreadable, -2 destination not writable"),
    Entry("GroupListAdd", "name", "face_count", None, None, ZERO, "-2 count not positive, -1 no name"),
    Entry("GroupListGetName", None, "index", None, "group name (\"null\" past the end)", ZERO,
          "-1 index below 0"),
    Entry("GroupListSize", None, None, None, None, NON_NEGATIVE, "entries, or -1 when empty"),
    Entry("GroupListLoad", "path", None, None, None, ZERO, "-9 missing path, -3 unreadable"),
    Entry("GroupListSave", "path", None, None, None, ZERO, "-9 missing path, -1 list empty, -3 not written"),
    Entry("GroupListClear", None, None, None, None, ZERO, "always 0"),
    Entry("SplitOBJ", "obj_path", None, "out_path", None, ZERO,
          "-2 missing path or a group without vertices, -1 OBJ unreadable, -3 output not created"),
    Entry("ListSplitOBJtoQiv", "obj_path", None, "out_path", None, ZERO,
          "-2 missing path, -5 group list empty, -1 OBJ unreadable, -3 output not created"),
    Entry("SplitOBJtoQiv", "obj_path", None, "out_path", None, ZERO,
          "-2 missing path, -1 OBJ unreadable, -3 output not created"),
    Entry("SwapVertices", "source_obj", None, "dest_obj", None, ZERO, "-2 missing path, -1 not swapped"),
    Entry("SwapVertices_Qiv", "qit_path", None, "qiv_path", None, ZERO,
          "-2 missing path, -1760 Qiv unreadable, -18 no vertex chunk, -201 Qit not opened, "
          "-301 Qit length/count differ, -401 Qiv not writable, -1761 Qiv or Qit truncated"),
    Entry("MakeStencilPSD", "psd_path", "new_color", None, None, ZERO, _RECOLOUR),
    Entry("SwapColorsPSD", "psd_path", "new_color", None, None, ZERO, _RECOLOUR),
    Entry("HealPSDfiles", "edge_psd", "columns", "body_psd", None, ZERO,
          _PSD + _PAIR + ", -9 edge image below 100 x 100"),
    Entry("RGBtoGrayscale", "psd_path", "threshold", "out_psd", None, ZERO, _PSD + ", -3 also not RGB"),
    Entry("MergePSDfiles", "top_psd", "key_color", "bottom_psd", None, ZERO, _PSD + _PAIR),
    Entry("CreateThumbnail", "psd_path", "size", None, None, ZERO, _PSD + ", -1770 size below 1 or above 16384"),
    Entry("CropBMPfile", "bmp_path", "pixel_offset", "out_bmp", None, ZERO,
          "-1760 unreadable, -7 not BMP, -5 not written, -1761 BMP damaged, "
          "-1770 strip outside the rows or fewer than 4 rows"),
    Entry("FileDelete", "path", None, None, None, ZERO, "-1 not removed (or no path)"),
    Entry("FileCopyTo", "source", None, "destination", None, ZERO, "-1 not copied (destination removed first)"),
    Entry("OpenFolder", "folder", None, None, None, ZERO, "-1 not opened"),
    Entry("GetFile", None, None, None, "next entry name", ZERO, "-1 no folder open, -3 no more entries"),
    Entry("CloseFolder", None, None, None, None, ZERO, "-1 no folder open"),
    Entry("EmptyFolder", "folder", None, None, None, ZERO, "-1 folder not opened"),
    Entry("ClearNameSet", None, None, None, None, ZERO, "always 0"),
    Entry("CheckName", "name", None, None, "unique name", ZERO, "always 0"),
    Entry("GetOpenDialog", None, None, None, None, NON_NEGATIVE,
          "files chosen, 0 cancelled, -2102 no display, -2103 no chooser installed, -2104 chooser failed"),
    Entry("GetFilePath", None, "position", None, "chosen path (256 bytes)", ZERO,
          "-2101 no such file in the list, 66666 or 1234 path not converted, -1 no buffer"),
    Entry("ClearFileList", None, None, None, None, ZERO, "always 0"),
    Entry("inPut", "url", None, None, None, ZERO, "-1 not a URL, -2105 xdg-open not started"),
]

BY_NAME = {e.name: e for e in ENTRIES}


# --- what a result means -------------------------------------------------------

def _number_prefix(text):
    """Splits "-18 words" into (-18.0, "words"); (None, text) without a number."""
    head, _, rest = text.partition(" ")
    try:
        return float(head), rest
    except ValueError:
        return None, text


def _parse_item(item):
    """(low, high, alternative, words) of one item of a codes text."""
    if item.startswith("or "):
        item = item[3:]
    head = item.split(" ", 1)[0]
    if ".." in head:
        a, b = head.split("..", 1)
        try:
            lo, hi = sorted((float(a), float(b)))
            return lo, hi, None, item[len(head):].strip()
        except ValueError:
            pass
    first, rest = _number_prefix(item)
    if first is None:
        return None, None, None, item
    alt = None
    if rest.startswith("or "):
        second, after = _number_prefix(rest[3:])
        if second is not None:
            alt, rest = second, after
    return first, first, alt, rest.strip()


def parse_codes(codes):
    return [_parse_item(item) for item in codes.split(", ")]


def succeeded(entry, value):
    if entry.ok == ANY:
        return True
    if entry.ok == NON_NEGATIVE:
        return value >= 0
    return value == 0


def listed_meaning(entry, value):
    """The words the entry's own codes give for `value`, or None."""
    for lo, hi, alt, words in parse_codes(entry.codes):
        if lo is not None and (lo <= value <= hi or value == alt):
            return words
    return None


def describe(entry, value, generic):
    """Words for `value` as a result of `entry`: "ok", "ok: faces read",
    "failed: no face IDs loaded"; `generic` gives library-wide words."""
    ok = succeeded(entry, value)
    head = "ok" if ok else "failed"
    words = listed_meaning(entry, value)
    if words is not None:
        return f"{head}: {words or generic(value)}"
    items = parse_codes(entry.codes)
    counts = entry.ok == NON_NEGATIVE and items and items[0][0] is None
    if ok:
        return f"{head}: {items[0][3]}" if counts else head
    rest = items[1:] if counts else items
    words = "; ".join(w for lo, _, _, w in rest if lo is None and not w.startswith("always"))
    return f"{head}: {words or generic(value)}"
