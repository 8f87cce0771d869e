// Qiv to OBJ export through the host entry points: exact text, the face ID
// list it consumes, every failure and what it leaves on disk, damaged files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
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
const std::string kColourPart =
    "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values per "
    "vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n"
    "#RGB  302010 ff00a5\n"
    "# End of RGB block\n";
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
