// Splits read their OBJ a block at a time: lines that cross the blocks'
// edges, a line longer than a block and a last line without a line feed
// must come out exactly as a whole-file reading gives them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "groups/groups.h"
#include "support/support.h"

using namespace testsupport;

TEST(BigObj, LinesAcrossReadBlocksAreWholeInTheSplits) {
  TempDir dir;
  std::string obj = "g part\n", vertices;
  const int n = 40000;  // about 800 KB of vertex lines
  for (int i = 0; i < n; ++i) {
    std::string line = "v " + std::to_string(i) + ".5 -" + std::to_string(i % 977) + " 0.25";
    if (i == n / 2) line = "v 7 8 9" + std::string(600000, ' ') + "\r";  // longer than a read block
    obj += line + "\n";
    vertices += line + "\n";
  }
  for (int i = 1; i + 2 <= n; i += 3) obj += "f " + std::to_string(i) + " " + std::to_string(i + 1) + " " + std::to_string(i + 2) + "\n";
  obj += "f " + std::to_string(n) + " 1 2";  // no line feed at the end
  writeFile(dir / "big.obj", obj);

  ASSERT_EQ(LeanSplitOBJ((dir / "big.obj").c_str(), (dir / "out.obj").c_str()), 0.0f);
  EXPECT_TRUE(readFile(dir / "part.obj") == vertices);

  ASSERT_EQ(LeanSplitQiv((dir / "big.obj").c_str(), (dir / "out.Qit").c_str()), 0.0f);
  const std::string qit = readFile(dir / "part.Qit");
  ASSERT_EQ(qit.size(), 16 + 12 * size_t(n));
  float v[3];
  std::memcpy(v, qit.data() + 16 + 12 * (n / 2), sizeof v);
  EXPECT_EQ(v[0], 7.0f);
  EXPECT_EQ(v[2], 9.0f);
  std::memcpy(v, qit.data() + 16 + 12 * (n - 1), sizeof v);
  EXPECT_EQ(v[0], float(n - 1) + 0.5f);
}
