// The mesh subsystem's exported names, each passed straight to its
// operation.
#include "common/byte_reader.h"
#include "host/frozen.h"
#include "mesh/obj_export.h"
#include "mesh/uv_tiles.h"
#include "mesh/vertex_swap.h"

unsigned int readUnInt(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
  const unsigned char b[4] = {b0, b1, b2, b3};
  return tolvane::le32(b);
}

int readSignInt(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
  return int(readUnInt(b0, b1, b2, b3));
}

int readanInt(unsigned char b) { return b; }

float readaFloat(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
  return tolvane::bitsToFloat(readUnInt(b0, b1, b2, b3));
}

float writeOBJfromQiv(const char* qivPath, const char* objPath) { return tolvane::exportQivToObj(qivPath, objPath); }

float GetFaceIDsQiv(const char* path, double level) { return tolvane::readFaceIds(path, level); }

float ReadVertColorQiv(const char* qivPath, const char* outPath) { return tolvane::writeColourBlock(qivPath, outPath); }

float swapVerticesQiv(const char* qivPath, const char* qitPath) { return tolvane::swapQivVertices(qivPath, qitPath); }

float GetUVTile(const char* qivPath, char* buffer) { return tolvane::countUVTiles(qivPath, buffer); }

float GetUVsFromQiv(const char* qivPath, const char* outPath) { return tolvane::writeUVTileFiles(qivPath, outPath); }

void getUVTileString(int index, char* buffer) { tolvane::uvTileKey(index, buffer); }

void clearUVTileString() { tolvane::clearUVTileKeys(); }
