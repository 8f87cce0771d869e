// BMP crop: cut a vertical strip out of a 24-bit BMP into a new file.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/result_codes.h"
#include "host/frozen.h"
#include "image/bmp.h"

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

}  // namespace

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

namespace {

// What the crop writes: the input's header with four fields changed, then
// from each of `rows` stored rows the strip and its padding.
struct Crop {
  int32_t rows = 0;
  int width = 0;    // pixels a row
  size_t take = 0;  // strip bytes a row
  int pad = 0;
  size_t first = 0;  // where the first strip starts in the input
  size_t stride = 0;

  Crop(const BMPHeader& h, int skipBytes, int cropWidth)
      : rows(h.height - 3),
        width(cropWidth),
        take(3 * size_t(cropWidth)),
        pad(bmpPadding(cropWidth)),
        first(size_t(h.rowBytes) + h.dataOffset + size_t(skipBytes)),
        stride(size_t(h.rowBytes)) {}

  // The four header fields of the cropped file.
  void header(unsigned char* head, uint32_t dataOffset) const {
    const uint32_t size = uint32_t(rows) * uint32_t(take + size_t(pad));
    putLe32(head + 2, size + dataOffset);
    putLe32(head + 18, uint32_t(width));
    putLe32(head + 22, uint32_t(rows));
    putLe32(head + 34, size);
  }
  // The read position after the last row, as `offset` keeps it.
  int32_t end() const {
    return int32_t(std::min<size_t>(first + size_t(rows) * stride, size_t(std::numeric_limits<int32_t>::max())));
  }
};

// Leaves the BMP globals as a run that loads the input whole leaves them once
// the crop has ended with `code` (`crop` worked out for 0 and -5), and
// returns `code`:
//   -1760: as they were;
//   0: `bmpV` empty, the input's header `h`, `offset` past the last row read;
//   -5: the same, with the input in `bmpV`, its four header fields changed;
//   anything else: the input in `bmpV`, as much of its header as was parsed
//     and `offset` 0.
float endBMP(float code, const char* inPath, const Crop* crop = nullptr, const BMPHeader* h = nullptr) {
  if (code == kInputNotOpened) return code;
  if (code == kOk) {
    Bytes().swap(bmpV);
    bmpHdr = *h;
    offset = crop->end();
    return code;
  }
  Bytes data;
  if (!loadFile(inPath, data)) return code;  // gone since: as it was
  bmpV.swap(data);
  offset = 0;
  if (parseBMPHeader(ByteReader(bmpV), bmpHdr) == kOk && code == kOutputNotWritable && crop) {
    crop->header(bmpV.data(), bmpHdr.dataOffset);
    offset = crop->end();
  }
  return code;
}

// Output is written this much at a time.
constexpr size_t kBlockBytes = size_t(128) << 10;

// Reads only the strips, gathered with their padding in a block that is
// written out each time it fills.
float writeStrips(FileFront& file, const Crop& crop, AtomicFile& out) {
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
      if (!file.readAt(at + done, &block[used], n)) return kBadFile;
      used += n, done += n;
    }
    for (int i = 0; i < crop.pad; ++i) room(), block[used++] = 0;
  }
  out.writeBlock(block.data(), used);
  file.close();  // Windows will not let a new file take the name of one still open
  return out.commit() ? kOk : kOutputNotWritable;
}

}  // namespace

float cropStrip(const char* inPath, const char* outPath, int skipBytes, int cropWidth) {
  FileFront file;
  if (!file.open(inPath)) return endBMP(kInputNotOpened, inPath);
  BMPHeader h;
  float code = parseBMPHeader(file.upTo(kHeaderEnd), h);
  if (code == kOk) code = checkStrip(h, skipBytes, cropWidth, file.size());
  if (code != kOk) return endBMP(code, inPath);
  // Extended headers and palettes reach past the fields read.
  ByteReader front = file.upTo(h.dataOffset);
  if (front.size < h.dataOffset) return endBMP(kBadFile, inPath);
  Bytes head(front.data, front.data + h.dataOffset);
  const Crop crop(h, skipBytes, cropWidth);
  crop.header(head.data(), h.dataOffset);
  AtomicFile out;
  if (!out.create(outPath)) return endBMP(kOutputNotWritable, inPath, &crop);
  out.write(head.data(), head.size());
  return endBMP(writeStrips(file, crop, out), inPath, &crop, &h);
}

}  // namespace tolvane
