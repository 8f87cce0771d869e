// Splits of an OBJ mesh by its group lines, into vertex-only OBJ files and
// into Qit vertex files, and the path splitting that names their files.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "files/path_name.h"
#include "groups/group_scan.h"
#include "groups/groups.h"
#include "support/support.h"

using namespace testsupport;

namespace {

using Texts = std::vector<std::string>;
#if defined(_WIN32)
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// The input in one folder, the split's files alone in another.
class Split : public ::testing::Test {
 protected:
  std::string obj(const std::string& text) {
    writeFile(src / "in.obj", text);
    return src / "in.obj";
  }
  float splitObj(const std::string& text) { return tolvane::splitObj(obj(text).c_str(), (dir / "any.obj").c_str()); }
  float splitQit(const std::string& text) { return tolvane::splitQit(obj(text).c_str(), (dir / "any.obj").c_str()); }
  std::string o(const std::string& name) { return readFile(dir / name); }
  Texts os(std::initializer_list<const char*> names) {
    Texts out;
    for (const char* name : names) out.push_back(o(name));
    return out;
  }
  TempDir src, dir;
};

TEST_F(Split, VertexLinesOncePerGroupAscendingAsTextAndAsFloats) {
  // Faces before the first group line count for the first group named.
  const std::string mesh =
      "v 1.0 0 0\nv 2 0 0\nv 3 0 0 0.5 0.5 0.5\nvt 0 0\nv\t9 9 9\n v 9 9 9\nv 4 0 0\n"
      "f 4 3\ng b\nf 3/1 1/2 3/3\ng a\nf 2//1 2//1\ng b\nf 1\n";
  ASSERT_EQ(splitObj(mesh), 0);
  EXPECT_EQ(os({"b.obj", "a.obj"}), (Texts{"v 1.0 0 0\nv 3 0 0 0.5 0.5 0.5\nv 4 0 0\n", "v 2 0 0\n"}));
  EXPECT_EQ(dir.list(), (Texts{"a.obj", "b.obj"}));
  ASSERT_EQ(splitQit(mesh), 0);
  EXPECT_EQ(os({"b.Qit", "a.Qit"}), (Texts{qit({1, 0, 0, 3, 0, 0, 4, 0, 0}), qit({2, 0, 0})}));
}

TEST_F(Split, GroupsAreWrittenInByteOrderAndAFailureKeepsTheEarlierOnes) {
  // "m/x" cannot be created (no folder m): Arm, a and arm come before it in
  // byte order and are written, z comes after and is not.
  std::string text = "v 1 2 3\ng z\nf 1\ng Arm\nf 1\ng m/x\nf 1\ng arm\nf 1\ng a\nf 1\n";
  const std::string arm = kWindows ? "arm_copy1" : "arm";  // names differing only in case are one file on Windows
  EXPECT_EQ(splitObj(text), -3);
  EXPECT_EQ(dir.list(), (Texts{"Arm.obj", "a.obj", arm + ".obj"}));
  EXPECT_EQ(splitQit(text), -3);
  EXPECT_EQ(dir.list(), (Texts{"Arm.Qit", "Arm.obj", "a.Qit", "a.obj", arm + ".Qit", arm + ".obj"}));
}

TEST_F(Split, NeverOverwritesAndCountsCopiesPerGroup) {
  writeFile(dir / "a.obj", "mine"), writeFile(dir / "a_copy1.obj", "mine too");
  ASSERT_TRUE(makeDir(dir / "b.obj"));  // a folder in the way
  writeFile(dir / "a.Qit", "keep");
  const std::string text = "v 1 2 3\ng a\nf 1\ng b\nf 1\n";
  ASSERT_EQ(splitObj(text), 0);
  EXPECT_EQ(os({"a.obj", "a_copy1.obj", "a_copy2.obj", "b_copy1.obj"}),
            (Texts{"mine", "mine too", "v 1 2 3\n", "v 1 2 3\n"}));
  ASSERT_EQ(splitQit(text), 0);
  EXPECT_EQ(os({"a.Qit", "a_copy1.Qit", "b.Qit"}), (Texts{"keep", qit({1, 2, 3}), qit({1, 2, 3})}));
  // Each takes the name free when the one before it was named, though written two at a time.
  TempDir fresh;
  writeFile(fresh / "a.obj", "mine");
  ASSERT_EQ(tolvane::splitObj(obj("v 1 2 3\nv 4 5 6\ng a_copy1\nf 2\ng a\nf 1\n").c_str(), (fresh / "x").c_str()), 0);
  EXPECT_EQ(readFile(fresh / "a_copy1.obj") + readFile(fresh / "a_copy1_copy1.obj"), "v 1 2 3\nv 4 5 6\n");
}

TEST_F(Split, OddLinesAndFaceNumbers) {
  const std::string part = kWindows ? "part" : "part\r";  // no Windows file name holds a CR
  // CR LF stays in lines and names.
  const std::string crlf = "v 1 2 3\r\nv 4 5 6\r\ng part\r\nf 2/1/1 1/1/1\r\n";
  ASSERT_EQ(splitObj(crlf), 0);
  EXPECT_EQ(o(part + ".obj"), "v 1 2 3\r\nv 4 5 6\r\n");
  ASSERT_EQ(splitQit(crlf), 0);
  EXPECT_EQ(o(part + ".Qit"), qit({1, 2, 3, 4, 5, 6}));
  // 0 selects the placeholder line in the OBJ split; negative numbers and
  // numbers past the last vertex line are skipped; reading stops at text.
  const std::string numbers = "v 1 1 1\nv 2 2 2\ng a\nf 0 99 -1 2 2147483648 1\nf 1x 2\ng b\nf 5 -7\n";
  EXPECT_EQ(splitObj(numbers), -2);  // b selects nothing
  EXPECT_EQ(o("a.obj"), "#start of vector\nv 1 1 1\nv 2 2 2\n");
  EXPECT_FALSE(exists(dir / "b.obj"));
  ASSERT_EQ(splitQit(numbers), 0);
  EXPECT_EQ(os({"a.Qit", "b.Qit"}), (Texts{qit({1, 1, 1, 2, 2, 2}), qit({})}));
  // One-character lines name the empty group and hold no face.
  const std::string bare = "v 1 2 3\ng\nf\nf 1\ng x\nf\n";
  ASSERT_EQ(splitObj(bare), -2);  // x has no vertex
  EXPECT_EQ(o(".obj"), "v 1 2 3\n");
  ASSERT_EQ(splitQit(bare), 0);
  EXPECT_EQ(os({".Qit", "x.Qit"}), (Texts{qit({1, 2, 3}), qit({})}));
}

TEST_F(Split, FailuresAndTheirCodes) {
  EXPECT_EQ(tolvane::splitObj((dir / "none.obj").c_str(), (dir / "x").c_str()), -1);
  EXPECT_EQ(tolvane::splitQit(dir.path().c_str(), (dir / "x").c_str()), -1);
  std::string in = obj("v 1 2 3\ng a\nf 1\n");
  EXPECT_EQ(tolvane::splitObj(in.c_str(), (dir / "nofolder/x").c_str()), -3);
  EXPECT_EQ(tolvane::splitQit(in.c_str(), (dir / "nofolder/x").c_str()), -3);
  // Without any group line nothing is written.
  EXPECT_TRUE(splitObj("v 1 2 3\nf 1\n") == 0 && splitQit("v 1 2 3\nf 1\n") == 0 && dir.list().empty());
  char buf[] = "x";
  EXPECT_EQ(call("SplitOBJ", nullptr, 0, buf), -2);
  EXPECT_EQ(call("SplitOBJtoQiv", in.c_str(), 0, nullptr), -2);
  EXPECT_EQ(call("ListSplitOBJtoQiv", nullptr, 0, nullptr), -2);
}

TEST_F(Split, VertexTextBecomesFloatsLikeAStreamReadsThem) {
  ASSERT_EQ(splitQit("v 1 2 3 0.5 0.5 0.5\nv 1,5 2 3\nv +2 .5 -3.\nv 1e50 -1e50 1e-50\nv nan inf 1\nv 1\nv 1-2 3\n"
                     "v\t\n"  // not a vertex line
                     "v  -0.25e1\t\t7E+1 8\r\n"
                     "v 1.5.3 12345678.5\nv 5.e1 0.12345678 -.5\ng a\nf 1 2 3 4 5 6 7 8 9 10\n"),
            0);
  EXPECT_EQ(o("a.Qit"), qit({1, 2, 3, 1, 0, 0, 2, .5f, -3, FLT_MAX, -FLT_MAX, 0, 0, 0, 0, 1, 0, 0, 1, -2, 3, -2.5f, 70,
                             8, 1.5f, .3f, std::strtof("12345678.5", nullptr), 50, 0.12345678f, -.5f}));
  // A last line without a line feed ends where the file ends.
  ASSERT_EQ(splitQit("g b\nf 1\nv 0.25 1.5 2"), 0);
  EXPECT_EQ(o("b.Qit"), qit({.25f, 1.5f, 2}));
  // Decimals of every shape in each place of a line round exactly as strtof.
  std::string text, face = "g a\nf";
  std::vector<float> want;
  std::mt19937 rnd(5);
  for (int line = 1; line <= 20000; ++line) {
    std::string num = std::vector<std::string>{"", "-", "+"}[rnd() % 3];
    const int before = 1 + int(rnd() % 9), after = int(rnd() % 13) - 1;
    for (int k = 0; k < before; ++k) num += char('0' + (rnd() % 10) * (k > 0 || rnd() % 4 != 0));
    if (after >= 0) num += '.';
    for (int k = 0; k < after; ++k) num += char('0' + rnd() % 10);
    if (after == 0) num += '5';  // "12." is not a plain decimal; "12.5" is
    const float f = std::strtof(num.c_str(), nullptr);
    const int at = line % 3;
    text += "v " + (at == 0 ? num : "1.5") + " " + (at == 1 ? num : "-0.25") + " " + (at == 2 ? num : "8.125") + "\n";
    want.insert(want.end(), {at == 0 ? f : 1.5f, at == 1 ? f : -.25f, at == 2 ? f : 8.125f});
    face += " " + std::to_string(line);
  }
  ASSERT_EQ(splitQit(text + face + "\n"), 0);
  EXPECT_TRUE(o("a_copy1.Qit") == qit(want));
}

}  // namespace

