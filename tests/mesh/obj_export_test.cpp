// Qiv to OBJ export, the face ID list it uses and the colour block: exact text, failures, damage.
#include "mesh/obj_export.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>

#include "common/result_codes.h"
#include "host/frozen.h"
#include "support/support.h"

using namespace testsupport;

namespace {

// Faces of four indices each (-1 as fourth: a triangle).
std::string faceChunk(const std::vector<int32_t>& indices, uint32_t tag = kFaceTag) {
  std::string r;
  for (int32_t i : indices) putU32(r, uint32_t(i));
  return chunk(tag, uint32_t(indices.size() / 4), r);
}

std::string quads(int from, int n) {  // faces (4i, 4i+1, 4i+2, 4i+3) and their lines
  std::string lines;
  for (int i = 4 * from + 1; i < 4 * (from + n); i += 4)
    lines += "f " + std::to_string(i) + " " + std::to_string(i + 1) + " " + std::to_string(i + 2) + " " +
             std::to_string(i + 3) + "\n";
  return lines;
}

// Colour records (blue, green, red, unused) of rgb(0..n-1), and their text.
using Rgb = std::array<uint8_t, 3>;
std::string colourChunk(int n, const std::function<Rgb(int)>& rgb, uint32_t tag = kColourTag) {
  std::string r;
  for (int i = 0; i < n; ++i) r += {char(rgb(i)[2]), char(rgb(i)[1]), char(rgb(i)[0]), char(0xEE)};
  return chunk(tag, uint32_t(n), r);
}
Rgb grey(int i) { return {uint8_t(i), uint8_t(i), uint8_t(i)}; }

const std::string kVertices =
    vertexChunk({1.0f, 0.5f, -2.25f, 1e6f, 1e-5f, 100000.0f, 0.1f, 0.0f, -0.0f, 123456789.0f, 3.14159265f, 0.000123456f,
                 1234567.0f, -7.5e-20f, 3.4e38f, 1e-45f, 65536.0f, 2.5f});
const std::string kColours = chunk(kColourTag, 2, std::string("\x10\x20\x30\x40\xa5\x00\xff\x00", 8));  // b, g, r, -
const std::string kFaces = faceChunk({0, 1, 2, 3, 4, 5, 3, -1, 4, 5, 3, 0, 1, 2, 3, -7, 0, 0, 0, 0, 2, 3, 4, 5});
const std::string kMesh = qiv(kVertices + kColours + kFaces + chunk(kUVTag, 0, ""));

const std::string kHeader = "# File exported by Modrix plugin\n#Vertex count 6\n#Face count ";
const std::string kVertexLines =
    "v 1 0.5 -2.25\nv 1e+06 1e-05 100000\nv 0.1 0 -0\nv 1.23457e+08 3.14159 0.000123456\n"
    "v 1.23457e+06 -7.5e-20 3.4e+38\nv 1.4013e-45 65536 2.5\n";
const std::string kBlockStart =
    "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values per "
    "vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n";
const std::string kBlockEnd = "# End of RGB block\n";
const std::string kColourPart = kBlockStart + "#RGB  302010 ff00a5\n" + kBlockEnd;

std::string colourText(int n, const std::function<Rgb(int)>& rgb) {
  std::string s = kBlockStart;
  char hex[8];
  for (int i = 0; i < n; ++i) {
    std::snprintf(hex, sizeof hex, " %02x%02x%02x", rgb(i)[0], rgb(i)[1], rgb(i)[2]);
    s += (i % 32 == 0 ? "#RGB " : "") + std::string(hex) + (i % 32 == 31 ? "\n" : "");
  }
  return s + "\n" + kBlockEnd;
}

struct ExportTest : ::testing::Test {
  TempDir dir;
  std::string in = dir / "mesh.qiv", ids = dir / "ids.qiv", out = dir / "mesh.obj";
  void SetUp() override {
    writeFile(ids, qiv(faceChunk({0, 1, 2, 3, 0, 1, 2, -1})));  // [4, 3] at level 1
    writeFile(in, kMesh);
  }
  float loadIds() { return call("getFaceIDs", ids.c_str(), 1, nullptr); }
  float exportTo(const std::string& qivPath, const std::string& obj) { return call("qivtoOBJ", qivPath.c_str(), 0, obj); }
};

}  // namespace

