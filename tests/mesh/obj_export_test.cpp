// Qiv to OBJ export through the host entry points: exact text, the face ID
// list it consumes, every failure and what it leaves on disk, damaged files;
// the face ID reader and the colour block, called directly (the face ID list
// is visible here) and through their entry points.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "common/result_codes.h"
#include "mesh/obj_export.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

// n quads (0, 1, 2, 3), (4, 5, 6, 7), ...
std::vector<std::vector<int32_t>> quads(int n) {
  std::vector<std::vector<int32_t>> f;
  for (int i = 0; i < n; ++i) f.push_back({4 * i, 4 * i + 1, 4 * i + 2, 4 * i + 3});
  return f;
}

const float kBadFile = tolvane::kBadFile;

// A face ID source with one quad and one triangle: [4, 3] at level 1.
std::string faceIdSource() { return qiv(faceChunk({{0, 1, 2, 3}, {0, 1, 2, -1}})); }

std::string smallVertices() {
  return vertexChunk({1.0f, 0.5f, -2.25f, 1e6f, 1e-5f, 100000.0f, 0.1f, 0.0f, -0.0f, 123456789.0f, 3.14159265f,
                      0.000123456f, 1234567.0f, -7.5e-20f, 3.4e38f, 1e-45f, 65536.0f, 999999.5f, 0.00001f,
                      0.0001f, 2.5f});
}

std::string smallColours() { return colourChunk({{0x30, 0x20, 0x10}, {0xff, 0x00, 0xa5}}); }

std::string smallFaces() {
  return faceChunk({{0, 1, 2, 3}, {4, 5, 6, -1}, {6, 5, 4, 0}, {1, 2, 3, -7},
                    {0, 0, 0, 0}, {2, 3, 4, 5}, {6, 0, 1, -1}, {3, 3, 3, 3}});
}

std::string smallMesh() { return qiv(smallVertices() + smallColours() + smallFaces() + chunk(kUVTag, 0, "")); }

const std::string kVertexPart =
    "# File exported by Modrix plugin\n"
    "#Vertex count 7\n"
    "#Face count 8\n"
    "v 1 0.5 -2.25\n"
    "v 1e+06 1e-05 100000\n"
    "v 0.1 0 -0\n"
    "v 1.23457e+08 3.14159 0.000123456\n"
    "v 1.23457e+06 -7.5e-20 3.4e+38\n"
    "v 1.4013e-45 65536 1e+06\n"
    "v 1e-05 0.0001 2.5\n";
const std::string kBlockStart =
    "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values per "
    "vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n";
const std::string kBlockEnd = "# End of RGB block\n";
const std::string kColourPart = kBlockStart + "#RGB  302010 ff00a5\n" + kBlockEnd;
const std::string kFacePart =
    "#FaceID 1\n"
    "f 1 2 3 4\n"
    "f 5 6 7 \n"
    "f 7 6 5 1\n"
    "f 2 3 4 \n"
    "#FaceID 2\n"
    "f 1 1 1 1\n"
    "f 3 4 5 6\n"
    "f 7 1 2 \n";

struct ExportTest : ::testing::Test {
  TempDir dir;
  std::string in = dir / "mesh.qiv";
  std::string ids = dir / "ids.qiv";
  std::string out = dir / "mesh.obj";

  void SetUp() override {
    writeFile(ids, faceIdSource());
    writeFile(in, smallMesh());
  }
  float loadIds(double level = 1) { return call("getFaceIDs", ids.c_str(), level, nullptr); }
  float exportTo(const std::string& qivPath, const std::string& objPath) {
    return call("qivtoOBJ", qivPath.c_str(), 0, objPath);
  }
};

}  // namespace

TEST_F(ExportTest, WritesHeaderVerticesColoursAndFaceGroupsExactly) {
  ASSERT_EQ(loadIds(), 2.0f);
  ASSERT_EQ(exportTo(in, out), 0.0f);
  EXPECT_EQ(readFile(out), kVertexPart + kColourPart + kFacePart);
}

