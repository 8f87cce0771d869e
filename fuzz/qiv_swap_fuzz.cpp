// The in-place vertex swap: an untrusted Qiv mesh and an untrusted Qit file,
// cut from one input at a position its first byte chooses.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "tolvane/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t cut = 1 + (size - 1) * data[0] / 255;
  fuzz::fresh();
  std::string qiv = fuzz::writeInput("mesh.qiv", data + 1, cut - 1);
  std::string qit = fuzz::writeInput("part.Qit", data + cut, size - cut);
  SwapVertices_Qiv(qit.c_str(), 0, &qiv[0]);
  return 0;
}