TEST_F(ExportTest, WritesHeaderVerticesColoursAndFaceGroupsExactly) {
  ASSERT_EQ(loadIds(), 2.0f);
  ASSERT_EQ(exportTo(in, out), 0.0f);
  EXPECT_EQ(readFile(out),
            kHeader + "6\n" + kVertexLines + kColourPart +
                "#FaceID 1\nf 1 2 3 4\nf 5 6 4 \nf 5 6 4 1\nf 2 3 4 \n#FaceID 2\nf 1 1 1 1\nf 3 4 5 6\n");
}

TEST_F(ExportTest, SuccessEmptiesTheFaceIdListAndFailuresKeepIt) {
  char buf[64] = "x.obj";
  ASSERT_EQ(loadIds(), 2.0f);
  for (const char* entry : {"qivtoOBJ", "getFaceIDs", "outMRGB"}) EXPECT_EQ(call(entry, nullptr, 0, buf), -9.0f);
  for (const char* entry : {"qivtoOBJ", "outMRGB"}) EXPECT_EQ(call(entry, in.c_str(), 0, (char*)nullptr), -9.0f);
  for (const std::string& to : {dir / "missing/x.obj", dir.path()}) EXPECT_EQ(exportTo(in, to), -2.0f) << to;
  EXPECT_EQ(exportTo(dir / "nothing.qiv", out), -1760.0f);
  writeFile(dir / "tag0.qiv", qiv(chunk(0, 0, "")));
  EXPECT_EQ(exportTo(dir / "tag0.qiv", out), 0.0f);  // the tag, not a success
  EXPECT_FALSE(exists(out));
  ASSERT_EQ(exportTo(in, out), 0.0f);
  EXPECT_EQ(exportTo(in, dir / "again.obj"), -18.0f);
  // A failed face ID read leaves the list empty; -18 comes before the Qiv is looked at.
  ASSERT_EQ(loadIds(), 2.0f);
  EXPECT_EQ(call("getFaceIDs", (dir / "nothing.qiv").c_str(), 1, nullptr), -1760.0f);
  EXPECT_EQ(exportTo(dir / "nothing.qiv", dir / "again.obj"), -18.0f);
  EXPECT_FALSE(exists(dir / "again.obj"));
}

TEST_F(ExportTest, ChunksOutOfOrderReturnTheTagAndKeepWhatWasWritten) {
  ASSERT_EQ(loadIds(), 2.0f);
  writeFile(in, qiv(kFaces + kVertices));
  EXPECT_EQ(exportTo(in, out), 20001.0f);
  EXPECT_FALSE(exists(out));
  // No colour chunk after the vertices: header and "v " lines stay.
  writeFile(in, qiv(kVertices + chunk(kUVTag, 1, std::string(32, '\0')) + kFaces));
  EXPECT_EQ(exportTo(in, out), 25001.0f);
  EXPECT_EQ(readFile(out), kHeader + "6\n" + kVertexLines);
  writeFile(in, qiv(kVertices + kColours + chunk(40001, 0, "") + kFaces));
  EXPECT_EQ(exportTo(in, out), 40001.0f);
  EXPECT_EQ(readFile(out), kHeader + "0\n" + kVertexLines + kColourPart);
  writeFile(in, kMesh);
  EXPECT_EQ(exportTo(in, out), 0.0f) << "none of these consumed the face IDs";
}

TEST_F(ExportTest, FaceLinesFollowTheFaceIdListUntilItOrTheChunkEnds) {
  const std::pair<std::vector<uint32_t>, std::string> cases[] = {
      {{4, 4, 4}, "#FaceID 1\n" + quads(0, 4) + "#FaceID 2\n" + quads(4, 4)},
      {{2}, "#FaceID 1\n" + quads(0, 2)},
      {{0, 1, 0, 7}, "#FaceID 1\n#FaceID 2\n" + quads(0, 1) + "#FaceID 3\n#FaceID 4\n" + quads(1, 7)},
      {{UINT32_MAX}, "#FaceID 1\n" + quads(0, 8)},
  };
  // Eight faces, the chunk's length ending inside the last: that face counts.
  std::vector<int32_t> eight(32);
  std::iota(eight.begin(), eight.end(), 0);
  writeFile(in, qiv(vertexChunk({}) + colourChunk(0, grey) + chunk(kFaceTag, 8, faceChunk(eight).substr(16), 16 + 7 * 16 + 4)));
  for (const auto& [ids, faces] : cases) {
    faceID = ids;
    ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
    std::string obj = readFile(out);
    EXPECT_EQ(obj.substr(obj.find("#FaceID")), faces);
    EXPECT_TRUE(faceID.empty());
  }
  // Indices print plus one, wrapping at 32 bits. A colour chunk whose length
  // lies: the face count is read where it points, faces where records end.
  faceID = {5};
  writeFile(in, qiv(vertexChunk({}) + chunk(kColourTag, 0, "", 80) +
                    faceChunk({2147483647, -2147483647 - 1, 99, -5, 1, 1, 1, 2147483647, -1, -2, -3, -1}) +
                    chunk(kUVTag, 77, "")));
  ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
  EXPECT_EQ(readFile(out), "# File exported by Modrix plugin\n#Vertex count 0\n#Face count 77\n" + kBlockStart + "\n" +
                               kBlockEnd +
                               "#FaceID 1\nf 2147483648 -2147483647 100 \nf 2 2 2 2147483648\nf 0 -1 -2 \n");
}