TEST(WordHelpers, EqualTheirPlainLoopsAndReadFacesAsAStream) {
  // Each word-at-a-time helper equals its plain loop at every place of random text, and face text
  // gives what a stream reads: corners cut at their first "/", then >> int until something is not one.
  auto byStream = [](const std::string& text) {
    std::vector<int32_t> out;
    const bool corners = text.find('/') != std::string::npos;
    std::vector<std::string> parts;
    if (!corners) parts.push_back(text);
    for (size_t at = 0; corners && at < text.size();) {
      size_t end = std::min(text.find(' ', at), text.size());
      parts.push_back(text.substr(at, std::min(text.find('/', at), end) - at));
      at = end + 1;
    }
    for (const std::string& part : parts) {
      std::istringstream in(part);
      bool whole = true;
      for (;;) {
        const auto before = in.tellg();
        long long v;
        if (in >> v) {
          if ((whole = v >= INT32_MIN && v <= INT32_MAX)) out.push_back(int32_t(v));
          if (whole) continue;
          break;
        }
        // The next corner is read only when white space alone was left.
        whole = part.find_first_not_of(" \t\n\v\f\r", size_t(before)) == std::string::npos;
        break;
      }
      if (!whole) break;
    }
    return out;
  };
  const char* pieces[] = {"1", "23", "456", "7890123", "12345678", "2147483647", "2147483648", "-5", "+6", "0",
                          "00000000012", "/", "//", "/7", " ", " ", " ", "  ", "\t", "\r", "x", "-", ".", "e", ":"};
  std::mt19937 rnd(11);
  for (int k = 0; k < 20000; ++k) {
    std::string text;
    for (int n = int(rnd() % 12); n > 0; --n) text += pieces[rnd() % (sizeof pieces / sizeof *pieces)];
    const std::string padded = text + std::string(80, '9');  // lines are followed by readable bytes
    for (size_t i = 0; i <= text.size(); ++i) {
      const char* p = padded.data() + i;
      const size_t n = std::min<size_t>(64, text.size() - i);
      uint32_t word = 0, plain = 0;
      const auto where = [&] { return "[" + text + "] at " + std::to_string(i); };
      ASSERT_EQ(tolvane::digitRun(p, word), tolvane::digitRunPlain(p, plain)) << where();
      ASSERT_EQ(word, plain) << where();
      const tolvane::ByteClasses a = tolvane::classifyBytes(p, n), b = tolvane::classifyBytesPlain(p, n);
      ASSERT_TRUE(a.digits == b.digits && a.spaces == b.spaces && a.slashes == b.slashes) << where();
      for (char c : {'/', '9'}) ASSERT_EQ(tolvane::byteMask(p, n, c), tolvane::byteMaskPlain(p, n, c)) << where();
    }
    std::vector<int32_t> got;
    tolvane::forEachFaceNumber(std::string_view(padded.data(), text.size()), [&](int32_t v) { got.push_back(v); });
    ASSERT_EQ(got, byStream(text)) << "[" << text << "]";
  }
}

