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
 * a distinct value per kind of failure, listed per entry point below (and,
 * with the name and meaning of every code, in docs/reference.md, written
 * from the library's own table). Any entry point may also return -1772:
 * the operation ran out of memory, and nothing half-written is left.
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
/* The DLL is built with MinGW-w64, which marks its exports with GNU
 * attributes. A host compiled by another compiler needs no mark: it calls
 * the functions through the import library, or finds them with
 * GetProcAddress. */
#if defined(TOLVANE_BUILDING)
#define TOLVANE_HOST_API __attribute__((dllexport))
#elif defined(__GNUC__)
#define TOLVANE_HOST_API __attribute__((dllimport))
#else
#define TOLVANE_HOST_API
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
/* Qiv mesh to OBJ. text: Qiv file path (vertex chunk at offset 32, colour
 * chunk directly after the vertex records, face chunk directly after the
 * colour records); buffer: OBJ file path, replaced; number: not read.
 * Call getFaceIDs first: faces are grouped under "#FaceID n" lines by the
 * face ID list, which a success empties and a failure keeps.
 * The OBJ: "# File exported by Modrix plugin", "#Vertex count V",
 * "#Face count F", one "v x y z" line per vertex (printf %g), the colour
 * block (see outMRGB), then per face ID "#FaceID n" and its faces as
 * "f a b c d" (from 1; a triangle's line ends "c "). The faces end with the
 * face ID list or the face chunk, whichever ends first.
 * Results: 0 done; -9 text or buffer NULL; -18 no face IDs loaded (checked
 * before the Qiv file is opened); -1760 Qiv file cannot be read (missing,
 * a folder); -1761 Qiv file shorter than its headers, lengths or counts
 * claim (nothing written); the tag found (0 or more) when the first chunk
 * is not a vertex chunk (nothing written; a tag of 0 gives 0); -2 OBJ file
 * cannot be created or written (a previous file of that name stays as it
 * was); the tag found when the colour chunk is missing (the OBJ keeps the
 * header and "v " lines) or the face chunk is missing (the OBJ keeps
 * everything up to "# End of RGB block"). */
TOLVANE_HOST_API float qivtoOBJ(const char* text, double number, char* buffer);
/* Face ID list for qivtoOBJ. text: path of a Qiv file whose first chunk
 * holds the faces (its tag is not checked); number: level. Replaces the list
 * with one count per face: 3k for a triangle, 4k for a quad, where
 * k = 4^(level - 1) truncated toward zero (level 1: 4 and 3, level 2: 16
 * and 12, level 0: 0). k saturates at 2^31-1 (from level 16.5 up, and for
 * +inf); levels below 1, -inf and NaN give 0; counts beyond 2^32-1
 * are 2^32-1. buffer: not read.
 * Results: the number of faces read (0 or more); -9 text NULL (list kept);
 * -1760 file cannot be read, -1761 file shorter than its face records (list
 * left empty in both cases). */
TOLVANE_HOST_API float getFaceIDs(const char* text, double number, char* buffer);
/* Vertex colours alone. text: path of a Qiv file whose first chunk holds the
 * colours (its tag is not checked); buffer: text file path, replaced;
 * number: not read. Writes the colour block: a comment line, "#RGB " lines
 * of up to 32 entries " RRGGBB" (lowercase hex), one more line end, and
 * "# End of RGB block".
 * Results: 0 done; -9 text or buffer NULL; -1760 Qiv file cannot be read;
 * -1761 Qiv file shorter than its colour records; -2 output cannot be
 * created or written (a previous file stays as it was). */
TOLVANE_HOST_API float outMRGB(const char* text, double number, char* buffer);
/* @@mesh-swap@@ */
/* Copies the vertex positions of a Qit vertex file into a Qiv mesh, in
 * place. The mesh's first vertex chunk (tag 10001, found by the chunk walk)
 * takes the Qit file's records only when the Qit header states the same
 * length and count; faces, UVs, colours and every other byte of the mesh are
 * kept, and so is its size. The Qit file must be openable for update but is
 * only read.
 *   text    Qit vertex file path
 *   number  not read
 *   buffer  Qiv mesh path (input; the file is rewritten)
 * Returns, checked in this order:
 *      0  positions copied
 *     -2  text or buffer is NULL
 *  -1760  the Qiv file cannot be read
 *    -18  the Qiv file has no vertex chunk
 *  -1761  the vertex chunk's records run past the end of the Qiv file
 *   -201  the Qit file cannot be opened for update (missing, read-only,
 *         a folder)
 *  -1761  the Qit file is shorter than its 16-byte header
 *   -301  the Qit header's length or count differs from the vertex chunk's
 *  -1761  the Qit file holds fewer records than its count
 *   -401  the Qiv file cannot be rewritten (read-only file or folder), or
 *         writing it failed (disk full, file size limit)
 * Any result but 0 leaves both files untouched. The new mesh is written to
 * a temporary file beside it and renamed over it, so the Qiv file is always
 * fully old or fully new; the folder must be writable. */
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
 * lines, in order. The new text is written to a temporary file beside the
 * destination, which replaces it only after every check has passed: a
 * failed check or write leaves the destination as it was.
 * Returns 0; -2 text or buffer NULL; -1 not swapped: a file unreadable, no
 * vertex line in either, different vertex counts, a destination of only
 * vertex and comment lines, a destination that is a device or pipe, or the
 * write failed. */
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
/* The PSD operations handle version 1 RGB files with no colour mode data and
 * uncompressed 8-bit planes (channels 0, 1, 2 = red, green, blue). Colours are
 * packed numbers R*65536+G*256+B, rounded to single precision first (so
 * numbers above 16777216 or with fractions may split differently from
 * integer arithmetic). Files are rewritten through a temporary file renamed
 * over the target: a failed write leaves the original file intact. Every
 * check is made before any output is opened.
 *
 * Codes shared by the PSD entry points:
 *   0      done
 *   -1     a PSD cannot be opened, or does not start with "8BPS"
 *   -2     PSD version not 1
 *   -3     colour mode data present (indexed, duotone)
 *   -4     image data compressed
 *   -5     the output cannot be written; the file there is unchanged
 *   -1761  the file is damaged: it ends inside its header, a section length
 *          points outside it, width or height is negative or their product
 *          exceeds 2^31-1, or it holds fewer than three planes of pixels */

/* Stencil. text: PSD path, rewritten in place. number: new colour (to float).
 * Every pixel that is not the colour last given to SetInColor (0 = black
 * before any call) gets the new colour; other channels and the header stay.
 * Codes: 0, -1, -2, -3, -4, -5, -1761. */
TOLVANE_HOST_API float MakeStencilPSD(const char* text, double number, char* buffer);
/* Colour swap. As MakeStencilPSD, but only the pixels of the SetInColor colour
 * get the new colour. Codes: 0, -1, -2, -3, -4, -5, -1761. */
TOLVANE_HOST_API float SwapColorsPSD(const char* text, double number, char* buffer);
/* Seam heal. text: edge PSD path, rewritten. buffer: body PSD path, read.
 * number > 0: left and right bands (rows 2..H-2: columns 0,1 from the edge
 * image's 50,51 and columns W-2,W-1 from its 48,49); otherwise top and bottom
 * bands (rows 0..9 from rows 50..59, the last 10 rows from rows 40..49). The
 * rest, and the header sections, come from the body image.
 * Codes: 0, -1..-5 (either file), -6 the sizes differ, -9 the edge image is
 * below 100 x 100, -1761, -1771 the two files' header sections differ in
 * length. */
TOLVANE_HOST_API float HealPSDfiles(const char* text, double number, char* buffer);
/* Grayscale. text: RGB PSD path, read. buffer: output PSD path, created or
 * replaced. number: black threshold (clamped to 0..255, truncated): levels at
 * or below it become 0 and the rest are stretched; 0 gives the plain rounded
 * mean (r+g+b)/3. The output has one channel, mode grayscale and the input's
 * header sections. Codes: 0, -1, -2, -3 (also: mode not RGB), -4, -5, -1761. */
TOLVANE_HOST_API float RGBtoGrayscale(const char* text, double number, char* buffer);
/* Merge. text: top PSD path, rewritten with the result. buffer: bottom PSD
 * path, read. number: key colour (to float): top pixels of that colour let the
 * bottom show; all others cover it. The result has the bottom file's header
 * sections. Codes: 0, -1..-5 (either file; when the top fails the bottom is
 * not opened), -6 the sizes differ, -1761, -1771. */
TOLVANE_HOST_API float MergePSDfiles(const char* text, double number, char* buffer);
/* Thumbnail. text: PSD path, replaced by a square thumbnail. number: size in
 * pixels (truncated), 1..16384. Point sampling; the shorter side is centred
 * between black margins (an image smaller than the thumbnail repeats its
 * first row or column there and is black beyond); the result has three planes (the channel count is
 * set to 3 when it was larger). Codes: 0, -1, -2, -3, -4, -5, -1761,
 * -1770 size below 1 or above 16384. */
TOLVANE_HOST_API float CreateThumbnail(const char* text, double number, char* buffer);
/* BMP crop. text: 24-bit BMP path, read. buffer: output BMP path, created or
 * replaced. number: pixel offset into each row (truncated, times 3 bytes).
 * The width is the last CropBMP_SetWidth value (50 before any call). Keeps
 * stored rows 1 .. height-3 (bottom-up files lose the bottom row and the top
 * two), cut to the strip, rows padded to 4 bytes; the header up to the pixel
 * data is copied with size, width, height and image size updated.
 * Codes: 0, -1760 the input cannot be opened, -7 not "BM", -5 output not
 * written, -1761 the file ends before its header or before the rows it says
 * it has, -1770 the strip does not fit (negative offset, width below 1, offset
 * + width past the stored row, or fewer than 4 rows; top-down files have a
 * negative height and are refused this way). */
TOLVANE_HOST_API float CropBMPfile(const char* text, double number, char* buffer);

/* ---- Files, folders, dialog, URL ---------------------------------------- */
/* @@files@@ */
/* text: path of a file to delete (NULL: -1). Returns what remove() returns:
 * 0 removed, -1 not (missing, not permitted, a folder that is not empty). */
TOLVANE_HOST_API float FileDelete(const char* text, double number, char* buffer);
/* text: source path; buffer: destination path (either NULL: -1). The
 * destination is removed first, then the source is copied into a new file in
 * 4000-byte blocks. 0 copied, -1 failed: the source cannot be read, the
 * destination cannot be created, or a write fell short (the blocks written so
 * far stay). After a failure no earlier destination file remains. Copying a
 * file onto its only name gives -1 and leaves it untouched. */
TOLVANE_HOST_API float FileCopyTo(const char* text, double number, char* buffer);
/* text: folder to walk with GetFile. A folder still being walked is closed
 * first. 0 opened; -1 not (missing, not a folder, NULL), and then no folder
 * is open. */
TOLVANE_HOST_API float OpenFolder(const char* text, double number, char* buffer);
/* buffer: receives the next entry name of the open folder and its zero byte
 * (up to 256 bytes), in the file system's order, "." and ".." included.
 * 0 delivered; -1 no folder open (or buffer NULL); -3 no more entries, on
 * every call until CloseFolder. */
TOLVANE_HOST_API float GetFile(const char* text, double number, char* buffer);
/* Ends the folder walk. 0 closed, -1 no folder open. */
TOLVANE_HOST_API float CloseFolder(const char* text, double number, char* buffer);
/* text: folder to empty of its files. Every entry whose name has a dot
 * (a.txt, .hidden, c.d) is removed, a dotted folder only when it is empty;
 * entries without a dot stay (taken as subfolders) and are not entered.
 * "/" is added to the path unless it ends in "/". Joined names longer than
 * 255 bytes are left alone. 0 when the folder could be opened, whatever the
 * single removals did; -1 when it cannot be opened (also "" and NULL). */
TOLVANE_HOST_API float EmptyFolder(const char* text, double number, char* buffer);
/* Shows the desktop's file-open dialog "Choose files to Multi Append..."
 * (several files at once, opening in the current folder; zenity, else
 * kdialog) and returns when the user has
 * finished. Returns the number of files chosen, which replace the previous
 * choice; 0 when the user cancelled or closed the dialog or chose nothing
 * (the previous choice stays); -2102 no display (neither DISPLAY nor
 * WAYLAND_DISPLAY, or the display does not answer); -2103 no chooser program
 * installed; -2104 the chooser could not start or ended abnormally. */
TOLVANE_HOST_API float GetOpenDialog(const char* text, double number, char* buffer);
/* number: position in the chosen files, from 1 (truncate); buffer: 256
 * bytes, receives the path. The path is in Mac Roman when every character
 * exists there, otherwise in UTF-8; a shorter path is followed by zero bytes
 * up to 256, a path of 256 bytes or more is cut at 256 without a zero byte.
 * 0 delivered; -2101 no such position (below 1, past the count, or no
 * choice), buffer untouched; 66666 the chosen entry is not a file path; 1234
 * the path is not text or does not fit 2 bytes per character in either
 * encoding; -1 buffer NULL. */
TOLVANE_HOST_API float GetFilePath(const char* text, double number, char* buffer);
/* Drops the chosen files; GetFilePath then gives -2101. Returns 0. */
TOLVANE_HOST_API float ClearFileList(const char* text, double number, char* buffer);
/* text: a URL to open with the desktop's default handler (xdg-open, started
 * without a shell and not waited for). Standard output is flushed first.
 * -1 when the text is not an absolute URL (a scheme such as https: or
 * mailto:, then only characters a URL may hold, "%" with two hex digits, at
 * most one "#"; NULL too): nothing is started. 0 when xdg-open started (what
 * the browser then does is not reported); -2105 when it could not be
 * started. */
TOLVANE_HOST_API float inPut(const char* text, double number, char* buffer);

#ifdef __cplusplus
}
#endif

#endif /* TOLVANE_HOST_H */
