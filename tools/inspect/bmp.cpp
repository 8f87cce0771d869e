// BMP files: the header as the crop reads it and the crop's verdict for
// the current width setting.
#include <algorithm>
#include <cstdint>

#include "common/file_front.h"
#include "common/result_codes.h"
#include "host/entry.h"
#include "image/bmp.h"
#include "inspect/inspect.h"

namespace tolvane::inspect {
namespace {

constexpr uint64_t kHeaderEnd = 38;  // the last field the crop reads ends here

void addFacts(Report& r, ByteReader head, const BMPHeader& h) {
  uint32_t infoSize = 0, compression = 0;
  head.u32le(14, infoSize);
  head.u32le(30, compression);
  r.fact("header size", (long long)infoSize);
  r.fact("width", (long long)h.width);
  r.fact("height", (long long)h.height);
  r.fact("rows", h.height < 0 ? "top-down" : "bottom-up");
  r.fact("bits per pixel", (long long)h.bitCount);
  r.fact("compression", (long long)compression);
  r.fact("data at", (long long)h.dataOffset);
  r.fact("row bytes as the crop counts them", (long long)h.rowBytes);
  r.fact("row padding", (long long)bmpPadding(h.width));
  if (h.bitCount != 24)
    r.warnings.push_back(std::to_string(h.bitCount) + " bits per pixel: the crop takes every pixel as 3 bytes, so the "
                         "strip comes out skewed and its header still says " + std::to_string(h.bitCount) +
                         " bits; save it as a 24-bit BMP");
  if (compression != 0) r.warnings.push_back("compressed pixel data: the crop copies it as if it were not");
}

// The crop's strip checks, in the crop's order.
void cropVerdict(Report& r, const BMPHeader& h, uint64_t size, const Settings& s) {
  int64_t skip = std::clamp<int64_t>(int64_t(truncateNumber(s.pixelOffset)) * 3, INT32_MIN, INT32_MAX);
  const int64_t width = truncateNumber(double(float(s.cropWidth)));
  const std::string strip = "a strip of " + std::to_string(width) + " pixels from pixel " + std::to_string(skip / 3);
  // The verdict is the crop's own; the words say which of its checks fails.
  const float code = checkStrip(h, skip, width, size);
  if (code == kOk) {
    r.verdict("CropBMPfile", kOk, "accepted: " + strip + ", rows 1 to " + std::to_string(h.height - 3));
  } else if (code == kOutsideImage && h.height < 4) {
    r.verdict("CropBMPfile", code,
              h.height < 0 ? "the rows are stored top-down (negative height); the crop needs bottom-up rows"
                           : "fewer than 4 rows",
              h.height < 0 ? "save it bottom-up, e.g. `convert in.bmp -type TrueColor BMP3:out.bmp`" : "");
  } else if (code == kOutsideImage) {
    r.verdict("CropBMPfile", code, strip + " does not fit in rows of " + std::to_string(h.width) + " pixels",
              "set the width with CropBMP_SetWidth and give an offset inside the image");
  } else if (h.dataOffset < kHeaderEnd) {
    r.verdict("CropBMPfile", code, "the pixel data offset points into the header", "save the file again");
  } else {
    r.verdict("CropBMPfile", code, "the pixel data is shorter than the header says", "save the file again");
  }
}

}  // namespace

void inspectBmp(Report& r, const Settings& s) {
  FileFront front;
  if (!front.open(r.path.c_str())) return;
  const ByteReader head = front.upTo(1024);
  BMPHeader h;
  const float code = parseBMPHeader(head, h);
  if (code == kNotBMP) {
    r.verdict("CropBMPfile", code, "the file does not start with BM: it is not a BMP file", "save the image as BMP");
    return;
  }
  if (code != kOk) {
    r.verdict("CropBMPfile", code, "the file ends inside its header, or its width is impossibly large",
              "save the file again");
    return;
  }
  addFacts(r, head, h);
  r.fact("crop width setting", (long long)truncateNumber(double(float(s.cropWidth))));
  cropVerdict(r, h, front.size(), s);
}

}  // namespace tolvane::inspect
