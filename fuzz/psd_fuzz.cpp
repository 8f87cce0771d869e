// PSD files: the header and every image operation on an untrusted file. The
// first two bytes pick the numbers the host would pass.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "tolvane/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  double a = data[0], b = data[1];
  data += 2, size -= 2;
  std::string dir = fuzz::fresh();
  auto input = [&](const char* name) { return fuzz::writeInput(name, data, size); };
  std::string gray = dir + "/gray.psd";

  SetInColor(nullptr, a * 65536 + b, nullptr);
  MakeStencilPSD(input("a.psd").c_str(), b * 257, nullptr);
  SwapColorsPSD(input("a.psd").c_str(), a, nullptr);
  RGBtoGrayscale(input("a.psd").c_str(), a, &gray[0]);
  std::string top = input("top.psd"), bottom = input("bottom.psd");
  MergePSDfiles(top.c_str(), b, &bottom[0]);
  HealPSDfiles(top.c_str(), a - 128, &bottom[0]);
  CreateThumbnail(input("a.psd").c_str(), a * 4 - 8, nullptr);
  return 0;
}
