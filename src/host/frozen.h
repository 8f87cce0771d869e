// Names the host already knows and that must never change.
//
// Everything here is exported (or read by the host's scripts) under exactly
// this name and signature: the internal operations under their C++ names,
// the image globals and the sample class. Each operation is a thin wrapper
// over our own tolvane:: code, defined in frozen_<subsystem>.cpp beside this
// header; nothing else in the library declares an exported C++ name. The
// plain-C entry points are declared in include/tolvane/host.h and listed in
// host/entry_table.h.
//
// src/tolvane.map lets exactly these names out of libtolvane.so (the DLL
// exports what TOLVANE_API marks); tests/host/exports_test.cpp checks the
// built library against this header's names and the entry point table.
// A signature changed here changes a mangled name the host links against.
#pragma once

#include "common/export.h"

// ---- binary meshes -------------------------------------------------------
//
// Wrappers over the mesh operations in src/mesh/, documented there under
// their own names (given after each).

// Byte primitives, bytes in file order (least significant first): le32,
// le32 as signed, one byte, bitsToFloat(le32) of common/byte_reader.h.
TOLVANE_API unsigned int readUnInt(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);
TOLVANE_API int readSignInt(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);
TOLVANE_API int readanInt(unsigned char b);
TOLVANE_API float readaFloat(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);

TOLVANE_API float writeOBJfromQiv(const char* qivPath, const char* objPath);    // tolvane::exportQivToObj
TOLVANE_API float GetFaceIDsQiv(const char* path, double level);                // tolvane::readFaceIds
TOLVANE_API float ReadVertColorQiv(const char* qivPath, const char* outPath);   // tolvane::writeColourBlock
TOLVANE_API float swapVerticesQiv(const char* qivPath, const char* qitPath);    // tolvane::swapQivVertices
TOLVANE_API float GetUVTile(const char* qivPath, char* buffer);                 // tolvane::countUVTiles
TOLVANE_API float GetUVsFromQiv(const char* qivPath, const char* outPath);      // tolvane::writeUVTileFiles
TOLVANE_API void getUVTileString(int index, char* buffer);                      // tolvane::uvTileKey
TOLVANE_API void clearUVTileString();                                           // tolvane::clearUVTileKeys
//
// ---- end of binary meshes ------------------------------------------------


// ---- OBJ group tools -----------------------------------------------------
// What each does: the tolvane:: function of the same purpose in
// groups/groups.h.
#include <string>

TOLVANE_API void clearGroupsList();
TOLVANE_API float getGroupsListSize();
TOLVANE_API void addToGroupsList(const char* name, int faces);
TOLVANE_API std::string getGroupName(int index);
TOLVANE_API float saveGroupsList(const char* path);
TOLVANE_API float loadGroupsList(const char* path);
TOLVANE_API void NameSetClear();
TOLVANE_API std::string NameCheck(const char* wanted);
TOLVANE_API float LeanSplitOBJ(const char* objPath, const char* outPath);
TOLVANE_API float LeanAddGroupOBJ(const char* sourcePath, const char* destPath, int vertexOffset);
TOLVANE_API bool LeanSwapVerts(const char* sourcePath, const char* destPath);
TOLVANE_API float LeanSplitQiv(const char* objPath, const char* outPath);
TOLVANE_API float ListSplitQiv(const char* objPath, const char* outPath);
// ---- end of OBJ group tools ----------------------------------------------


// ---- images ----------------------------------------------------------------
//
// PSD and BMP tools (tolvane:: code in image/psd.h, image/bmp.h) and the
// globals the host's scripts read: what the last file loaded left there.
#include <cstdint>

#include "common/byte_reader.h"
#include "image/bmp.h"
#include "image/psd.h"

// The bytes of the PSD file loaded last, exactly as in the file; empty after
// a successful operation.
extern tolvane::Bytes img;
// Header of the PSD file loaded last.
extern PSDHeader fHeader;
// Index in `img` of the first image data byte (after the compression field).
extern int32_t offst;

// Parses the header of the file in `img` into `fHeader` and `offst`
// (tolvane::parsePSDHeader).
TOLVANE_API float readPSDHeader();
// Big-endian primitives over `img`: an index whose bytes are not all inside
// reads 0 and writes nothing.
TOLVANE_API int readShort(int index);   // 2 bytes, sign-extended
TOLVANE_API int readLong(int index);    // 4 bytes, first most significant
TOLVANE_API void writeShort(int index, int value);  // bits 8..15, then 0..7
TOLVANE_API void writeLong(int index, int value);   // most significant first
TOLVANE_API float readFloat(int index);    // 4 bytes, first least significant
TOLVANE_API float readFloatLE(int index);  // readLong(index)'s bits
TOLVANE_API int bigEndian();     // 0
TOLVANE_API int littleEndian();  // 1

// The PSD operations: tolvane::recolourPSD, grayscalePSD, mergeLayers,
// healEdges and makeThumbnail.
TOLVANE_API float convertPSD(const char* path, float matchColor, float newColor, bool stencil);
TOLVANE_API float GrayscalePSD(const char* inPath, const char* outPath, int threshold);
TOLVANE_API float mergePSD(const char* topPath, const char* bottomPath, float keyColor);
TOLVANE_API float mergeSeamlessPSD(const char* edgePath, const char* bodyPath, bool columns);
TOLVANE_API float createThumb(const char* path, int size);

// The bytes of the BMP file loaded last; empty after a successful crop.
extern tolvane::Bytes bmpV;
// Header of the BMP file loaded last.
extern BMPHeader bmpHdr;
// Read position in `bmpV`.
extern int32_t offset;

// Parses the header of the file in `bmpV` into `bmpHdr` and sets `offset` to
// 0 (tolvane::parseBMPHeader).
TOLVANE_API float readBMPHeader();
// tolvane::cropStrip.
TOLVANE_API float cropBMP(const char* inPath, const char* outPath, int skipBytes, int cropWidth);
//
// ---- end of images -----------------------------------------------------------


// ---- files -----------------------------------------------------------------
//
// Wrappers over the file services in src/files/, documented there under
// their own names (given after each).
#include <string>

namespace tolvane::platform {
struct CallbackParams;
}

TOLVANE_API std::string FileNameExtract(const std::string& path, int mode);  // tolvane::pathPart
TOLVANE_API bool ClearFolder(const std::string& path);                        // tolvane::clearFolder
TOLVANE_API bool IsDirectory(const char* name);                               // tolvane::namesFolder
TOLVANE_API void MyNavEventProc(long selector, tolvane::platform::CallbackParams* params,
                                void* userData);  // tolvane::onDialogEvent
//
// ---- end of files ------------------------------------------------------------


// ---- sample class ------------------------------------------------------------
//
// Exported as it has always been; nothing in the library calls it. Hosts
// use it to check that C++ symbols resolve.

class TOLVANE_API Tolvane4 {
 public:
  // Writes text and a line feed to standard output.
  void HelloWorld(const char* text);
};

class TOLVANE_API Tolvane4Priv {
 public:
  void HelloWorldPriv(const char* text);
};

// ---- end of sample class -------------------------------------------------------
