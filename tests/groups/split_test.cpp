// Splits of an OBJ mesh by its group lines: into vertex-only OBJ files and
// into Qit vertex files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "groups/groups.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

// The input in one folder, the split's files alone in another.
class Split : public ::testing::Test {
 protected:
  std::string obj(const std::string& text) {
    writeFile(src / "in.obj", text);
    return src / "in.obj";
  }
  std::string out() { return dir / "anything.obj"; }
  std::string o(const std::string& name) { return readFile(dir / name); }
  std::vector<std::string> outFiles() { return dir.list(); }
  TempDir src, dir;
};

const char* kMesh =
    "# faces before the first group line count for the first group named\n"
    "v 1.0 0 0\nv 2 0 0\nv 3 0 0 0.5 0.5 0.5\nvt 0 0\nv\t9 9 9\n v 9 9 9\nv 4 0 0\n"
    "f 4 3\n"
    "g b\nf 3/1 1/2 3/3\n"
    "g a\nf 2//1 2//1\n"
    "g b\nf 1\n";

TEST_F(Split, VertexLinesOncePerGroupAscendingAsTextAndAsFloats) {
  ASSERT_EQ(LeanSplitOBJ(obj(kMesh).c_str(), out().c_str()), 0);
  EXPECT_EQ(o("b.obj"), "v 1.0 0 0\nv 3 0 0 0.5 0.5 0.5\nv 4 0 0\n");
  EXPECT_EQ(o("a.obj"), "v 2 0 0\n");
  EXPECT_EQ(outFiles(), (std::vector<std::string>{"a.obj", "b.obj"}));
  ASSERT_EQ(LeanSplitQiv(obj(kMesh).c_str(), out().c_str()), 0);
  EXPECT_EQ(o("b.Qit"), qit({1, 0, 0, 3, 0, 0, 4, 0, 0}));
  EXPECT_EQ(o("a.Qit"), qit({2, 0, 0}));
}

TEST_F(Split, GroupsAreWrittenInByteOrderAndAFailureKeepsTheEarlierOnes) {
  // "m/x" cannot be created (no folder m): Arm, a and arm come before it in
  // byte order and are written, z comes after and is not.
  std::string text = "v 1 2 3\ng z\nf 1\ng Arm\nf 1\ng m/x\nf 1\ng arm\nf 1\ng a\nf 1\n";
  EXPECT_EQ(LeanSplitOBJ(obj(text).c_str(), out().c_str()), -3);
#if defined(_WIN32)
  // Names differing only in letter case are one file on Windows: arm is a copy.
  EXPECT_EQ(outFiles(), (std::vector<std::string>{"Arm.obj", "a.obj", "arm_copy1.obj"}));
  EXPECT_EQ(LeanSplitQiv(obj(text).c_str(), out().c_str()), -3);
  EXPECT_EQ(outFiles(),
            (std::vector<std::string>{"Arm.Qit", "Arm.obj", "a.Qit", "a.obj", "arm_copy1.Qit", "arm_copy1.obj"}));
#else
  EXPECT_EQ(outFiles(), (std::vector<std::string>{"Arm.obj", "a.obj", "arm.obj"}));
  EXPECT_EQ(LeanSplitQiv(obj(text).c_str(), out().c_str()), -3);
  EXPECT_EQ(outFiles(), (std::vector<std::string>{"Arm.Qit", "Arm.obj", "a.Qit", "a.obj", "arm.Qit", "arm.obj"}));
#endif
}

