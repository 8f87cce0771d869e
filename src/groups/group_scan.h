// The OBJ reading pass shared by the splits, and the pieces the append and
// the swap share with it: line classes, the face index list, float fields,
// free output names. Internal to the group tools.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Line classes, tested in this order: "v " vertex, "g..." group, "f..." face.
inline bool isVertexLine(std::string_view l) { return l.size() >= 2 && l[0] == 'v' && l[1] == ' '; }
inline bool isGroupLine(std::string_view l) { return !l.empty() && l[0] == 'g'; }
inline bool isFaceLine(std::string_view l) { return !l.empty() && l[0] == 'f'; }
// Text from the third character on ("" for "g" or "f" alone).
inline std::string_view afterTag(std::string_view l) { return l.size() > 2 ? l.substr(2) : std::string_view(); }

// Stream white space: what a stream's >> skips before a number.
inline bool isStreamSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads integers from `part` as a stream's >> int would, calling emit(n) for
// each. False at the first thing that is not an int (out of range included).
template <class F>
bool readInts(std::string_view part, F& emit) {
  size_t i = 0, n = part.size();
  for (;;) {
    while (i < n && isStreamSpace(part[i])) ++i;
    if (i == n) return true;
    bool negative = part[i] == '-';
    if (part[i] == '-' || part[i] == '+') ++i;
    if (i == n || part[i] < '0' || part[i] > '9') return false;
    int64_t v = 0;
    while (i < n && part[i] >= '0' && part[i] <= '9') {
      v = v * 10 + (part[i++] - '0');
      if (v > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) return false;
    emit(int32_t(v));
  }
}

// Calls emit(n) for each integer of a face line's text (after "f "), vertex
// numbers only: with any "/" each space-separated corner keeps only its part
// before the first "/". Reading stops at the first thing that is not an
// integer, as a stream's >> int would.
template <class F>
void forEachFaceNumber(std::string_view text, F&& emit) {
  if (text.find('/') == std::string_view::npos) {
    readInts(text, emit);
    return;
  }
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find(' ', i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view corner = text.substr(i, end - i);
    if (!readInts(corner.substr(0, corner.find('/')), emit)) return;
    i = end + 1;
  }
}

// The three floats after "v" of a vertex line. Fields are separated by white
// space; a field that is missing or does not start with a number gives 0, and
// so do the fields after it.
struct vertexS {
  float x, y, z;
};
vertexS parseVertex(std::string_view line);

// Vertex index sets: per group the OBJ vertex numbers its faces use.
// Numbers below 0 are dropped at once; the rest are kept and checked against
// the vertex count when a set is read.
struct VertexSets {
  std::vector<std::vector<int32_t>> sets;
  std::vector<int32_t> lastGroup;  // per vertex number seen so far: group + 1 that took it last

  void add(uint32_t group, int32_t number) {
    if (number < 0) return;
    if (group >= sets.size()) sets.resize(size_t(group) + 1);
    // Faces of one group mostly share vertices: a vertex that this group
    // took last time is not stored again.
    size_t n = size_t(number);
    if (n < lastGroup.size()) {
      if (lastGroup[n] == int32_t(group) + 1) return;
      lastGroup[n] = int32_t(group) + 1;
    } else if (n < lastGroup.size() + (size_t(1) << 16)) {
      lastGroup.resize(n + 1 + (lastGroup.size() >> 1), 0);
      lastGroup[n] = int32_t(group) + 1;
    }
    sets[group].push_back(number);
  }
  // Sorted, distinct numbers of `group` in [lo, hi].
  std::vector<int32_t> take(uint32_t group, int32_t lo, int32_t hi);
};

// Group map: name to group index, byte-wise name order.
using GroupMap = std::map<std::string, uint32_t, std::less<>>;

// One scanned OBJ file.
struct Scan {
  std::string text, tailText;           // the vertex lines' text (of each half of a large file), each with
                                        // its line feed; `lines` point into it
  bool keepText = true;                 // vertex lines as text (OBJ split) or as floats (Qit)
  std::vector<std::string_view> lines;  // [0] = "#start of vector", then vertex lines
  std::vector<vertexS> positions;       // vertex n at [n - 1]
  GroupMap groups;
  VertexSets sets;
  size_t vertexCount() const { return keepText ? lines.size() - 1 : positions.size(); }
};

// Reads objPath and scans it by its own group lines. False when it cannot be
// read.
bool scanByGroups(const char* objPath, Scan& s);
// Reads objPath and gives faces to entries by the face ranges' end numbers
// (`ends`, one per entry); group lines are ignored. `s.groups` must already
// map the names to entry positions.
bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s);

// First free name of folder + name + ext, folder + name + "_copy" + n + ext.
std::string freeOutputName(const std::string& folder, const std::string& name, const char* ext);

// Folder part of the split's output path.
std::string outputFolder(const char* outPath);

}  // namespace tolvane