TEST_F(ExportTest, DamagedFilesAreRejectedBeforeAnyOutput) {
  ASSERT_EQ(loadIds(), 2.0f);
  const size_t needed = kMesh.size() - 16;  // where the face records end; the UV chunk is never read
  for (size_t n = 0; n < kMesh.size(); ++n) {
    writeFile(in, kMesh.substr(0, n));
    ASSERT_EQ(exportTo(in, out), n < needed ? tolvane::kBadFile : 0.0f) << "prefix " << n;
    ASSERT_EQ(exists(out), n >= needed) << "prefix " << n;
    if (n >= needed) loadIds();
  }
  std::remove(out.c_str());
  const size_t v = 32 + kVertices.size(), c = v + kColours.size();
  for (auto [at, value] : {std::pair<size_t, uint32_t>{32 + 8, 0xFFFFFFFF},  // vertex count
                           {32 + 4, 0xFFFFFFF0},                             // vertex length: no header face count
                           {v + 8, 1000},                                    // colour count
                           {c + 4, 0x7FFFFFFF},                              // face length
                           {c + 8, 0x10000000}}) {                           // face count
    std::string bad = kMesh;
    for (int i = 0; i < 4; ++i) bad[at + i] = char(value >> (8 * i));
    writeFile(in, bad);
    EXPECT_EQ(exportTo(in, out), tolvane::kBadFile) << at;
  }
  EXPECT_EQ(exportTo(dir.path(), out), -1760.0f);
  EXPECT_FALSE(exists(out));
}

TEST(FaceIds, CountsPerFaceFollowTheLevelAndDamageEmptiesTheList) {
  TempDir dir;
  const std::string path = dir / "ids.qiv",
                    good = qiv(faceChunk({0, 1, 2, 3, 0, 1, 2, -1, 0, 0, 0, 0, 5, 5, 5, -7}, 1));
  writeFile(path, good);  // the first chunk's tag is not looked at
  const uint32_t kMax = UINT32_MAX;
  const struct {
    double level;
    uint32_t quad, triangle;
  } cases[] = {
      {1, 4, 3},        {2, 16, 12},           {3, 64, 48}, {0, 0, 0},
      {1.5, 8, 6},      {-INFINITY, 0, 0},     {NAN, 0, 0}, {16, kMax, 3221225472u},  // 4 × 2^30 no longer fits 32 bits
      {17, kMax, kMax}, {INFINITY, kMax, kMax}};
  for (const auto& c : cases) {
    faceID = {9, 9, 9, 9, 9, 9};
    ASSERT_EQ(GetFaceIDsQiv(path.c_str(), c.level), 4.0f) << c.level;
    EXPECT_EQ(faceID, (std::vector<uint32_t>{c.quad, c.triangle, c.quad, c.triangle})) << c.level;
  }
  EXPECT_EQ(call("getFaceIDs", path.c_str(), 2, nullptr), 4.0f);
  for (size_t n = 0; n < good.size(); ++n) {
    writeFile(path, good.substr(0, n));
    faceID = {1};
    ASSERT_EQ(GetFaceIDsQiv(path.c_str(), 1), tolvane::kBadFile) << n;
    ASSERT_TRUE(faceID.empty());
  }
  for (auto [file, result] : {std::pair{qiv(chunk(kFaceTag, 0x10000000, std::string(64, '\0'))), tolvane::kBadFile},
                              {qiv(faceChunk({})), 0.0f}}) {
    writeFile(path, file);
    EXPECT_EQ(GetFaceIDsQiv(path.c_str(), 1), result);
  }
  faceID = {1};
  EXPECT_TRUE(GetFaceIDsQiv((dir / "missing.qiv").c_str(), 1) == -1760.0f && faceID.empty());
  EXPECT_EQ(GetFaceIDsQiv(dir.path().c_str(), 1), -1760.0f);
}

