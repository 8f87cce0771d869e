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
TOLVANE_HOST_API float SwapVertices_Qiv(const char* text, double number, char* buffer);

/* ---- OBJ group tools ---------------------------------------------------- */
/* @@groups@@ */
TOLVANE_HOST_API float AppendOBJ(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GroupListAdd(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GroupListGetName(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GroupListSize(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GroupListLoad(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GroupListSave(const char* text, double number, char* buffer);
TOLVANE_HOST_API float GroupListClear(const char* text, double number, char* buffer);
TOLVANE_HOST_API float SplitOBJ(const char* text, double number, char* buffer);
TOLVANE_HOST_API float ListSplitOBJtoQiv(const char* text, double number, char* buffer);
TOLVANE_HOST_API float SplitOBJtoQiv(const char* text, double number, char* buffer);
TOLVANE_HOST_API float SwapVertices(const char* text, double number, char* buffer);
TOLVANE_HOST_API float ClearNameSet(const char* text, double number, char* buffer);
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
