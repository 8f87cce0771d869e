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

float parseBMPHeader(ByteReader in, BMPHeader& h) {
  const unsigned char* sig = in.span(0, 2);
  if (!sig) return kNotBMP;
  std::memcpy(h.signature, sig, 2);
  if (sig[0] != 'B' || sig[1] != 'M') return kNotBMP;
  if (!in.has(0, kHeaderEnd)) return kBadFile;
  in.u32le(2, h.fileSize);
  in.u32le(10, h.dataOffset);
  in.i32le(18, h.width);
  in.i32le(22, h.height);
  h.bitCount = int16_t(le16(in.data + 28));
  in.u32le(34, h.imageSize);
  int64_t rowBytes = 3 * int64_t(h.width) + bmpPadding(h.width);
  if (rowBytes > std::numeric_limits<int32_t>::max()) return kBadFile;
  h.rowBytes = int32_t(rowBytes);
  return kOk;
}

// The strip's checks: it must lie inside each stored row, leave at least one
// row, and every row it reads must lie inside the file of `size` bytes.
float checkStrip(const BMPHeader& h, int64_t skip, int64_t width, uint64_t size) {
  if (skip < 0 || width < 1 || skip + 3 * width > h.rowBytes || h.height < 4) return kOutsideImage;
  if (h.dataOffset < kHeaderEnd) return kBadFile;
  int64_t rows = int64_t(h.height) - 3;
  uint64_t end = uint64_t(h.dataOffset) + uint64_t(rows) * uint64_t(h.rowBytes) + uint64_t(skip) + uint64_t(3 * width);
  return end <= size ? kOk : kBadFile;
}

// What the crop writes: the input's header with four fields changed, then
// from each of `rows` stored rows the strip and its padding.
struct Crop {
  int32_t rows = 0;
  size_t take = 0;  // strip bytes a row
  int pad = 0;
  size_t first = 0;  // where the first strip starts in the input
  size_t stride = 0;

  Crop(const BMPHeader& h, int skipBytes, int cropWidth)
      : rows(h.height - 3),
        take(3 * size_t(cropWidth)),
        pad(bmpPadding(cropWidth)),
        first(size_t(h.rowBytes) + h.dataOffset + size_t(skipBytes)),
        stride(size_t(h.rowBytes)) {}

  // The four header fields of the cropped file.
  void header(unsigned char* head, uint32_t dataOffset, int cropWidth) const {
    const uint32_t size = uint32_t(rows) * uint32_t(take + size_t(pad));
    putLe32(head + 2, size + dataOffset);
    putLe32(head + 18, uint32_t(cropWidth));
    putLe32(head + 22, uint32_t(rows));
    putLe32(head + 34, size);
  }
  // The read position after the last row, as `offset` keeps it.
  int32_t end() const {
    return int32_t(std::min<size_t>(first + size_t(rows) * stride, size_t(std::numeric_limits<int32_t>::max())));
  }
};

const unsigned char kZeros[4] = {0, 0, 0, 0};
// Output is written this much at a time.
constexpr size_t kBlockBytes = size_t(128) << 10;

// Reads only the strips; false when the whole-file path has to judge the
// file (refused, or it changed while it was read) or the output failed.
bool cropStreamed(const char* inPath, const char* outPath, int skipBytes, int cropWidth) {
  SeekableFile file;
  if (!file.open(inPath)) return false;
  Bytes head(size_t(std::min<uint64_t>(file.size(), 1024)));
  if (file.readAt(0, head.data(), head.size()) != head.size()) return false;
  BMPHeader h = bmpHdr;
  if (parseBMPHeader(ByteReader(head), h) != kOk || checkStrip(h, skipBytes, cropWidth, file.size()) != kOk)
    return false;
  // Extended headers and palettes reach further than the first read.
  const size_t have = head.size();
  if (h.dataOffset > have) {
    head.resize(h.dataOffset);
    if (file.readAt(have, head.data() + have, head.size() - have) != head.size() - have) return false;
  }
  const Crop crop(h, skipBytes, cropWidth);
  crop.header(head.data(), h.dataOffset, cropWidth);

  OutFile out;
  if (!out.create(outPath)) return false;
  out.write(head.data(), h.dataOffset);
  // The strips and their padding are gathered in a block, written out each
  // time it fills.
  Bytes block(kBlockBytes);
  size_t used = 0;
  auto room = [&] {
    if (used == block.size()) out.writeBlock(block.data(), used), used = 0;
    return block.size() - used;
  };
  size_t at = crop.first;
  for (int32_t r = 0; r < crop.rows; ++r, at += crop.stride) {
    for (size_t done = 0; done < crop.take;) {
      size_t n = std::min(room(), crop.take - done);
      if (file.readAt(at + done, &block[used], n) != n) return false;
      used += n, done += n;
    }
    for (int i = 0; i < crop.pad; ++i) room(), block[used++] = 0;
  }
  out.writeBlock(block.data(), used);
  if (!out.commit()) return false;
  Bytes().swap(bmpV);
  bmpHdr = h;
  offset = crop.end();
  return true;
}

}  // namespace
}  // namespace tolvane

float readBMPHeader() {
  offset = 0;
  return tolvane::parseBMPHeader(tolvane::ByteReader(bmpV), bmpHdr);
}

float cropBMP(const char* inPath, const char* outPath, int skipBytes, int cropWidth) {
  using namespace tolvane;
  if (cropStreamed(inPath, outPath, skipBytes, cropWidth)) return kOk;

  // Refusals and failed writes: the whole file in `bmpV`.
  Bytes data;
  if (!loadFile(inPath, data)) return kInputNotOpened;
  bmpV.swap(data);
  float header = readBMPHeader();
  if (header != kOk) return header;
  float strip = checkStrip(bmpHdr, skipBytes, cropWidth, bmpV.size());
  if (strip != kOk) return strip;

  const Crop crop(bmpHdr, skipBytes, cropWidth);
  crop.header(bmpV.data(), bmpHdr.dataOffset, cropWidth);
  OutFile out;
  if (!out.create(outPath)) return kOutputNotWritable;
  out.write(bmpV.data(), bmpHdr.dataOffset);
  size_t at = crop.first;
  for (int32_t r = 0; r < crop.rows; ++r, at += crop.stride) {
    out.write(bmpV.data() + at, crop.take);
    out.write(kZeros, size_t(crop.pad));
  }
  offset = crop.end();
  if (!out.commit()) return kOutputNotWritable;
  Bytes().swap(bmpV);
  return kOk;
}