TEST_F(ExportTest, SuccessEmptiesTheFaceIdListAndFailuresKeepIt) {
  ASSERT_EQ(loadIds(), 2.0f);
  EXPECT_EQ(exportTo(in, dir / "missing/x.obj"), -2.0f);
  EXPECT_EQ(exportTo(dir / "nothing.qiv", out), -1760.0f);
  writeFile(dir / "tag0.qiv", qiv(chunk(0, 0, "")));
  EXPECT_EQ(exportTo(dir / "tag0.qiv", out), 0.0f);  // the tag, not a success
  EXPECT_FALSE(exists(out));
  ASSERT_EQ(exportTo(in, out), 0.0f);
  EXPECT_EQ(exportTo(in, dir / "again.obj"), -18.0f);
  EXPECT_FALSE(exists(dir / "again.obj"));

  // A failed face ID read leaves the list empty, whatever it held.
  ASSERT_EQ(loadIds(), 2.0f);
  EXPECT_EQ(call("getFaceIDs", (dir / "nothing.qiv").c_str(), 1, nullptr), -1760.0f);
  EXPECT_EQ(exportTo(in, dir / "again.obj"), -18.0f);
  // -18 comes before the Qiv path is looked at.
  EXPECT_EQ(exportTo(dir / "nothing.qiv", dir / "again.obj"), -18.0f);
}

TEST_F(ExportTest, NullArgumentsAreRejectedBeforeAnythingElse) {
  ASSERT_EQ(loadIds(), 2.0f);
  char buf[64] = "x.obj";
  EXPECT_EQ(call("qivtoOBJ", nullptr, 0, buf), -9.0f);
  EXPECT_EQ(call("qivtoOBJ", in.c_str(), 0, static_cast<char*>(nullptr)), -9.0f);
  EXPECT_EQ(call("getFaceIDs", nullptr, 1, buf), -9.0f);
  EXPECT_EQ(call("outMRGB", nullptr, 0, buf), -9.0f);
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, static_cast<char*>(nullptr)), -9.0f);
  EXPECT_EQ(exportTo(in, out), 0.0f);  // the face ID list was not touched by a failed check
}

TEST_F(ExportTest, ChunksOutOfOrderReturnTheTagAndKeepWhatWasWritten) {
  ASSERT_EQ(loadIds(), 2.0f);
  writeFile(dir / "faces-first.qiv", qiv(smallFaces() + smallVertices()));
  EXPECT_EQ(exportTo(dir / "faces-first.qiv", out), 20001.0f);
  EXPECT_FALSE(exists(out));

  // No colour chunk after the vertices: header and "v " lines stay. The
  // UV chunk in between is long enough for the header's face count.
  writeFile(dir / "no-colours.qiv", qiv(smallVertices() + chunk(kUVTag, 1, std::string(32, '\0')) + smallFaces()));
  EXPECT_EQ(exportTo(dir / "no-colours.qiv", out), 25001.0f);
  EXPECT_EQ(readFile(out), kVertexPart);

  writeFile(dir / "no-faces.qiv", qiv(smallVertices() + smallColours() + chunk(40001, 0, "") + smallFaces()));
  EXPECT_EQ(exportTo(dir / "no-faces.qiv", out), 40001.0f);
  EXPECT_EQ(readFile(out), "# File exported by Modrix plugin\n#Vertex count 7\n#Face count 0\n" +
                               kVertexPart.substr(kVertexPart.find("v 1 ")) + kColourPart);
  // None of these consumed the face IDs.
  EXPECT_EQ(exportTo(in, out), 0.0f);
}

TEST_F(ExportTest, OutputThatCannotBeWrittenLeavesThePreviousFile) {
  ASSERT_EQ(loadIds(), 2.0f);
  EXPECT_EQ(exportTo(in, dir.path()), -2.0f);

  writeFile(out, "previous export\n");
  std::string big = qiv(vertexChunk(std::vector<float>(3000, 1.5f)) + smallColours() + smallFaces());
  writeFile(in, big);
  EXPECT_EQ(withFileSizeLimit(4096, [&] { return loadIds() != 2.0f ? 1.0f : exportTo(in, out); }), -2.0f);
  EXPECT_EQ(readFile(out), "previous export\n");
  // The partial OBJ of a chunk out of order is written the same way.
  writeFile(in, qiv(vertexChunk(std::vector<float>(3000, 1.5f)) + chunk(kUVTag, 0, "") + smallFaces()));
  EXPECT_EQ(withFileSizeLimit(4096, [&] { return loadIds() != 2.0f ? 1.0f : exportTo(in, out); }), -2.0f);
  EXPECT_EQ(readFile(out), "previous export\n");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"ids.qiv", "mesh.obj", "mesh.qiv"}));
}