TEST_F(Split, NeverOverwritesAndCountsCopiesPerGroup) {
  writeFile(dir / "a.obj", "mine");
  writeFile(dir / "a_copy1.obj", "mine too");
  ASSERT_TRUE(testsupport::makeDir(dir / "b.obj"));  // a folder in the way
  writeFile(dir / "a.Qit", "keep");
  std::string in = obj("v 1 2 3\ng a\nf 1\ng b\nf 1\n");
  ASSERT_EQ(LeanSplitOBJ(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o("a.obj"), "mine");
  EXPECT_EQ(o("a_copy1.obj"), "mine too");
  EXPECT_EQ(o("a_copy2.obj"), "v 1 2 3\n");
  EXPECT_EQ(o("b_copy1.obj"), "v 1 2 3\n");
  ASSERT_EQ(LeanSplitQiv(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o("a.Qit"), "keep");
  EXPECT_EQ(o("a_copy1.Qit"), qit({1, 2, 3}));
  EXPECT_EQ(o("b.Qit"), qit({1, 2, 3}));
}

TEST_F(Split, CrlfStaysInLinesAndNames) {
  std::string in = obj("v 1 2 3\r\nv 4 5 6\r\ng part\r\nf 2/1/1 1/1/1\r\n");
#if defined(_WIN32)
  const std::string part = "part";  // no Windows file name holds a CR
#else
  const std::string part = "part\r";
#endif
  ASSERT_EQ(LeanSplitOBJ(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o(part + ".obj"), "v 1 2 3\r\nv 4 5 6\r\n");
  ASSERT_EQ(LeanSplitQiv(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o(part + ".Qit"), qit({1, 2, 3, 4, 5, 6}));
}

TEST_F(Split, FaceNumbersOutsideTheVertexLinesSelectNothing) {
  // 0 selects the placeholder line in the OBJ split; negative numbers and
  // numbers past the last vertex line are skipped; reading stops at text.
  std::string in = obj("v 1 1 1\nv 2 2 2\ng a\nf 0 99 -1 2 2147483648 1\nf 1x 2\ng b\nf 5 -7\n");
  EXPECT_EQ(LeanSplitOBJ(in.c_str(), out().c_str()), -2);  // b selects nothing
  EXPECT_EQ(o("a.obj"), "#start of vector\nv 1 1 1\nv 2 2 2\n");
  EXPECT_FALSE(exists(dir / "b.obj"));
  ASSERT_EQ(LeanSplitQiv(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o("a.Qit"), qit({1, 1, 1, 2, 2, 2}));
  EXPECT_EQ(o("b.Qit"), qit({}));
}

TEST_F(Split, OneCharacterLinesNameTheEmptyGroupAndHoldNoFace) {
  std::string in = obj("v 1 2 3\ng\nf\nf 1\ng x\nf\n");
  ASSERT_EQ(LeanSplitOBJ(in.c_str(), out().c_str()), -2);  // x has no vertex
  EXPECT_EQ(o(".obj"), "v 1 2 3\n");
  ASSERT_EQ(LeanSplitQiv(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o(".Qit"), qit({1, 2, 3}));
  EXPECT_EQ(o("x.Qit"), qit({}));
}

TEST_F(Split, FailuresAndTheirCodes) {
  EXPECT_EQ(LeanSplitOBJ((dir / "none.obj").c_str(), out().c_str()), -1);
  EXPECT_EQ(LeanSplitQiv(dir.path().c_str(), out().c_str()), -1);
  std::string in = obj("v 1 2 3\ng a\nf 1\n");
  EXPECT_EQ(LeanSplitOBJ(in.c_str(), (dir / "nofolder/x").c_str()), -3);
  EXPECT_EQ(LeanSplitQiv(in.c_str(), (dir / "nofolder/x").c_str()), -3);
  // Without any group line nothing is written.
  EXPECT_EQ(LeanSplitOBJ(obj("v 1 2 3\nf 1\n").c_str(), out().c_str()), 0);
  EXPECT_EQ(LeanSplitQiv(obj("v 1 2 3\nf 1\n").c_str(), out().c_str()), 0);
  EXPECT_TRUE(outFiles().empty());
  // Entry points: missing paths first.
  char buf[] = "x";
  EXPECT_EQ(call("SplitOBJ", nullptr, 0, buf), -2);
  EXPECT_EQ(call("SplitOBJtoQiv", in.c_str(), 0, nullptr), -2);
  EXPECT_EQ(call("ListSplitOBJtoQiv", nullptr, 0, nullptr), -2);
}

TEST_F(Split, MoreThan1024GroupsAreAllWritten) {
  std::string text = "v 0 0 0\nv 1 1 1\n";
  for (int g = 0; g < 1500; ++g) text += "g g" + std::to_string(g) + "\nf " + std::to_string(1 + g % 2) + "\n";
  std::string in = obj(text);
  ASSERT_EQ(LeanSplitOBJ(in.c_str(), out().c_str()), 0);
  ASSERT_EQ(LeanSplitQiv(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(outFiles().size(), 3000u);
  EXPECT_EQ(o("g1499.obj"), "v 1 1 1\n");
  EXPECT_EQ(o("g1024.Qit"), qit({0, 0, 0}));
}

TEST_F(Split, VertexTextBecomesFloatsLikeAStreamReadsThem) {
  std::string in = obj(
      "v 1 2 3 0.5 0.5 0.5\nv 1,5 2 3\nv +2 .5 -3.\nv 1e50 -1e50 1e-50\nv nan inf 1\nv 1\nv 1-2 3\n"
      "v\t\n"  // not a vertex line
      "v  -0.25e1\t\t7E+1 8\r\ng a\nf 1 2 3 4 5 6 7 8\n");
  ASSERT_EQ(LeanSplitQiv(in.c_str(), out().c_str()), 0);
  EXPECT_EQ(o("a.Qit"), qit({1, 2, 3, 1, 0, 0, 2, .5f, -3, FLT_MAX, -FLT_MAX, 0, 0, 0, 0, 1, 0, 0, 1, -2, 3,
                             -2.5f, 70, 8}));
}

TEST_F(Split, FloatsMatchTheCLibrarysRoundingOnManyDecimals) {
  // Short decimals take a quick path: it must round exactly as strtof.
  std::string text = "g a\n", face = "f";
  std::vector<float> want;
  uint64_t x = 88172645463325252ull;
  for (int i = 1; i <= 20000; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    char num[64];
    int decimals = int(x % 12), scale = int((x >> 8) % 9);
    double v = double((x >> 16) % 100000000) / std::pow(10.0, scale) * ((x >> 60) & 1 ? -1 : 1);
    std::snprintf(num, sizeof num, "%.*f", decimals, v);
    text += std::string("v ") + num + " " + num + " 0\n";
    face += " " + std::to_string(i);
    float f = std::strtof(num, nullptr);
    want.insert(want.end(), {f, f, 0});
  }
  ASSERT_EQ(LeanSplitQiv(obj(text + face + "\n").c_str(), out().c_str()), 0);
  EXPECT_TRUE(o("a.Qit") == qit(want));
}

}  // namespace
