// An OBJ scanned in pieces on two threads scans as one pass, whatever the piece size; so does a swap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "groups/group_scan.h"
#include "groups/groups.h"
#include "same_text.h"
#include "support/support.h"

using namespace testsupport;

namespace {

// Groups met again, vertex lines between faces, faces far or below 0, corners with "/", lines longer
// than a block and than a line place's length field, and no line feed at the end.
struct Mesh {
  std::string obj;
  std::vector<std::pair<uint64_t, uint64_t>> places;  // each vertex line's [start, end)
  std::vector<float> x;                               // each vertex's first field
  std::map<std::string, std::set<int32_t>> byGroup;
  std::vector<std::set<int32_t>> byEntry;
};

Mesh makeMesh(const std::vector<int32_t>& ends) {
  Mesh m;
  m.byEntry.resize(ends.size());
  std::mt19937 rnd(17);
  std::string group, first;  // faces before the first group line join the first group
  int32_t faces = 0;
  auto vertex = [&](const std::string& line) {
    m.places.emplace_back(m.obj.size(), m.obj.size() + line.size());
    m.x.push_back(std::strtof(line.c_str() + 2, nullptr));
    m.obj += line + "\n";
  };
  auto face = [&](const std::vector<int32_t>& corners) {
    size_t entry = 0;
    while (faces >= ends[entry]) ++entry;
    m.obj += "f";
    for (size_t c = 0; c < corners.size(); ++c) {
      m.obj += " " + std::to_string(corners[c]) + (c == 1 ? "/1" : "");
      m.byGroup[group].insert(corners[c]);
      m.byEntry[entry].insert(corners[c]);
    }
    ++faces;
  };
  while (m.obj.size() < 1700000) {
    if (rnd() % 50 == 0) {
      group = "g" + std::to_string(rnd() % 12);
      m.obj += "g " + group + "\n";
      if (first.empty()) first = group;
    }
    if (m.obj.size() > 200000 && m.obj.size() < 1000000) vertex("v 7 8 9" + std::string((1 << 20) - 9, ' ') + "\r");
    for (int k = int(rnd() % 6); k > 0; --k) vertex("v " + std::to_string(int(rnd() % 2000) - 1000) + ".5 1 -2.5");
    for (int k = int(rnd() % 20); k > 0; --k) {
      std::vector<int32_t> corners;
      for (int c = 0; c < 3; ++c)
        corners.push_back(rnd() % 100 == 0 ? int32_t(rnd() % 400000) - 1000 : int32_t(m.places.size()) - int32_t(rnd() % 40));
      face(corners);
      m.obj += "\n";
    }
  }
  face({1, 2, 3});  // no line feed at the end
  m.byGroup[first].insert(m.byGroup[""].begin(), m.byGroup[""].end());
  m.byGroup.erase("");
  return m;
}

std::vector<int32_t> within(const std::set<int32_t>& set, int32_t vertices) {
  std::vector<int32_t> out;
  for (int32_t n : set)
    if (n >= 0 && n <= vertices) out.push_back(n);
  return out;
}

}  // namespace

TEST(Pieces, AnyPieceSizeScansAsOnePass) {
  // One-face entries, then entries of 257 faces, the last taking the rest.
  std::vector<int32_t> ends = {300};
  for (int k = 0; k < 50; ++k) ends.push_back(ends.back() + 1);
  for (int k = 0; k < 40; ++k) ends.push_back(ends.back() + 257);
  ends.push_back(INT32_MAX);
  const Mesh m = makeMesh(ends);
  TempDir dir;
  const std::string path = dir / "m.obj";
  writeFile(path, m.obj);
  const int32_t vertices = int32_t(m.places.size());
  for (uint64_t piece : {tolvane::kDefaultPieceBytes, uint64_t(100000), uint64_t(4096), uint64_t(1)}) {
    for (bool keepText : {true, false}) {
      SCOPED_TRACE(testing::Message() << "piece " << piece << (keepText ? ", as text" : ", as floats"));
      tolvane::Scan s;
      s.keepText = keepText, s.pieceBytes = piece;
      ASSERT_TRUE(tolvane::scanByGroups(path.c_str(), s));
      ASSERT_EQ(s.vertexCount(), m.places.size());
      for (size_t i = 0; i < m.places.size(); ++i) {
        if (keepText) ASSERT_EQ(std::make_pair(s.lines.start(i), s.lines.end(i)), m.places[i]) << i;
        else ASSERT_EQ(s.positions[i].x, m.x[i]) << i;
      }
      ASSERT_EQ(s.groups.size(), m.byGroup.size());
      for (const auto& [name, set] : m.byGroup)
        EXPECT_EQ(s.sets.take(s.groups.at(name), 0, vertices), within(set, vertices)) << name;
      tolvane::Scan r;
      r.keepText = keepText, r.pieceBytes = piece;
      ASSERT_TRUE(tolvane::scanByRanges(path.c_str(), ends, r));
      for (size_t e = 0; e < ends.size(); ++e)
        EXPECT_EQ(r.sets.take(uint32_t(e), 0, vertices), within(m.byEntry[e], vertices)) << e;
    }
  }
  std::string want = "# written by Tolvane plugin for Modrix\n", rest;
  for (size_t at = 0; at < m.obj.size();) {
    const size_t end = std::min(m.obj.find('\n', at), m.obj.size());
    (m.obj.compare(at, 2, "v ") == 0 ? want : rest) += m.obj.substr(at, end - at) + "\n";
    at = end + 1;
  }
  writeFile(dir / "dest.obj", m.obj);
  ASSERT_TRUE(tolvane::swapVertices(path.c_str(), (dir / "dest.obj").c_str()));
  EXPECT_TRUE(sameText(readFile(dir / "dest.obj"), want + rest));
}
