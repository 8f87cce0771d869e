// OBJ text: the group scan behind every split, the append, and the vertex
// swap, on one untrusted OBJ file. The splits also run with pieces of a few
// bytes, so that the scan's many-piece path (runs of faces taken in after
// their piece, list ranges ending inside a run) is reached by small inputs.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "groups/groups.h"
#include "tolvane/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string dir = fuzz::fresh();
  std::string obj = fuzz::writeInput("mesh.obj", data, size);
  std::string copy = fuzz::writeInput("copy.obj", data, size);
  std::string out = dir + "/out";
  std::string combined = dir + "/combined.obj";
  const uint64_t piece = 1 + (size > 0 ? data[0] % 64 : 0);

  SplitOBJ(obj.c_str(), 0, &out[0]);
  tolvane::splitObj(obj.c_str(), out.c_str(), piece);
  fuzz::fresh();
  obj = fuzz::writeInput("mesh.obj", data, size);
  SplitOBJtoQiv(obj.c_str(), 0, &out[0]);
  tolvane::splitQit(obj.c_str(), out.c_str(), piece);

  GroupListClear(nullptr, 0, nullptr);
  float next = AppendOBJ(obj.c_str(), 0, &combined[0]);
  AppendOBJ(obj.c_str(), next > 0 ? next : 0, &combined[0]);
  ListSplitOBJtoQiv(combined.c_str(), 0, &out[0]);
  for (int k = 0; k < 8; ++k) tolvane::addToGroupList("r", 1 + k % 3);
  tolvane::listSplitQit(obj.c_str(), out.c_str(), piece);
  GroupListClear(nullptr, 0, nullptr);

  copy = fuzz::writeInput("copy.obj", data, size);
  SwapVertices(obj.c_str(), 0, &copy[0]);
  return 0;
}
