// OBJ text: the group scan behind every split, the append, and the vertex
// swap, on one untrusted OBJ file.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "tolvane/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string dir = fuzz::fresh();
  std::string obj = fuzz::writeInput("mesh.obj", data, size);
  std::string copy = fuzz::writeInput("copy.obj", data, size);
  std::string out = dir + "/out";
  std::string combined = dir + "/combined.obj";

  SplitOBJ(obj.c_str(), 0, &out[0]);
  fuzz::fresh();
  obj = fuzz::writeInput("mesh.obj", data, size);
  SplitOBJtoQiv(obj.c_str(), 0, &out[0]);

  GroupListClear(nullptr, 0, nullptr);
  float next = AppendOBJ(obj.c_str(), 0, &combined[0]);
  AppendOBJ(obj.c_str(), next > 0 ? next : 0, &combined[0]);
  ListSplitOBJtoQiv(combined.c_str(), 0, &out[0]);
  GroupListClear(nullptr, 0, nullptr);

  copy = fuzz::writeInput("copy.obj", data, size);
  SwapVertices(obj.c_str(), 0, &copy[0]);
  return 0;
}
