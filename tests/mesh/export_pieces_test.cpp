// Large exports are made in pieces on two threads: the text must not show
// where one piece ends. A plain one-line-at-a-time writer of the same format
// is the reference, on meshes big enough for many pieces, with face ID
// entries (empty ones too) that start on and around the pieces' edges.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "mesh/obj_export.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

std::string colourText(const std::vector<std::vector<uint8_t>>& rgb) {
  std::string s =
      "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values per vertex. "
      "The vertex color format is RRGGBB with up to 32 entries per RGB line.\n";
  char hex[8];
  for (size_t i = 0; i < rgb.size(); ++i) {
    if (i % 32 == 0) s += "#RGB ";
    std::snprintf(hex, sizeof hex, " %02x%02x%02x", rgb[i][0], rgb[i][1], rgb[i][2]);
    s += hex;
    if (i % 32 == 31) s += "\n";
  }
  return s + "\n# End of RGB block\n";
}

TEST(ExportPieces, TextIsTheSameAsWrittenLineByLine) {
  TempDir dir;
  const int vertices = 20000, faces = 3 * 8192 + 17;
  std::vector<float> xyz;
  std::vector<std::vector<uint8_t>> rgb;
  std::vector<std::vector<int32_t>> faceList;
  for (int i = 0; i < vertices; ++i) {
    xyz.insert(xyz.end(), {float(i) * 0.37f, -float(i) / 3.0f, float(i % 101) * 1e-3f});
    rgb.push_back({uint8_t(i), uint8_t(i >> 8), uint8_t(i * 7)});
  }
  for (int i = 0; i < faces; ++i) faceList.push_back({i % vertices, (i + 1) % vertices, (i + 2) % vertices, i % 3 ? i : -1});
  const std::string in = dir / "big.qiv", out = dir / "big.obj", colours = dir / "colours.txt";
  writeFile(in, qiv(vertexChunk(xyz) + colourChunk(rgb) + faceChunk(faceList)));

  // Entries that start at, just before and just after the edges of 8192
  // faces, empty ones among them, lists that outlast the faces and one
  // that ends first (its empty entries after the last face still get a line).
  const std::vector<std::vector<uint32_t>> lists = {
      {8191, 0, 1, 0, 8191, 1, 3, 8192, 0, 40000, 0},
      {8192, 8192, 8192, 17, 0, 0},
      {1, 0, 0, 100000},
      {8192, 8191, 0, 0},
  };
  for (const auto& list : lists) {
    std::string expected = "# File exported by Modrix plugin\n#Vertex count 20000\n#Face count " +
                           std::to_string(faces) + "\n";
    char line[128];
    for (int i = 0; i < vertices; ++i) {
      std::snprintf(line, sizeof line, "v %g %g %g\n", double(xyz[3 * i]), double(xyz[3 * i + 1]),
                    double(xyz[3 * i + 2]));
      expected += line;
    }
    expected += colourText(rgb);
    int face = 0;
    for (size_t g = 0; g < list.size() && face < faces; ++g) {
      expected += "#FaceID " + std::to_string(g + 1) + "\n";
      for (uint32_t n = 0; n < list[g] && face < faces; ++n, ++face) {
        const auto& f = faceList[face];
        expected += "f " + std::to_string(f[0] + 1) + " " + std::to_string(f[1] + 1) + " " +
                    std::to_string(f[2] + 1) + " " + (f[3] >= 0 ? std::to_string(f[3] + 1) : "") + "\n";
      }
    }
    faceID = list;
    ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
    EXPECT_TRUE(readFile(out) == expected) << "face ID list of " << list.size() << " entries";
  }

  // The colour block alone, over its own pieces of 32768 records.
  std::vector<std::vector<uint8_t>> many;
  for (int i = 0; i < 70001; ++i) many.push_back({uint8_t(i * 3), uint8_t(i >> 4), uint8_t(i >> 12)});
  writeFile(in, qiv(colourChunk(many)));
  ASSERT_EQ(ReadVertColorQiv(in.c_str(), colours.c_str()), 0.0f);
  EXPECT_TRUE(readFile(colours) == colourText(many));
}

}  // namespace
