// BMP crop on an untrusted file; the first two bytes pick the crop width and
// the pixel offset the host would set.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "tolvane/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  double width = data[0], offset = double(data[1]) - 16;
  data += 2, size -= 2;
  std::string dir = fuzz::fresh();
  std::string bmp = fuzz::writeInput("in.bmp", data, size);
  std::string out = dir + "/out.bmp";
  CropBMP_SetWidth(nullptr, width, nullptr);
  CropBMPfile(bmp.c_str(), offset, &out[0]);
  return 0;
}