TEST(ColourBlock, LinesHoldUpToThirtyTwoEntriesAndFailuresWriteNothing) {
  TempDir dir;
  const std::string in = dir / "colours.qiv", out = dir / "colours.txt";
  for (int records : {0, 1, 32, 33, 64}) {
    writeFile(in, qiv(colourChunk(records, grey, 999)));
    ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f) << records;
    EXPECT_EQ(readFile(out), colourText(records, grey)) << records;
  }
  // Cut, missing or folder inputs and outputs that cannot be made: the old output stays.
  const std::string good = qiv(colourChunk(40, grey) + faceChunk({0, 1, 2, 3}));
  writeFile(out, "keep me\n");
  for (size_t n = 0; n < 32 + 16 + 4 * 40; ++n) {
    writeFile(in, good.substr(0, n));
    ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), tolvane::kBadFile) << n;
  }
  for (const std::string& from : {dir / "missing.qiv", dir.path()})
    EXPECT_EQ(call("outMRGB", from.c_str(), 0, out), -1760.0f) << from;
  writeFile(in, good);
  for (const std::string& to : {dir / "no/such/folder.txt", dir.path()})
    EXPECT_EQ(call("outMRGB", in.c_str(), 0, to), -2.0f) << to;
  EXPECT_EQ(readFile(out), "keep me\n");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"colours.qiv", "colours.txt"}));
}

// Exports made in pieces on two threads equal a plain line-by-line writer.
TEST(ExportPieces, TextIsTheSameAsWrittenLineByLine) {
  TempDir dir;
  const int vertices = 20000, faces = 3 * 8192 + 17;
  auto rgb = [](int i) { return Rgb{uint8_t(i), uint8_t(i >> 8), uint8_t(i * 7)}; };
  std::vector<float> xyz;
  std::vector<int32_t> corners;
  for (int i = 0; i < vertices; ++i)
    xyz.insert(xyz.end(), {float(i) * 0.37f, -float(i) / 3.0f, float(i % 101) * 1e-3f});
  for (int i = 0; i < faces; ++i)
    corners.insert(corners.end(), {i % vertices, (i + 1) % vertices, (i + 2) % vertices, i % 3 ? i : -1});
  const std::string in = dir / "big.qiv", out = dir / "big.obj", colours = dir / "colours.txt";
  writeFile(in, qiv(vertexChunk(xyz) + colourChunk(vertices, rgb) + faceChunk(corners)));
  std::string head = "# File exported by Modrix plugin\n#Vertex count 20000\n#Face count " + std::to_string(faces) + "\n";
  char line[128];
  for (int i = 0; i < vertices; ++i) {
    std::snprintf(line, sizeof line, "v %g %g %g\n", double(xyz[3 * i]), double(xyz[3 * i + 1]), double(xyz[3 * i + 2]));
    head += line;
  }
  // Entries at and around the 8192-face edges, empty ones, lists that outlast the faces and one that ends first.
  const std::vector<std::vector<uint32_t>> lists = {
      {8191, 0, 1, 0, 8191, 1, 3, 8192, 0, 40000, 0}, {8192, 8192, 8192, 17, 0, 0}, {1, 0, 0, 100000}, {8192, 8191, 0, 0}};
  for (const auto& list : lists) {
    std::string expected = head + colourText(vertices, rgb);
    int face = 0;
    for (size_t g = 0; g < list.size() && face < faces; ++g) {
      expected += "#FaceID " + std::to_string(g + 1) + "\n";
      for (uint32_t n = 0; n < list[g] && face < faces; ++n, ++face) {
        const int32_t* f = &corners[4 * size_t(face)];
        expected += "f " + std::to_string(f[0] + 1) + " " + std::to_string(f[1] + 1) + " " +
                    std::to_string(f[2] + 1) + " " + (f[3] >= 0 ? std::to_string(f[3] + 1) : "") + "\n";
      }
    }
    faceID = list;
    ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
    EXPECT_TRUE(readFile(out) == expected) << "face ID list of " << list.size() << " entries";
  }
  // The colour block alone, over its own pieces of 32768 records.
  auto many = [](int i) { return Rgb{uint8_t(i * 3), uint8_t(i >> 4), uint8_t(i >> 12)}; };
  writeFile(in, qiv(colourChunk(70001, many)));
  ASSERT_EQ(ReadVertColorQiv(in.c_str(), colours.c_str()), 0.0f);
  EXPECT_TRUE(readFile(colours) == colourText(70001, many));
}
