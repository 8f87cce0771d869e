// Names the host already knows and that must never change.
//
// Everything here is exported (or read by the host's scripts) under exactly
// this name and signature: the internal operations under their C++ names and
// the image globals. Each is a thin wrapper over our own tolvane:: code,
// defined in frozen_<subsystem>.cpp beside this header; nothing else in the
// library declares an exported name.
#pragma once

#include "common/export.h"

// ---- binary meshes -------------------------------------------------------
//
// (declarations of the mesh subsystem's frozen names)
//
// ---- end of binary meshes ------------------------------------------------


// ---- OBJ group tools -----------------------------------------------------
//
// (declarations of the group tools' frozen names)
//
// ---- end of OBJ group tools ----------------------------------------------


// ---- images ----------------------------------------------------------------
//
// PSD and BMP tools (tolvane:: code in image/psd.h, image/bmp.h) and the
// globals the host's scripts read: what the last file loaded left there.
#include <cstdint>

#include "common/bytes.h"
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
// (declarations of the file services' frozen names)
//
// ---- end of files ------------------------------------------------------------