TEST(VertexSets, AnyOrderOfNumbersComesOutSortedAndOnce) {
  // Runs close or far apart, walking up or down, repeated, below 0 or near the largest int, absorbed
  // in either direction: taking the set gives each number in the range once, in order.
  std::mt19937 rnd(5);
  auto pick = [&](int pattern, int i, int32_t at) -> int32_t {
    switch (pattern) {
      case 0: return at + int32_t(rnd() % 5000);                             // a part's block of vertices
      case 1: return at + i / 3 + int32_t(rnd() % 4);                         // faces walking up
      case 2: return std::max(0, at + 200000 - i / 2 - int32_t(rnd() % 4));  // walking down
      case 3: return int32_t(rnd() % 2147483647u) + int32_t(rnd() % 2);     // anywhere
      default: return int32_t(rnd() % 9) - 4 + (rnd() % 50 == 0 ? INT32_MAX - 8 : at);  // below 0, far, repeats
    }
  };
  for (int round = 0; round < 60; ++round) {
    tolvane::NumberSet set, tail, run;
    std::set<int32_t> want;
    const int pattern = round % 5;
    const int32_t at = int32_t(rnd() % 1000000);
    auto add = [&](tolvane::NumberSet& to, int32_t n) {
      to.add(n);
      if (n >= 0) want.insert(n);
    };
    for (int stretch = 0; stretch < 6; ++stretch) {
      const int count = int(rnd() % 3000);
      for (int i = 0; i < count; ++i) add(set, pick(stretch % 2 ? (pattern + 1) % 5 : pattern, i, at));
      // Within the group's range, or past it.
      for (int i = 0; i < count / 4; ++i) add(tail, pick(pattern, i, at + (round % 2 ? 0 : 3000)));
    }
    for (int i = 0; i < 500; ++i) add(run, pick(pattern, i, at + 7000));
    if (round % 3 == 0) set.absorb(std::move(tail));
    else tail.absorb(std::move(set)), set = std::move(tail);
    set.absorb(std::move(run));
    const int32_t lo = round % 2, hi = round % 4 == 3 ? at + 2500 : INT32_MAX;
    std::vector<int32_t> expected;
    for (int32_t n : want)
      if (n >= lo && n <= hi) expected.push_back(n);
    ASSERT_EQ(set.take(lo, hi), expected) << "round " << round;
    EXPECT_TRUE(set.take(0, INT32_MAX).empty());
  }
}

TEST(FileNameExtract, EveryModeOnTypicalAndAwkwardPaths) {
  const struct {
    const char* path;
    int mode;
    const char* want;
  } cases[] = {{"D:\\work\\model.obj", 1, "D:\\work\\"}, {"a/b\\c.obj", 1, "a/b\\"}, {"/", 1, "/"},
               {"/x/y/name.part.obj", 2, "name.part"}, {"/x.d/name", 2, "name"}, {"/x/y/.hidden", 2, ""},
               {"/x/y/", 2, ""}, {"/x/y/name.obj", 3, "/x/y/name"}, {"/x.d/name", 3, "/x"},
               {"/x/y/name.obj", 4, ".obj"}, {"a.b.c", 4, ".c"}, {"/x/y/name", 4, ""}, {"C:\\a/b\\c.d", 6, "c.d"},
               {"/x/y/", 6, ""}, {"/x/y/name.obj", 0, "/x/y/name.obj"}, {"/x/y/name.obj", 5, "/x/y/name.obj"}};
  for (const auto& c : cases) EXPECT_EQ(FileNameExtract(c.path, c.mode), c.want) << c.path << " mode " << c.mode;
}
