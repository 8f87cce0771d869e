// A group's vertices come out once each and in ascending order, whether they
// lie close together (the usual case) or scattered over a large mesh.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/support.h"

using testsupport::call;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

TEST(SplitVertexOrder, DenseAndScatteredGroupsComeOutSortedAndOnce) {
  TempDir dir;
  ASSERT_TRUE(testsupport::makeDir(dir / "out"));
  const int vertices = 60000;
  std::string text;
  for (int i = 1; i <= vertices; ++i) text += "v " + std::to_string(i) + " 0 0\n";
  // dense: faces over 1..200 in a shuffled order, every vertex used thrice
  text += "g dense\n";
  for (int k = 0; k < 600; ++k) {
    int a = (k * 37) % 200 + 1;
    text += "f " + std::to_string(a) + " " + std::to_string((a % 200) + 1) + "\n";
  }
  // scattered: a handful of vertices across the whole mesh, out of order
  text += "g scattered\nf 59999 7 30000\nf 7 1 59999\n";
  writeFile(dir / "in.obj", text);
  ASSERT_EQ(call("SplitOBJ", (dir / "in.obj").c_str(), 0, dir / "out/x.obj"), 0.0f);

  std::string dense;
  for (int i = 1; i <= 200; ++i) dense += "v " + std::to_string(i) + " 0 0\n";
  EXPECT_EQ(readFile(dir / "out/dense.obj"), dense);
  EXPECT_EQ(readFile(dir / "out/scattered.obj"), "v 1 0 0\nv 7 0 0\nv 30000 0 0\nv 59999 0 0\n");
}
