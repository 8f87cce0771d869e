// Whole operations through tolvane.dll with the paths a Windows user types:
// drive letters, "\" separators, non-ASCII folder names, CR LF inputs. The
// bytes written must not depend on how the path was spelled, and nothing is
// translated on the way (no LF becomes CR LF).
#if defined(_WIN32)

#include <gtest/gtest.h>

#include "support/support.h"

using namespace testsupport;

TEST(WindowsPaths, OutputsAreTheSameBytesWhateverThePathSpelling) {
  TempDir dir;
  ASSERT_TRUE(makeDir(dir / "t\xC3\xAAte"));  // "tête"
  for (const std::string& out : {dir / "plain.obj", backslashed(dir / "t\xC3\xAAte/cube.obj")}) {
    ASSERT_GT(call("getFaceIDs", example("faces.qiv").c_str(), 1, nullptr), 0.0f);
    ASSERT_EQ(call("qivtoOBJ", backslashed(example("cube.qiv")).c_str(), 0, out), 0.0f);
  }
  const std::string plain = readFile(dir / "plain.obj");
  EXPECT_EQ(readFile(dir / "t\xC3\xAAte/cube.obj"), plain);
  EXPECT_EQ(plain.find('\r'), std::string::npos) << "lines end in LF alone";
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"plain.obj", "t\xC3\xAAte"})) << "no temporary left";

  // A combined mesh of parts (pyramid.obj has CR LF ends) split into a
  // backslashed folder: the CR LF part's vertex lines keep their CR, and its
  // own group line's CR is not in its file name.
  const std::string combined = backslashed(dir / "combined.obj");
  float offset = 0;
  for (const char* part : {"cube.obj", "pyramid.obj", "wedge.obj"})
    offset = call("AppendOBJ", backslashed(example(std::string("parts/") + part)).c_str(), offset, combined);
  EXPECT_EQ(offset, 8 + 5 + 6);
  ASSERT_TRUE(makeDir(dir / "obj") && makeDir(dir / "own"));
  ASSERT_EQ(call("SplitOBJ", combined.c_str(), 0, backslashed(dir / "obj/")), 0.0f);
  EXPECT_EQ(readFile(dir / "obj/pyramid.obj").substr(0, 12), "v 0 1.25 0\r\n");
  ASSERT_EQ(call("SplitOBJ", backslashed(example("parts/pyramid.obj")).c_str(), 0, backslashed(dir / "own/")), 0.0f);
  EXPECT_EQ(readFile(dir / "own/pyramid.obj"), readFile(dir / "obj/pyramid.obj"));
  EXPECT_TRUE(exists(dir / "obj/cube.obj") && exists(dir / "obj/wedge.obj"));
}

#endif  // _WIN32
