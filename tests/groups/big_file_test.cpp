// Large OBJ files are read a block at a time, their second half on a second
// thread: lines that cross the blocks' edges, a line longer than a block, a
// last line without a line feed, and group lines and faces in the second
// half (the first of them still in the first half's group) must come out as
// one pass over the whole file gives them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "groups/groups.h"
#include "support/support.h"

using namespace testsupport;

TEST(BigObj, SplitsOfALargeFileAreThoseOfOnePass) {
  TempDir dir;
  const int n = 400000;  // about 9 MB in all: past the size that is read by two threads
  std::vector<std::string> lines(n + 1);
  std::string obj = "g a\n";
  for (int i = 1; i <= n; ++i) {
    lines[i] = "v " + std::to_string(i) + ".5 -" + std::to_string(i % 977) + " 0.25";
    if (i == n - 10) lines[i] = "v 7 8 9" + std::string(600000, ' ') + "\r";  // longer than a read block
    obj += lines[i] + "\n";
  }
  std::set<int> a, b;
  auto face = [&](std::set<int>& group, int x, int y, int z) {
    obj += "f " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + "\n";
    group.insert({x, y, z});
  };
  for (int k = 1; k + 2 <= n / 2; k += 3) face(a, k, k + 1, k + 2);  // still in "a", read by the second thread
  obj += "g b\n";
  for (int k = n / 2; k + 2 <= n; k += 5) face(b, k, k + 1, k + 2);
  obj += "g a\n";
  face(a, n - 1, n, n - 10);
  obj += "f " + std::to_string(n) + " 1 2";  // no line feed at the end
  a.insert({n, 1, 2});
  writeFile(dir / "big.obj", obj);

  ASSERT_EQ(LeanSplitOBJ((dir / "big.obj").c_str(), (dir / "out.obj").c_str()), 0.0f);
  for (auto [name, set] : {std::make_pair("a", &a), std::make_pair("b", &b)}) {
    std::string expected;
    for (int v : *set) expected += lines[v] + "\n";
    EXPECT_TRUE(readFile(dir / (std::string(name) + ".obj")) == expected) << name;
  }

  ASSERT_EQ(LeanSplitQiv((dir / "big.obj").c_str(), (dir / "out.Qit").c_str()), 0.0f);
  const std::string qit = readFile(dir / "a.Qit");
  ASSERT_EQ(qit.size(), 16 + 12 * a.size());
  float v[3];
  std::memcpy(v, qit.data() + qit.size() - 36, sizeof v);  // vertex n - 10, before n - 1 and n
  EXPECT_EQ(v[0], 7.0f);
  EXPECT_EQ(v[2], 9.0f);
  std::memcpy(v, qit.data() + qit.size() - 12, sizeof v);
  EXPECT_EQ(v[0], float(n) + 0.5f);
  EXPECT_EQ(readFile(dir / "b.Qit").size(), 16 + 12 * b.size());
}
