// The face ID list and its reader.
#include <cmath>
#include <cstdint>

#include "common/file_front.h"
#include "common/result_codes.h"
#include "mesh/obj_export.h"
#include "mesh/qiv.h"

std::vector<uint32_t> faceID;

namespace tolvane {
namespace {

// n × k for n = 3 or 4, saturated: a count that no longer fits 32 bits
// already covers every face a face chunk can hold.
uint32_t faceCount(uint32_t n, int32_t k) {
  uint64_t c = uint64_t(n) * uint64_t(k);
  return c > UINT32_MAX ? UINT32_MAX : uint32_t(c);
}

}  // namespace

int32_t faceIdFactor(double level) {
  double k = std::pow(4.0, level - 1.0);
  if (std::isnan(k) || k < 1.0) return 0;
  if (k >= 2147483647.0) return INT32_MAX;
  return int32_t(k);
}

float readFaceIds(const char* path, double level) {
  const int32_t k = faceIdFactor(level);
  faceID.clear();

  FileFront front;
  if (!front.open(path)) return kInputNotOpened;
  // The first chunk is the face chunk, whatever its tag; nothing after it
  // is read.
  Chunk faces;
  if (!readChunk(front.upTo(kQivHeaderSize + kChunkHeaderSize), kQivHeaderSize, faces)) return kBadFile;
  ByteReader image = front.upTo(faces.records() + kFaceRecord * faces.count);
  if (!recordsFit(image, faces, kFaceRecord)) return kBadFile;

  const uint32_t quad = faceCount(4, k), triangle = faceCount(3, k);
  const unsigned char* r = image.span(faces.records(), uint64_t(faces.count) * kFaceRecord);
  faceID.resize(faces.count);
  for (uint32_t i = 0; i < faces.count; ++i, r += kFaceRecord)
    faceID[i] = int32_t(le32(r + 12)) < 0 ? triangle : quad;
  return float(faces.count);
}

}  // namespace tolvane
