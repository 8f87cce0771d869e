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
