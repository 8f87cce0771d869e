// Qiv readers: face IDs, colour export, OBJ export and the UV tiles on one
// untrusted mesh file.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "host/frozen.h"
#include "mesh/uv_tiles.h"
#include "tolvane/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string dir = fuzz::fresh();
  std::string qiv = fuzz::writeInput("mesh.qiv", data, size);
  std::string obj = dir + "/mesh.obj", rgb = dir + "/mesh.rgb", tiles = dir + "/tile.Qiv";
  fuzz::Buffer buf;

  getFaceIDs(qiv.c_str(), 1, nullptr);
  qivtoOBJ(qiv.c_str(), 0, &obj[0]);
  getFaceIDs(qiv.c_str(), 3, nullptr);  // levels multiply the counts
  qivtoOBJ(qiv.c_str(), 0, &obj[0]);
  outMRGB(qiv.c_str(), 0, &rgb[0]);

  GetUVTile(qiv.c_str(), buf.get());
  float n = GetUVsFromQiv(qiv.c_str(), tiles.c_str());
  for (int k = -1; k <= int(n) && k < 64; ++k) getUVTileString(k, buf.get());
  clearUVTileString();
  return 0;
}
