// The OBJ reading pass shared by the splits: where the vertex lines are (or
// their positions), the groups, and each group's vertex numbers. Internal to
// the group tools.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_front.h"
#include "common/lines.h"
#include "groups/groups.h"
#include "groups/number_set.h"
#include "groups/obj_text.h"
#include "groups/vertex_fields.h"

namespace tolvane {

// Group map: name to group index, byte-wise name order.
using GroupMap = std::map<std::string, uint32_t, std::less<>>;

// Where each vertex line is in the file, in file order: a line's start
// (below 2^44) and byte count (its line feed not counted) in one word;
// counts of kLong (a MiB) and above are kept aside, in line order.
struct LinePlaces {
  static constexpr int kSizeBits = 20;
  static constexpr uint64_t kLong = (uint64_t(1) << kSizeBits) - 1;
  std::vector<uint64_t> packed;
  std::vector<std::pair<size_t, uint64_t>> longLines;  // (line, byte count)

  // False for a line that starts 16 TiB or more into the file.
  bool add(uint64_t at, uint64_t size) {
    if (at >> (64 - kSizeBits)) return false;
    if (size >= kLong) longLines.emplace_back(packed.size(), size);
    packed.push_back(at << kSizeBits | std::min(size, kLong));
    return true;
  }
  // Adds the lines of `other`, which follow these in the file.
  void append(const LinePlaces& other) {
    for (const auto& [line, size] : other.longLines) longLines.emplace_back(packed.size() + line, size);
    packed.insert(packed.end(), other.packed.begin(), other.packed.end());
  }
  void clear() { packed.clear(), longLines.clear(); }
  size_t count() const { return packed.size(); }
  // Line i (from 0): [start, end) in the file.
  uint64_t start(size_t i) const { return packed[i] >> kSizeBits; }
  uint64_t end(size_t i) const { return start(i) + size(i); }

 private:
  uint64_t size(size_t i) const {
    const uint64_t n = packed[i] & kLong;
    if (n < kLong) return n;
    return std::lower_bound(longLines.begin(), longLines.end(), std::make_pair(i, uint64_t(0)))->second;
  }
};

// One scanned OBJ file.
struct Scan {
  FileFront file;        // the OBJ, left open: the OBJ split copies vertex lines from it
  bool keepText = true;  // vertex lines as places in the file (OBJ split) or as floats (Qit)
  uint64_t pieceBytes = kDefaultPieceBytes;  // pieces are read on two threads, taken in on one
  LinePlaces lines;      // vertex n's line is line n - 1
  std::vector<vertexS> positions;  // vertex n's position at [n - 1]
  GroupMap groups;
  VertexSets sets;
  size_t vertexCount() const { return keepText ? lines.count() : positions.size(); }
};

// Reads objPath and scans it by its own group lines. False when it cannot be
// read (or, keeping text, has a vertex line that starts 16 TiB or more into
// it).
bool scanByGroups(const char* objPath, Scan& s);
// Reads objPath and gives faces to entries by the face ranges' end numbers
// (`ends`, one per entry); group lines are ignored. `s.groups` must already
// map the names to entry positions.
bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s);

}  // namespace tolvane