TEST_F(ExportTest, FaceLinesFollowTheFaceIdListUntilItOrTheChunkEnds) {
  struct Case {
    std::vector<uint32_t> ids;
    std::string faces;
  };
  auto quadsLines = [](int from, int n) {
    std::string s;
    for (int i = from; i < from + n; ++i)
      s += "f " + std::to_string(4 * i + 1) + " " + std::to_string(4 * i + 2) + " " + std::to_string(4 * i + 3) +
           " " + std::to_string(4 * i + 4) + "\n";
    return s;
  };
  const Case cases[] = {
      {{4, 4}, "#FaceID 1\n" + quadsLines(0, 4) + "#FaceID 2\n" + quadsLines(4, 4)},
      {{4, 4, 4}, "#FaceID 1\n" + quadsLines(0, 4) + "#FaceID 2\n" + quadsLines(4, 4)},
      {{2}, "#FaceID 1\n" + quadsLines(0, 2)},
      {{0, 1, 0, 7}, "#FaceID 1\n#FaceID 2\n" + quadsLines(0, 1) + "#FaceID 3\n#FaceID 4\n" + quadsLines(1, 7)},
      {{UINT32_MAX}, "#FaceID 1\n" + quadsLines(0, 8)},
  };
  writeFile(in, qiv(vertexChunk({}) + colourChunk({}) + faceChunk(quads(8))));
  for (const Case& c : cases) {
    faceID = c.ids;
    ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
    std::string obj = readFile(out);
    EXPECT_EQ(obj.substr(obj.find("#FaceID")), c.faces);
    EXPECT_TRUE(faceID.empty());
  }
}

TEST_F(ExportTest, IndicesArePrintedAsTheyAre) {
  faceID = {5};
  writeFile(in, qiv(vertexChunk({0, 0, 0}) + colourChunk({}) +
                    faceChunk({{2147483647, -2147483647 - 1, 99, -5}, {0, 0, 0, 0}, {1, 1, 1, 2147483647},
                               {-1, -2, -3, -1}})));
  ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
  std::string obj = readFile(out);
  EXPECT_EQ(obj.substr(obj.find("#FaceID")),
            "#FaceID 1\nf 2147483648 -2147483647 100 \nf 1 1 1 1\nf 2 2 2 2147483648\nf 0 -1 -2 \n");
}

TEST_F(ExportTest, HeaderFaceCountIsFoundByChunkLengths) {
  // A colour chunk whose length lies: the header count is read where the
  // lengths point, the faces where the records end.
  std::string colours = chunk(kColourTag, 0, "", 48);
  std::string faces = faceChunk(quads(1));
  std::string lengthTarget = chunk(kUVTag, 77, "");
  writeFile(in, qiv(vertexChunk({}) + colours + faces + lengthTarget));
  faceID = {1};
  ASSERT_EQ(writeOBJfromQiv(in.c_str(), out.c_str()), 0.0f);
  std::string obj = readFile(out);
  EXPECT_NE(obj.find("#Face count 77\n"), std::string::npos) << obj;
  EXPECT_NE(obj.find("#FaceID 1\nf 1 2 3 4\n"), std::string::npos);
}

