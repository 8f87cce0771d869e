/* libtolvane host entry points.
 *
 * The host application loads libtolvane as a dynamic library and calls these
 * functions by name, one call at a time, from one thread. Every entry point
 * has the same shape:
 *
 *   float Name(const char* text, double number, char* buffer);
 *
 *   text    a path, a name or a URL (may be NULL where stated)
 *   number  a count, index, level or setting; ignored where not listed
 *   buffer  a second input string (most often a second path), or an output
 *           area into which a zero-terminated string is copied. No size is
 *           passed: the caller provides room for a path (4096 bytes is safe;
 *           GetFilePath needs 256).
 *
 * The result is a float: 0 for success, a count for counting operations, and
 * a distinct value per kind of failure, listed per entry point below.
 * Number conversions: "truncate" turns the double into a 32-bit integer
 * toward zero (out-of-range values saturate, NaN gives 0); "to float" rounds
 * it to single precision.
 *
 * State kept between calls (group list, name set, face ID list, open folder,
 * chosen files, the crop width and the match colour) lives from library load
 * to unload; only the Clear... entry points reset it.
 */
#ifndef TOLVANE_HOST_H
#define TOLVANE_HOST_H

#if defined(_WIN32)
#if defined(TOLVANE_BUILDING)
#define TOLVANE_HOST_API __declspec(dllexport)
#else
#define TOLVANE_HOST_API __declspec(dllimport)
#endif
#else
#define TOLVANE_HOST_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Settings ---------------------------------------------------------- */

/* Library version: always 4.03 (the float nearest to it). */
TOLVANE_HOST_API float Version(const char* text, double number, char* buffer);
/* number: crop width used by CropBMPfile (to float). Initially 50. Returns 0. */
TOLVANE_HOST_API float CropBMP_SetWidth(const char* text, double number, char* buffer);
/* number: packed colour R*65536+G*256+B to match in MakeStencilPSD and
 * SwapColorsPSD (to float). Initially 0. Returns 0. */
TOLVANE_HOST_API float SetInColor(const char* text, double number, char* buffer);

/* ---- Binary meshes (Qiv) ----------------------------------------------- */
/* @@mesh@@ */
TOLVANE_HOST_API float qivtoOBJ(const char* text, double number, char* buffer);
TOLVANE_HOST_API float getFaceIDs(const char* text, double number, char* buffer);
TOLVANE_HOST_API float outMRGB(const char* text, double number, char* buffer);
/* @@mesh-swap@@ */
TOLVANE_HOST_API float SwapVertices_Qiv(const char* text, double number, char* buffer);

/* ---- OBJ group tools ---------------------------------------------------- */
/* @@groups@@ */
/* Split, append and swap OBJ meshes by group; the group list; unique names.
 * OBJ lines are split at line feeds only (a CR stays in the line, so also in
 * a group name) and classified by their first characters: "v " vertex line,
 * "g..." group line (name = the text from the third character on), "f..."
 * face line (vertex numbers only: of "7/3/5" only 7). Vertex lines are
 * copied as text, never reformatted. The splits never overwrite: each output
 * is named folder + name + ext, or name_copy1, name_copy2, ... when that
 * name is taken (by anything, even a folder). Face numbers below 1, or past
 * the last vertex line, select no vertex; in SplitOBJ the number 0 selects
 * the line "#start of vector". Any number of groups is handled. */

/* Appends the OBJ file `text` as one group to the OBJ file `buffer`
 * (created when missing): vertex lines as they are, every group line as
 * "g <file name without folder and extension>", face lines as "f " and each
 * vertex number plus the offset followed by a space; everything else is
 * dropped. Records the name (cut to 127 bytes) and the face range in the
 * group list. number: vertex lines already in `buffer` (truncate): 0 for the
 * first part, then the previous call's result.
 * Returns the offset plus the source's vertex lines; -9 text or buffer NULL;
 * -1 source unreadable; -2 destination not opened or a write failed (it is
 * cut back to its old size). On failure the group list is unchanged. */
TOLVANE_HOST_API float AppendOBJ(const char* text, double number, char* buffer);
/* Appends {text, faceIndex, faceIndex + count} to the group list. number:
 * face count (truncate). text: name, cut to 127 bytes. Returns 0; -2 count
 * not above 0 (checked first); -1 text NULL. */
TOLVANE_HOST_API float GroupListAdd(const char* text, double number, char* buffer);
/* Copies the name of entry `number` (from 0, truncate) into buffer (at most
 * 128 bytes), or "null" past the end. Returns 0; -1 number -1 or below or NaN,
 * or buffer NULL (buffer untouched). */
TOLVANE_HOST_API float GroupListGetName(const char* text, double number, char* buffer);
/* Returns the number of entries; -1 when the list is empty. */
TOLVANE_HOST_API float GroupListSize(const char* text, double number, char* buffer);
/* Replaces the group list by the file `text`: 136-byte records (name, 128
 * bytes NUL-terminated; first face; end face; little-endian int32). The face
 * counter restarts at 0. A partial last record is kept with its missing
 * bytes zero; a name without NUL ends at byte 127. Returns 0; -9 text NULL;
 * -3 file unreadable (the list is then empty). */
