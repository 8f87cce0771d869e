// The image tools' frozen names and globals, each a thin wrapper over our own
// tolvane:: code.
#include "host/frozen.h"

tolvane::Bytes img;
PSDHeader fHeader;
int32_t offst = 0;

tolvane::Bytes bmpV;
BMPHeader bmpHdr;
int32_t offset = 0;

float readPSDHeader() { return tolvane::parsePSDHeader(tolvane::ByteReader(img), fHeader, offst); }
int readShort(int index) { return tolvane::beShortAt(img, index); }
int readLong(int index) { return tolvane::beLongAt(img, index); }
void writeShort(int index, int value) { tolvane::putBeShortAt(img, index, value); }
void writeLong(int index, int value) { tolvane::putBeLongAt(img, index, value); }
float readFloat(int index) { return tolvane::leFloatAt(img, index); }
float readFloatLE(int index) { return tolvane::beFloatAt(img, index); }
int bigEndian() { return tolvane::reportsBigEndian(); }
int littleEndian() { return tolvane::reportsLittleEndian(); }

float convertPSD(const char* path, float matchColor, float newColor, bool stencil) {
  return tolvane::recolourPSD(path, matchColor, newColor, stencil);
}
float GrayscalePSD(const char* inPath, const char* outPath, int threshold) {
  return tolvane::grayscalePSD(inPath, outPath, threshold);
}
float mergePSD(const char* topPath, const char* bottomPath, float keyColor) {
  return tolvane::mergeLayers(topPath, bottomPath, keyColor);
}
float mergeSeamlessPSD(const char* edgePath, const char* bodyPath, bool columns) {
  return tolvane::healEdges(edgePath, bodyPath, columns);
}
float createThumb(const char* path, int size) { return tolvane::makeThumbnail(path, size); }

float readBMPHeader() {
  offset = 0;
  return tolvane::parseBMPHeader(tolvane::ByteReader(bmpV), bmpHdr);
}
float cropBMP(const char* inPath, const char* outPath, int skipBytes, int cropWidth) {
  return tolvane::cropStrip(inPath, outPath, skipBytes, cropWidth);
}
