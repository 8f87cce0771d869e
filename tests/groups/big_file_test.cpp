// Large OBJ files are read a block at a time, their second half on a second
// thread: lines across the blocks' edges, lines longer than a block, a last
// line without a line feed, and group lines and faces in the second half
// (the first of them still in the first half's group) come out as one pass
// over the whole file gives them, for the splits by group lines and by the
// group list alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "groups/group_scan.h"
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

  ASSERT_EQ(tolvane::splitObj((dir / "big.obj").c_str(), (dir / "out.obj").c_str()), 0.0f);
  ASSERT_EQ(tolvane::splitQit((dir / "big.obj").c_str(), (dir / "out.Qit").c_str()), 0.0f);
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
  // together in windows of 1024: in the second half, entries of 257 faces
  // end at 280 different places of a window, and a run of one-face entries
  // ends many times in one.
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
  tolvane::clearGroupList();
  for (int k = 0; k < entries; ++k) tolvane::addToGroupList(("list" + std::to_string(k)).c_str(), counts[size_t(k)]);
  ASSERT_TRUE(makeDir(dir / "list"));
  ASSERT_EQ(tolvane::listSplitQit((dir / "listed.obj").c_str(), (dir / "list/x.Qit").c_str()), 0.0f);
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
  tolvane::clearGroupList();

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
  ASSERT_TRUE(tolvane::swapVertices((dir / "big.obj").c_str(), (dir / "dest.obj").c_str()));
  EXPECT_TRUE(readFile(dir / "dest.obj") == want + rest);
}

TEST(BigObj, EveryWayOfSharingPiecesGivesTheScanOfOnePass) {
  // A large file is read in pieces on two threads, each starting with its
  // share; the one done first takes the other's last pieces. With the first
  // thread's share all of the file, none or half, pieces end up read by
  // either thread, kept apart or not: the scan is that of one pass whichever
  // way they went. Group lines come back to earlier groups, vertex lines
  // stand between faces throughout, some faces reach far.
  TempDir dir;
  std::mt19937 rnd(17);
  std::string obj;
  std::vector<std::string> vertexLines;
  std::vector<std::pair<uint64_t, uint64_t>> places;  // each vertex line's start and end
  std::map<std::string, std::set<int32_t>> byGroup;
  std::vector<std::set<int32_t>> byEntry(7);
  std::vector<int32_t> ends = {3000, 41000, 41001, 90000, 150000, 200000, INT32_MAX};
  int32_t faces = 0;
  std::string group, first;  // faces before the first group line join the first group
  while (obj.size() < (size_t(10) << 20)) {
    if (rnd() % 50 == 0) {
      group = "g" + std::to_string(rnd() % 12);
      obj += "g " + group + "\n";
      if (first.empty()) first = group;
    }
    for (int k = int(rnd() % 6); k > 0; --k) {
      std::string line = "v " + std::to_string(int(rnd() % 2000) - 1000) + "." + std::to_string(rnd() % 100) + " 1 -2.5";
      places.emplace_back(obj.size(), obj.size() + line.size());
      vertexLines.push_back(line);
      obj += line + "\n";
    }
    for (int k = int(rnd() % 20); k > 0; --k) {
      std::string face = "f";
      for (int c = 0; c < 3; ++c) {
        const int32_t near = int32_t(vertexLines.size()) - int32_t(rnd() % 40);
        const int32_t n = rnd() % 100 == 0 ? int32_t(rnd() % 400000) : near;
        face += " " + std::to_string(n) + (c == 1 ? "/1" : "");
        byGroup[group].insert(n);
        size_t entry = 0;
        while (faces >= ends[entry]) ++entry;
        byEntry[entry].insert(n);
      }
      obj += face + "\n";
      ++faces;
    }
  }
  writeFile(dir / "big.obj", obj);
  byGroup[first].insert(byGroup[""].begin(), byGroup[""].end());
  byGroup.erase("");
  auto expected = [](const std::set<int32_t>& set, int32_t vertices) {
    std::vector<int32_t> out;
    for (int32_t n : set)
      if (n >= 0 && n <= vertices) out.push_back(n);
    return out;
  };
  const int32_t vertices = int32_t(vertexLines.size());
  for (uint64_t piece : {tolvane::kDefaultPieceBytes, uint64_t(4096), uint64_t(1) << 20}) {
    for (bool keepText : {true, false}) {
      SCOPED_TRACE(testing::Message() << "piece " << piece << (keepText ? ", as text" : ", as floats"));
      tolvane::Scan s;
      s.keepText = keepText;
      s.pieceBytes = piece;
      ASSERT_TRUE(tolvane::scanByGroups((dir / "big.obj").c_str(), s));
      ASSERT_EQ(s.vertexCount(), vertexLines.size());
      for (size_t i = 0; i < vertexLines.size(); ++i) {
        if (keepText) {
          ASSERT_EQ(s.lines.start(i), places[i].first) << i;
          ASSERT_EQ(s.lines.end(i), places[i].second) << i;
        } else {
          const std::string padded = vertexLines[i] + std::string(16, '\n');  // as lines are read
          ASSERT_EQ(s.positions[i].x, tolvane::parseVertex(std::string_view(padded).substr(0, vertexLines[i].size())).x) << i;
        }
      }
      ASSERT_EQ(s.groups.size(), byGroup.size());
      for (const auto& [name, set] : byGroup)
        EXPECT_EQ(s.sets.take(s.groups.at(name), 0, vertices), expected(set, vertices)) << name;

      tolvane::Scan r;
      r.keepText = keepText;
      r.pieceBytes = piece;
      for (size_t e = 0; e < ends.size(); ++e) r.groups.emplace("e" + std::to_string(e), uint32_t(e));
      ASSERT_TRUE(tolvane::scanByRanges((dir / "big.obj").c_str(), ends, r));
      for (size_t e = 0; e < ends.size(); ++e) EXPECT_EQ(r.sets.take(uint32_t(e), 0, vertices), expected(byEntry[e], vertices)) << e;
    }
  }
}
