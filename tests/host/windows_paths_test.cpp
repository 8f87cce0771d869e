// Whole operations through tolvane.dll with the paths a Windows user types:
// drive letters, "\" separators, non-ASCII folder names, CR LF inputs. The
// bytes written must not depend on how the path was spelled, and nothing is
// translated on the way (no LF becomes CR LF).
#if defined(_WIN32)

#include <gtest/gtest.h>

#include <string>

#include "support/support.h"

using testsupport::call;
using testsupport::example;
using testsupport::readFile;
using testsupport::TempDir;

namespace {

std::string backslashed(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

float qivToObj(const std::string& out) {
  if (call("getFaceIDs", example("faces.qiv").c_str(), 1, nullptr) < 0) return -100;
  return call("qivtoOBJ", backslashed(example("cube.qiv")).c_str(), 0, out);
}

}  // namespace

TEST(WindowsPaths, QivToObjWritesTheSameBytesWhateverThePathSpelling) {
  TempDir dir;
  ASSERT_TRUE(testsupport::makeDir(dir / "t\xC3\xAAte"));  // "tête"
  ASSERT_EQ(qivToObj(dir / "plain.obj"), 0.0f);
  ASSERT_EQ(qivToObj(backslashed(dir / "t\xC3\xAAte/cube.obj")), 0.0f);
  const std::string plain = readFile(dir / "plain.obj");
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(readFile(dir / "t\xC3\xAAte/cube.obj"), plain);
  EXPECT_EQ(plain.find('\r'), std::string::npos) << "lines end in LF alone";
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"plain.obj", "t\xC3\xAAte"})) << "no temporary left";
}

TEST(WindowsPaths, CombinedMeshOfCrlfPartsSplitsIntoABackslashedFolder) {
  TempDir dir;
  const std::string combined = backslashed(dir / "combined.obj");
  float offset = 0;
  for (const char* part : {"cube.obj", "pyramid.obj", "wedge.obj"})  // pyramid.obj has CR LF ends
    offset = call("AppendOBJ", backslashed(example(std::string("parts/") + part)).c_str(), offset, combined);
  EXPECT_EQ(offset, 8 + 5 + 6);
  ASSERT_TRUE(testsupport::makeDir(dir / "obj"));
  ASSERT_EQ(call("SplitOBJ", combined.c_str(), 0, backslashed(dir / "obj/")), 0.0f);
  EXPECT_EQ(call("OpenFolder", backslashed(dir / "obj").c_str(), 0, nullptr), 0.0f);
  std::vector<std::string> names;
  char name[1024];
  while (call("GetFile", nullptr, 0, name) == 0) names.push_back(name);
  call("CloseFolder", nullptr, 0, nullptr);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "cube.obj", "pyramid.obj", "wedge.obj"}));
  // The CR LF part's vertex lines are copied as they were, CR included.
  EXPECT_EQ(readFile(dir / "obj/pyramid.obj").substr(0, 12), "v 0 1.25 0\r\n");

  // Its own group line keeps the CR in the name; its file is named without.
  ASSERT_EQ(call("SplitOBJ", backslashed(example("parts/pyramid.obj")).c_str(), 0, backslashed(dir / "own/")),
            -3.0f) << "no folder own yet";
  ASSERT_TRUE(testsupport::makeDir(dir / "own"));
  ASSERT_EQ(call("SplitOBJ", backslashed(example("parts/pyramid.obj")).c_str(), 0, backslashed(dir / "own/")), 0.0f);
  EXPECT_EQ(readFile(dir / "own/pyramid.obj"), readFile(dir / "obj/pyramid.obj"));
}

#endif  // _WIN32
