// Large OBJ files are read a block at a time, their second half on a second
// thread: lines across the blocks' edges, lines longer than a block, a last
// line without a line feed, and group lines and faces in the second half
// (the first of them still in the first half's group) come out as one pass
// over the whole file gives them, for the splits by group lines and by the
// group list alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
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
    // Longer than a read block, and than what a line's place holds of its
    // length: one in each half.
    if (i == 10 || i == n - 10) lines[i] = "v 7 8 9" + std::string(1100000, ' ') + "\r";
    obj += lines[i] + "\n";
  }
  std::set<int> a, b;
  std::vector<std::vector<int>> faces;  // in file order, for the listed split
  auto face = [&](std::set<int>& group, int x, int y, int z) {
    obj += "f " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + "\n";
    group.insert({x, y, z});
    faces.push_back({x, y, z});
  };
  for (int k = 1; k + 2 <= n / 2; k += 3) face(a, k, k + 1, k + 2);  // still in "a", read by the second thread
  obj += "g b\n";
  for (int k = n / 2; k + 2 <= n; k += 5) face(b, k, k + 1, k + 2);
  obj += "g a\n";
  face(a, n - 1, n, n - 10);
  obj += "f " + std::to_string(n) + " 1 2";  // no line feed at the end
  a.insert({n, 1, 2});
  faces.push_back({n, 1, 2});
  writeFile(dir / "big.obj", obj);

  ASSERT_EQ(LeanSplitOBJ((dir / "big.obj").c_str(), (dir / "out.obj").c_str()), 0.0f);
  ASSERT_EQ(LeanSplitQiv((dir / "big.obj").c_str(), (dir / "out.Qit").c_str()), 0.0f);
  for (auto [name, set] : {std::make_pair("a", &a), std::make_pair("b", &b)}) {
    std::string text;
    std::vector<float> xyz;
    for (int v : *set) {
      text += lines[v] + "\n";
      if (v == 10 || v == n - 10) xyz.insert(xyz.end(), {7, 8, 9});
      else xyz.insert(xyz.end(), {float(v) + 0.5f, -float(v % 977), 0.25f});
    }
    EXPECT_TRUE(readFile(dir / (std::string(name) + ".obj")) == text) << name;
    EXPECT_TRUE(readFile(dir / (std::string(name) + ".Qit")) == qit(xyz)) << name;
  }

  // The listed split follows face counts, which the second thread cannot
  // number until the first half is done. Here the faces stand on both sides
  // of the vertex lines, so both halves have some; the entries end in
  // either half, one across the middle. The second thread keeps faces
  // together in windows of 256: in the second half, entries of 257 faces
  // end once at each place of a window, and a run of one-face entries ends
  // many times in one.
  const int before = int(faces.size()) / 5;
  std::string listed, vertexText;
  for (int i = 1; i <= n; ++i) vertexText += lines[i] + "\n";
  for (int f = 0; f <= int(faces.size()); ++f) {
    if (f == before) listed += vertexText;
    if (f == int(faces.size())) break;
    const std::vector<int>& c = faces[size_t(f)];
    listed += "f " + std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) + "\n";
  }
  writeFile(dir / "listed.obj", listed);
  std::vector<int> counts = {1000, before - 1000 + 500, 7};
  counts.insert(counts.end(), 280, 257);
  counts.insert(counts.end(), 50, 1);
  counts.push_back(20000);
  ASSERT_LT(std::accumulate(counts.begin(), counts.end() - 1, 0), int(faces.size()));
  const int entries = int(counts.size());
  clearGroupsList();
  for (int k = 0; k < entries; ++k) addToGroupsList(("list" + std::to_string(k)).c_str(), counts[size_t(k)]);
  ASSERT_TRUE(makeDir(dir / "list"));
  ASSERT_EQ(ListSplitQiv((dir / "listed.obj").c_str(), (dir / "list/x.Qit").c_str()), 0.0f);
  for (int k = 0, first = 0; k < entries; first += counts[size_t(k++)]) {
    std::set<int> used;
    const int end = k == entries - 1 ? int(faces.size()) : first + counts[size_t(k)];  // the last takes what is left
    for (int f = first; f < end; ++f) used.insert(faces[size_t(f)].begin(), faces[size_t(f)].end());
    std::vector<float> xyz;
    for (int v : used) {
      if (v == 10 || v == n - 10) xyz.insert(xyz.end(), {7, 8, 9});
      else xyz.insert(xyz.end(), {float(v) + 0.5f, -float(v % 977), 0.25f});
    }
    EXPECT_TRUE(readFile(dir / ("list/list" + std::to_string(k) + ".Qit")) == qit(xyz)) << k;
  }
  clearGroupsList();

  // The swap reads both files in pieces on two threads: the source's vertex
  // lines, then the rest of the destination, in file order.
  std::string want = "# written by Tolvane plugin for Modrix\n", rest;
  for (size_t at = 0; at < obj.size();) {
    size_t end = std::min(obj.find('\n', at), obj.size());
    std::string line = obj.substr(at, end - at) + "\n";
    (line.rfind("v ", 0) == 0 ? want : rest) += line;
    at = end + 1;
  }
  writeFile(dir / "dest.obj", obj);
  ASSERT_TRUE(LeanSwapVerts((dir / "big.obj").c_str(), (dir / "dest.obj").c_str()));
  EXPECT_TRUE(readFile(dir / "dest.obj") == want + rest);
}