TEST_F(ExportTest, DamagedFilesAreRejectedBeforeAnyOutput) {
  ASSERT_EQ(loadIds(), 2.0f);
  const std::string mesh = smallMesh();
  // Where the face records end; the UV chunk after them is never read.
  const size_t needed = mesh.size() - 16;
  for (size_t n = 0; n < mesh.size(); ++n) {
    writeFile(in, mesh.substr(0, n));
    float r = exportTo(in, out);
    if (n < needed) {
      ASSERT_EQ(r, kBadFile) << "prefix " << n;
      ASSERT_FALSE(exists(out)) << "prefix " << n;
    } else {
      ASSERT_EQ(r, 0.0f) << "prefix " << n;
      ASSERT_EQ(loadIds(), 2.0f);
    }
  }

  const std::string v = smallVertices(), c = smallColours(), f = smallFaces();
  auto withField = [](std::string s, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(value >> (8 * i));
    return s;
  };
  const std::string lies[] = {
      withField(mesh, 32 + 8, 0xFFFFFFFF),                         // vertex count
      withField(mesh, 32 + 4, 0xFFFFFFF0),                         // vertex length: no header face count
      withField(mesh, 32 + v.size() + 8, 1000),                    // colour count
      withField(mesh, 32 + v.size() + c.size() + 4, 0x7FFFFFFF),   // face length
      withField(mesh, 32 + v.size() + c.size() + 8, 0x10000000),   // face count
      qiv(v + c),                                                  // ends after the colours
      qiv(v),                                                      // ends after the vertices
      std::string(32, '\0') + "\x11\x27",                         // tag cut off
  };
  for (const std::string& bad : lies) {
    writeFile(in, bad);
    EXPECT_EQ(exportTo(in, out), kBadFile);
  }
  std::remove(out.c_str());
  EXPECT_EQ(exportTo(dir.path(), out), -1760.0f);
  EXPECT_FALSE(exists(out));
}

TEST(BundledExamples, CubeExportsUnderItsCoarseFaces) {
  TempDir dir;
  ASSERT_EQ(call("getFaceIDs", example("faces.qiv").c_str(), 1, nullptr), 8.0f);
  ASSERT_EQ(call("qivtoOBJ", example("cube.qiv").c_str(), 0, dir / "cube.obj"), 0.0f);
  std::string obj = readFile(dir / "cube.obj");
  EXPECT_EQ(obj.rfind("#FaceID 8\n"), obj.find("#FaceID 8\n"));
  EXPECT_NE(obj.find("#Vertex count 54\n#Face count 28\nv -1.3 -1.3 1.3\n"), std::string::npos);
  EXPECT_EQ(obj.substr(obj.find("#FaceID 8\n")), "#FaceID 8\nf 46 50 49 \nf 49 50 53 52\nf 50 54 53 \n");
  ASSERT_EQ(call("outMRGB", example("colours.qiv").c_str(), 0, dir / "c.txt"), 0.0f);
  EXPECT_NE(readFile(dir / "c.txt").find("e41b80 ea1580\n# End of RGB block\n"), std::string::npos);
}

namespace {

std::vector<std::vector<uint8_t>> greys(int n) {
  std::vector<std::vector<uint8_t>> c;
  for (int i = 0; i < n; ++i) c.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  return c;
}

std::string entries(int from, int to) {
  std::string s;
  char e[8];
  for (int i = from; i < to; ++i) {
    std::snprintf(e, sizeof e, " %02x%02x%02x", i, i, i);
    s += e;
  }
  return s;
}

}  // namespace

TEST(FaceIds, CountsPerFaceFollowTheLevel) {
  TempDir dir;
  std::string path = dir / "ids.qiv";
  // The first chunk's tag is not looked at.
  writeFile(path, qiv(faceChunk({{0, 1, 2, 3}, {0, 1, 2, -1}, {0, 0, 0, 0}, {5, 5, 5, -7}}, 12345)));
  const uint32_t kMax = UINT32_MAX;
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double level;
    uint32_t quad, triangle;
  } cases[] = {
      {1, 4, 3},        {2, 16, 12},      {3, 64, 48},       {0, 0, 0},
      {1.5, 8, 6},      {-3, 0, 0},       {-inf, 0, 0},      {NAN, 0, 0},
      {16, kMax, 3221225472u},  // 4 × 2^30 no longer fits 32 bits
      {17, kMax, kMax}, {1e300, kMax, kMax}, {inf, kMax, kMax},
  };
  for (const Case& c : cases) {
    faceID = {9, 9, 9, 9, 9, 9};
    ASSERT_EQ(GetFaceIDsQiv(path.c_str(), c.level), 4.0f) << c.level;
    EXPECT_EQ(faceID, (std::vector<uint32_t>{c.quad, c.triangle, c.quad, c.triangle})) << c.level;
  }
  EXPECT_EQ(call("getFaceIDs", path.c_str(), 2, nullptr), 4.0f);
}

