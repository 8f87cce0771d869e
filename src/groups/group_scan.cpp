#include "groups/group_scan.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/file_front.h"
#include "common/huge_pages.h"
#include "common/in_order.h"
#include "common/lines.h"
#include "groups/face_groups.h"

namespace tolvane {
namespace {

// What one piece of the file holds, kept until the pieces before it are
// taken in: its vertex lines (as places or as positions), its group lines,
// and its faces in runs. A run is up to kRunFaces face lines in a row; any
// other line ends it, so group lines fall between runs. Which group a face
// goes to is known only once the faces before the piece are counted: each
// run has a number set of its own, and where its lines are, so that a run
// that turns out to hold faces of two groups can be read again face by face.
struct Piece {
  struct Run {
    uint64_t from = 0, to = 0;  // its face lines' bytes in the file
    uint32_t faces = 0;
    uint32_t groupLines = 0;  // the piece's group lines before it
  };
  static constexpr uint32_t kRunFaces = 1024;

  LinePlaces lines;
  std::vector<vertexS> positions;
  bool tooFar = false;
  std::vector<std::string> groupNames;
  std::vector<Run> runs;
  std::vector<NumberSet> sets;  // one per run

  void clear() {
    lines.clear(), positions.clear(), groupNames.clear(), runs.clear(), sets.clear();
    tooFar = false;
  }
  void addVertex(std::string_view l, uint64_t at, bool keepText) {
    if (keepText) tooFar |= !lines.add(at, l.size());
    else positions.push_back(parseVertex(l));
  }
  void addFace(std::string_view l, uint64_t at) {
    if (runs.empty() || runs.back().to != at || runs.back().faces == kRunFaces)
      runs.push_back({at, at, 0, uint32_t(groupNames.size())}), sets.emplace_back();
    NumberSet& set = sets.back();
    forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
    runs.back().to = at + l.size() + 1;
    ++runs.back().faces;
  }
};

// The lines of [from, to) into `p`; false when they cannot be read (or,
// keeping text, a vertex line starts 16 TiB or more into the file).
bool readPiece(FileFront& file, uint64_t from, uint64_t to, bool keepText, Piece& p) {
  p.clear();
  if (keepText) p.lines.packed.reserve((to - from) / 16 + 1);
  else p.positions.reserve((to - from) / 16 + 1);
  return forEachLine(file, [&](std::string_view l, uint64_t at) {
    if (isVertexLine(l)) p.addVertex(l, at, keepText);
    else if (isGroupLine(l)) p.groupNames.emplace_back(afterTag(l));
    else if (isFaceLine(l)) p.addFace(l, at);
  }, from, to) && !p.tooFar;
}

// Takes piece `p` into the scan, as one pass over its lines would have met
// them: onGroup(name) for each group line, and each face's numbers into the
// set of the group onFace gives (see face_groups.h).
template <class OnGroup, class OnFace>
bool takeIn(Scan& s, Piece& p, OnGroup& onGroup, OnFace& onFace) {
  s.lines.append(p.lines);
  s.positions.insert(s.positions.end(), p.positions.begin(), p.positions.end());
  size_t named = 0;
  for (size_t r = 0; r < p.runs.size(); ++r) {
    const Piece::Run& run = p.runs[r];
    for (; named < run.groupLines; ++named) onGroup(p.groupNames[named]);
    const uint32_t g = onFace.span(run.faces);
    if (g != kMixedSpan) {
      s.sets.of(g).absorb(std::move(p.sets[r]));
      continue;
    }
    const bool read = forEachLine(s.file, [&](std::string_view l) {
      if (!isFaceLine(l)) return;  // only when the file changed since it was read
      NumberSet& set = s.sets.of(onFace());
      forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
    }, run.from, run.to);
    if (!read) return false;
  }
  for (; named < p.groupNames.size(); ++named) onGroup(p.groupNames[named]);
  return true;
}

// Scans the OBJ at objPath: its pieces are read on two threads and taken
// in one after another, in file order, so the result is that of one pass.
template <class OnGroup, class OnFace>
bool scanFile(const char* objPath, Scan& s, OnGroup onGroup, OnFace onFace) {
  if (!s.file.open(objPath)) return false;
  std::vector<uint64_t> cuts;
  if (!cutAtLines(s.file, std::max<uint64_t>(s.pieceBytes, 1), cuts)) return false;
  s.lines.clear(), s.positions.clear();
  // Room for a vertex every 16 bytes: address space, touched only as it fills.
  if (s.keepText) reserveLarge(s.lines.packed, s.file.size() / 16 + 1);
  else reserveLarge(s.positions, s.file.size() / 16 + 1);
  const size_t pieces = cuts.size() - 1;
  return runInOrder<Piece>(
             pieces, [&](size_t i, Piece& p) { return readPiece(s.file, cuts[i], cuts[i + 1], s.keepText, p); },
             [&](size_t, Piece& p) { return takeIn(s, p, onGroup, onFace); }) == pieces;
}

}  // namespace

bool scanByGroups(const char* objPath, Scan& s) {
  uint32_t current = 0;
  auto onGroup = [&](std::string_view name) {
    auto it = s.groups.find(name);
    if (it == s.groups.end()) it = s.groups.emplace(std::string(name), uint32_t(s.groups.size())).first;
    current = it->second;
  };
  return scanFile(objPath, s, onGroup, CurrentGroup{current});
}

bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s) {
  return scanFile(objPath, s, [](std::string_view) {}, RangeWalk(ends));
}

}  // namespace tolvane