TOLVANE_HOST_API float GroupListLoad(const char* text, double number, char* buffer);
/* Writes the group list to the file `text` (replaced whole, through a
 * temporary file). Returns 0; -9 text NULL; -1 list empty (nothing touched);
 * -3 not written (an existing file stays as it was). */
TOLVANE_HOST_API float GroupListSave(const char* text, double number, char* buffer);
/* Empties the group list and restarts the face counter at 0. Returns 0. */
TOLVANE_HOST_API float GroupListClear(const char* text, double number, char* buffer);
/* Splits the OBJ file `text` by its group lines into vertex-only OBJ files in
 * the folder of `buffer` (up to its last "/" or "\"; none: the current
 * folder), one per group, named after it, written in byte order of the names
 * ("Arm" before "arm"): each holds the vertex lines its faces use, once, in
 * file order. Faces before the first group line belong to the first group
 * named. Returns 0 (also when there is no group line: nothing written); -2
 * text or buffer NULL, or a group selects no vertex line (stops there); -1 OBJ
 * unreadable; -3 an output file not written (stops there). Files written
 * before a failure stay. */
TOLVANE_HOST_API float SplitOBJ(const char* text, double number, char* buffer);
/* As SplitOBJtoQiv, but the groups are the group list's entries: face k (from
 * 0, in file order) goes to the entry whose range holds it; faces past the
 * last range go to the last entry; group lines are ignored. An entry whose
 * name occurs earlier in the list gets no file of its own. Returns 0; -2 text
 * or buffer NULL; -5 group list empty (nothing opened); -1 OBJ unreadable; -3
 * an output file not written (stops there, earlier files stay). */
TOLVANE_HOST_API float ListSplitOBJtoQiv(const char* text, double number, char* buffer);
/* Splits the OBJ file `text` by its group lines into Qit vertex files
 * (name.Qit) in the folder of `buffer`, in byte order of the names: a 16-byte
 * header (10001, 16 + 12 * count, count, 0) and x, y, z as little-endian
 * floats of each vertex its faces use, once, in file order. Vertex text is
 * read as a C++ stream reads floats: after "v", three white-space separated
 * decimal numbers (sign, digits, point, exponent; no hex, inf or nan);
 * further values are ignored; a missing field or one that does not start
 * with a number gives 0 for it and the rest of the line; numbers beyond the
 * float range give the largest float of their sign. A group without vertices
 * gets the header alone. Returns 0; -2 text or buffer NULL; -1 OBJ unreadable;
 * -3 an output file not written (stops there, earlier files stay). */
TOLVANE_HOST_API float SplitOBJtoQiv(const char* text, double number, char* buffer);
/* Rewrites the OBJ file `buffer` with the vertex lines of the OBJ file `text`:
 * "# written by Tolvane plugin for Modrix", then the source's vertex lines,
 * then the destination's lines that are neither vertex nor comment ("#")
 * lines, in order. Only after every check has passed, through a temporary
 * file renamed over it: a failed write leaves the destination as it was.
 * Returns 0; -2 text or buffer NULL; -1 not swapped: a file unreadable, no
 * vertex line in either, different vertex counts, a destination of only
 * vertex and comment lines, or the write failed. */
TOLVANE_HOST_API float SwapVertices(const char* text, double number, char* buffer);
/* Forgets every name CheckName handed out. Returns 0. */
TOLVANE_HOST_API float ClearNameSet(const char* text, double number, char* buffer);
/* Copies a unique name into buffer: `text` itself the first time; later its
 * base (text up to and including its first "_copy", or text + "_copy")
 * followed by the first free number 1, 2, 3, ...; each number tried is
 * printed on standard output, one per line. Returns 0; -1 text or buffer
 * NULL (nothing remembered). */
TOLVANE_HOST_API float CheckName(const char* text, double number, char* buffer);

/* ---- Images (PSD, BMP) -------------------------------------------------- */
/* @@image@@ */
TOLVANE_HOST_API float MakeStencilPSD(const char* text, double number, char* buffer);
TOLVANE_HOST_API float SwapColorsPSD(const char* text, double number, char* buffer);
TOLVANE_HOST_API float HealPSDfiles(const char* text, double number, char* buffer);
TOLVANE_HOST_API float RGBtoGrayscale(const char* text, double number, char* buffer);
TOLVANE_HOST_API float MergePSDfiles(const char* text, double number, char* buffer);
TOLVANE_HOST_API float CreateThumbnail(const char* text, double number, char* buffer);
TOLVANE_HOST_API float CropBMPfile(const char* text, double number, char* buffer);

/* ---- Files, folders, dialog, URL ---------------------------------------- */
/* @@files@@ */
TOLVANE_HOST_API float FileDelete(const char* text, double number, char* buffer);
TOLVANE_HOST_API float FileCopyTo(const char* text, double number, char* buffer);
TOLVANE_HOST_API float OpenFolder(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GetFile(const char* text, double number, char* buffer);
TOLVANE_HOST_API float CloseFolder(const char* text, double number, char* buffer);
TOLVANE_HOST_API float EmptyFolder(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GetOpenDialog(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GetFilePath(const char* text, double number, char* buffer);
TOLVANE_HOST_API float ClearFileList(const char* text, double number, char* buffer);
TOLVANE_HOST_API float inPut(const char* text, double number, char* buffer);

#ifdef __cplusplus
}
#endif

#endif /* TOLVANE_HOST_H */