TEST(FaceIds, UnreadableOrShortFilesLeaveTheListEmpty) {
  TempDir dir;
  std::string good = qiv(faceChunk({{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 11}}));
  std::string path = dir / "ids.qiv";
  for (size_t n = 0; n < good.size(); ++n) {
    writeFile(path, good.substr(0, n));
    faceID = {1};
    ASSERT_EQ(GetFaceIDsQiv(path.c_str(), 1), tolvane::kBadFile) << n;
    ASSERT_TRUE(faceID.empty());
  }
  writeFile(path, qiv(chunk(kFaceTag, 0x10000000, std::string(64, '\0'))));
  EXPECT_EQ(GetFaceIDsQiv(path.c_str(), 1), tolvane::kBadFile);
  writeFile(path, qiv(faceChunk({})));
  EXPECT_EQ(GetFaceIDsQiv(path.c_str(), 1), 0.0f);
  faceID = {1};
  EXPECT_EQ(GetFaceIDsQiv((dir / "missing.qiv").c_str(), 1), -1760.0f);
  EXPECT_TRUE(faceID.empty());
  EXPECT_EQ(GetFaceIDsQiv(dir.path().c_str(), 1), -1760.0f);
}

TEST(ColourBlock, LinesHoldUpToThirtyTwoEntries) {
  TempDir dir;
  std::string in = dir / "colours.qiv", out = dir / "colours.txt";
  const struct {
    int records;
    std::string lines;
  } cases[] = {
      {0, "\n"},
      {1, "#RGB " + entries(0, 1) + "\n"},
      {32, "#RGB " + entries(0, 32) + "\n\n"},
      {33, "#RGB " + entries(0, 32) + "\n#RGB " + entries(32, 33) + "\n"},
      {64, "#RGB " + entries(0, 32) + "\n#RGB " + entries(32, 64) + "\n\n"},
  };
  for (const auto& c : cases) {
    writeFile(in, qiv(colourChunk(greys(c.records), 999)));
    ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f) << c.records;
    EXPECT_EQ(readFile(out), kBlockStart + c.lines + kBlockEnd) << c.records;
  }
  // Bytes blue, green, red, unused in the record; RRGGBB in the text.
  writeFile(in, qiv(chunk(kColourTag, 2, std::string("\x10\x20\x30\x40\xff\x00\xab\x00", 8))));
  ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f);
  EXPECT_EQ(readFile(out), kBlockStart + "#RGB  302010 ab00ff\n" + kBlockEnd);
}

TEST(ColourBlock, FailuresLeaveTheOutputAsItWas) {
  TempDir dir;
  std::string in = dir / "colours.qiv", out = dir / "colours.txt";
  std::string good = qiv(colourChunk(greys(40)) + faceChunk({{0, 1, 2, 3}}));
  writeFile(out, "keep me\n");
  // Every cut before the end of the colour records is a damaged file.
  size_t needed = 32 + 16 + 4 * 40;
  for (size_t n = 0; n < needed; ++n) {
    writeFile(in, good.substr(0, n));
    ASSERT_EQ(call("outMRGB", in.c_str(), 0, out), tolvane::kBadFile) << n;
  }
  EXPECT_EQ(call("outMRGB", (dir / "missing.qiv").c_str(), 0, out), -1760.0f);
  EXPECT_EQ(call("outMRGB", dir.path().c_str(), 0, out), -1760.0f);
  writeFile(in, good);
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, dir / "no/such/folder.txt"), -2.0f);
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, dir.path()), -2.0f);
  EXPECT_EQ(readFile(out), "keep me\n");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"colours.qiv", "colours.txt"}));
  EXPECT_EQ(call("outMRGB", in.c_str(), 0, out), 0.0f);
  EXPECT_NE(readFile(out), "keep me\n");
}
