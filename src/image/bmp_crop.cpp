// BMP crop: cut a vertical strip out of a 24-bit BMP into a new file.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/out_file.h"
#include "common/result_codes.h"
#include "image/bmp.h"

tolvane::Bytes bmpV;
BMPHeader bmpHdr;
int32_t offset = 0;

namespace tolvane {

int bmpPadding(int64_t w) {
  int rem = int(std::fmod(float(3 * w), 4.0f));
  switch (rem) {
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    default: return 0;
  }
}

namespace {

constexpr uint64_t kHeaderEnd = 38;  // end of the last field read (imageSize)

// The strip's checks: it must lie inside each stored row, leave at least one
// row, and every row it reads must lie inside the file.
float checkStrip(int64_t skip, int64_t width) {
  if (skip < 0 || width < 1 || skip + 3 * width > bmpHdr.rowBytes || bmpHdr.height < 4)
    return kOutsideImage;
  if (bmpHdr.dataOffset < kHeaderEnd) return kBadFile;
  int64_t rows = int64_t(bmpHdr.height) - 3;
  uint64_t end = uint64_t(bmpHdr.dataOffset) + uint64_t(rows) * uint64_t(bmpHdr.rowBytes) +
                 uint64_t(skip) + uint64_t(3 * width);
  return end <= bmpV.size() ? kOk : kBadFile;
}

}  // namespace
}  // namespace tolvane

float readBMPHeader() {
  using namespace tolvane;
  ByteReader in(bmpV);
  offset = 0;
  const unsigned char* sig = in.span(0, 2);
  if (!sig) return kNotBMP;
  std::memcpy(bmpHdr.signature, sig, 2);
  if (sig[0] != 'B' || sig[1] != 'M') return kNotBMP;
  if (!in.has(0, kHeaderEnd)) return kBadFile;
  in.u32le(2, bmpHdr.fileSize);
  in.u32le(10, bmpHdr.dataOffset);
  in.i32le(18, bmpHdr.width);
  in.i32le(22, bmpHdr.height);
  bmpHdr.bitCount = int16_t(le16(bmpV.data() + 28));
  in.u32le(34, bmpHdr.imageSize);
  int64_t rowBytes = 3 * int64_t(bmpHdr.width) + bmpPadding(bmpHdr.width);
  if (rowBytes > std::numeric_limits<int32_t>::max()) return kBadFile;
  bmpHdr.rowBytes = int32_t(rowBytes);
  return kOk;
}

float cropBMP(const char* inPath, const char* outPath, int skipBytes, int cropWidth) {
  using namespace tolvane;
  Bytes data;
  if (!loadFile(inPath, data)) return kInputNotOpened;
  bmpV.swap(data);
  float header = readBMPHeader();
  if (header != kOk) return header;
  float strip = checkStrip(skipBytes, cropWidth);
  if (strip != kOk) return strip;

  const int32_t rows = bmpHdr.height - 3;
  const size_t take = 3 * size_t(cropWidth);
  const int pad = bmpPadding(cropWidth);
  const uint32_t size = uint32_t(rows) * uint32_t(take + size_t(pad));
  putLe32(&bmpV[2], size + bmpHdr.dataOffset);
  putLe32(&bmpV[18], uint32_t(cropWidth));
  putLe32(&bmpV[22], uint32_t(rows));
  putLe32(&bmpV[34], size);

  OutFile out;
  if (!out.create(outPath)) return kOutputNotWritable;
  out.write(bmpV.data(), bmpHdr.dataOffset);
  static const unsigned char zeros[4] = {0, 0, 0, 0};
  size_t at = size_t(bmpHdr.rowBytes) + bmpHdr.dataOffset + size_t(skipBytes);
  for (int32_t r = 0; r < rows; ++r, at += size_t(bmpHdr.rowBytes)) {
    out.write(bmpV.data() + at, take);
    out.write(zeros, size_t(pad));
  }
  offset = int32_t(std::min<size_t>(at, size_t(std::numeric_limits<int32_t>::max())));
  if (!out.commit()) return kOutputNotWritable;
  tolvane::Bytes().swap(bmpV);
  return kOk;
}
