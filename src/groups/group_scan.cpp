#include "groups/group_scan.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/bytes.h"
#include "common/lines.h"
#include "groups/face_groups.h"

namespace tolvane {
namespace {

// Vertex lines as a scan keeps them, for one part of the file: where their
// text is in the file (each line is followed by its line feed there, so
// lines that follow each other can be copied as one block) or their
// positions.
struct VertexStore {
  LinePlaces::Half& lines;
  std::vector<vertexS>& positions;
  bool keepText;
  bool tooFar = false;

  // Room for a vertex every 16 bytes of `bytes` of file.
  void reserve(uint64_t bytes) {
    if (keepText) reserveLarge(lines.packed, bytes / 16 + 1);
    else reserveLarge(positions, bytes / 16 + 1);
  }
  void add(std::string_view l, uint64_t at) {
    if (keepText) tooFar |= !lines.add(at, l.size());
    else positions.push_back(parseVertex(l));
  }
};

// What a thread finds in a part of a large file that does not follow on
// from the file's first lines: its vertex lines (into `lines` or
// `positions`), group lines and faces as they come, to be given to the scan
// in file order once the parts before it are. Face numbers below 0 are
// dropped at once, as the sets drop them.
struct alignas(kCacheLine) Tail {  // filled beside the other thread's state
  Tail(LinePlaces::Half& lines, std::vector<vertexS>& positions, bool keepText, bool groupLines)
      : byGroupLines(groupLines), sets(groupLines ? 1 : 0), store{lines, positions, keepText} {}

  // Faces between two group lines go to one group when groups follow the
  // group lines: the numbers of each such stretch make a set of their own,
  // given to its group in the end.
  bool byGroupLines = false;
  std::vector<std::string> groupNames;  // its group lines, in order

  // Otherwise which group a face goes to is known only once the faces
  // before the part are counted: each window of up to 1024 face lines in a
  // row has a set of its own, and where its lines are, so that a window
  // that turns out to hold faces of two groups can be read again face by
  // face. Any other line ends a window (the next face line does not start
  // where the window's last one ended): groups that end where other lines
  // come between faces, as parts of an appended file do, end with a window.
  struct Window {
    uint64_t from = 0, to = 0;  // its face lines' bytes in the file
    uint32_t faces = 0;
  };
  static constexpr uint32_t kWindowFaces = 1024;
  std::vector<Window> windows;

  // A set per stretch (before the first group line, then after each) or
  // per window.
  std::vector<NumberSet> sets;

  // Room for the vertex lines `bytes` of file can hold: address space,
  // touched only as it fills.
  void reserve(uint64_t bytes) { store.reserve(bytes); }
  // The lines of [from, to) in `file`, which follow those read before;
  // false when they cannot be read.
  bool read(FileFront& file, uint64_t from, uint64_t to) {
    return forEachLine(file, [&](std::string_view l, uint64_t at) {
      if (isVertexLine(l)) {
        store.add(l, at);
      } else if (isGroupLine(l)) {
        if (byGroupLines) groupNames.emplace_back(afterTag(l)), sets.emplace_back();
      } else if (isFaceLine(l)) {
        if (!byGroupLines && (windows.empty() || windows.back().to != at || windows.back().faces == kWindowFaces))
          windows.push_back({at, at, 0}), sets.emplace_back();
        NumberSet& set = sets.back();
        forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
        if (!byGroupLines) windows.back().to = at + l.size() + 1, ++windows.back().faces;
      }
    }, from, to) && !store.tooFar;
  }

 private:
  VertexStore store;
};

// The pieces of a file in two halves, each read in order by a thread of
// its own. A thread done with its half takes the other half's last pieces
// one at a time, until none is left: however the two cores happen to run,
// they finish within a piece of each other.
class Halves {
 public:
  Halves(size_t pieces, size_t second) : mid(second), next_{0, second}, end_{second, pieces} {}
  const size_t mid;  // the second half's first piece

  // The next piece for thread t (0 or 1), and whether it is of its own half.
  bool next(int t, size_t& k, bool& own) {
    std::lock_guard<std::mutex> lock(m_);
    own = next_[t] < end_[t];
    if (own) k = next_[t]++;
    else if (next_[1 - t] < end_[1 - t]) k = --end_[1 - t];
    else return false;
    return true;
  }
  // No more pieces for either thread.
  void stop() {
    std::lock_guard<std::mutex> lock(m_);
    end_[0] = next_[0], end_[1] = next_[1];
  }
  // Where thread t's own pieces ended, once both are done.
  size_t end(int t) {
    std::lock_guard<std::mutex> lock(m_);
    return end_[t];
  }

 private:
  std::mutex m_;
  size_t next_[2], end_[2];
};

// A piece a thread takes from the other half, with its vertex lines.
struct Taken {
  LinePlaces::Half lines;
  std::vector<vertexS> positions;
  std::unique_ptr<Tail> tail;
};

// Files below this size are scanned by one thread; larger ones are cut
// into pieces of about a 32nd of them, 1 to 8 MiB.
constexpr uint64_t kSplitAt = uint64_t(8) << 20;
inline uint64_t pieceBytes(uint64_t size) {
  return std::clamp<uint64_t>(size / 32, uint64_t(1) << 20, uint64_t(8) << 20);
}

// Scans the OBJ at objPath in file order: vertex lines into `s`, onGroup(name)
// for group lines, onFace() for face lines, whose result is the set their
// numbers join. A large file is read in pieces on two threads: this one
// reads the first half and gives its lines to the callbacks as it goes, a
// second one reads the second half and keeps what it finds, and either
// takes the other's last pieces when done with its own. What was kept
// reaches the callbacks afterwards, in file order, so the result is that of
// one pass.
//
// byGroupLines: the group of a face changes only at group lines. Besides
// onFace(), onFace.span(n) gives the group of the next n faces when they all
// go to one, as if onFace() had been asked n times, and UINT32_MAX, having
// asked nothing, when they do not.
template <class OnFace, class OnGroup>
bool scanFile(const char* objPath, Scan& s, bool byGroupLines, OnGroup onGroup, OnFace&& onFace) {
  FileFront& file = s.file;
  if (!file.open(objPath)) return false;
  s.lines.clear();
  s.positions[0].clear();
  s.positions[1].clear();
  std::vector<uint64_t> cuts;
  if (!cutAtLines(file, file.size() < kSplitAt ? file.size() : pieceBytes(file.size()), cuts)) return false;
  const size_t pieces = cuts.size() - 1;

  VertexStore head{s.lines.half[0], s.positions[0], s.keepText};
  head.reserve(file.size() / 2);
  auto readFront = [&](uint64_t from, uint64_t to) {
    return forEachLine(file, [&](std::string_view l, uint64_t at) {
      if (isVertexLine(l)) {
        head.add(l, at);
      } else if (isGroupLine(l)) {
        onGroup(afterTag(l));
      } else if (isFaceLine(l)) {
        const uint32_t g = onFace();
        NumberSet& set = s.sets.of(g);
        forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
      }
    }, from, to) && !head.tooFar;
  };
  if (pieces <= 1) return readFront(0, file.size());

  Halves halves(pieces, size_t(double(pieces) * std::clamp(s.firstShare, 0.0, 1.0)));
  auto makeTail = [&](LinePlaces::Half& lines, std::vector<vertexS>& positions) {
    return std::make_unique<Tail>(lines, positions, s.keepText, byGroupLines);
  };
  std::unique_ptr<Tail> secondHalf = makeTail(s.lines.half[1], s.positions[1]);
  secondHalf->reserve(file.size() - cuts[halves.mid]);
  std::vector<Taken> taken(pieces);
  // Reads pieces on thread t until none is left; false at one that cannot
  // be read (the other thread then stops too).
  auto readPieces = [&](int t) {
    size_t k;
    bool own;
    while (halves.next(t, k, own)) {
      bool read;
      if (own) {
        read = t == 0 ? readFront(cuts[k], cuts[k + 1]) : secondHalf->read(file, cuts[k], cuts[k + 1]);
      } else {
        Taken& piece = taken[k];
        piece.tail = makeTail(piece.lines, piece.positions);
        piece.tail->reserve(cuts[k + 1] - cuts[k]);
        read = piece.tail->read(file, cuts[k], cuts[k + 1]);
      }
      if (!read) {
        halves.stop();
        return false;
      }
    }
    return true;
  };
  std::atomic<bool> secondRead{true};
  std::thread second;
  try {
    second = std::thread([&] {
      try {
        secondRead = readPieces(1);
      } catch (...) {  // out of memory: nothing may leave the thread by an exception
        secondRead = false;
        halves.stop();
      }
    });
  } catch (const std::system_error&) {
    // No second thread: this one reads every piece.
  }
  bool firstRead;
  try {
    firstRead = readPieces(0);
  } catch (...) {
    halves.stop();
    if (second.joinable()) second.join();
    throw;
  }
  if (second.joinable()) second.join();
  if (!firstRead || !secondRead) return false;

  // The parts kept apart, in file order, as one pass would have met them:
  // the pieces taken from the end of the first half, the second half, the
  // pieces taken from its end. Their vertex lines follow those of the half
  // they belong to.
  std::vector<Tail*> parts;
  const size_t firstEnd = halves.end(0), secondEnd = halves.end(1);
  auto addTaken = [&](size_t from, size_t to, int half) {
    size_t lines = s.lines.half[half].packed.size(), positions = s.positions[half].size();
    for (size_t k = from; k < to; ++k) lines += taken[k].lines.packed.size(), positions += taken[k].positions.size();
    reserveLarge(s.lines.half[half].packed, lines);
    reserveLarge(s.positions[half], positions);
    for (size_t k = from; k < to; ++k) {
      s.lines.half[half].append(taken[k].lines);
      s.positions[half].insert(s.positions[half].end(), taken[k].positions.begin(), taken[k].positions.end());
      taken[k].lines = LinePlaces::Half();
      taken[k].positions = std::vector<vertexS>();
      parts.push_back(taken[k].tail.get());
    }
  };
  addTaken(firstEnd, halves.mid, 0);
  parts.push_back(secondHalf.get());
  addTaken(secondEnd, pieces, 1);
  for (Tail* part : parts) {
    Tail& tail = *part;
    if (byGroupLines) {
      // onFace() only names the current group here: it may be asked once
      // per stretch.
      s.sets.of(onFace()).absorb(std::move(tail.sets[0]));
      for (size_t g = 0; g < tail.groupNames.size(); ++g) {
        onGroup(tail.groupNames[g]);
        s.sets.of(onFace()).absorb(std::move(tail.sets[g + 1]));
      }
      continue;
    }
    for (size_t w = 0; w < tail.windows.size(); ++w) {
      const Tail::Window& window = tail.windows[w];
      const uint32_t g = onFace.span(window.faces);
      if (g != UINT32_MAX) {
        s.sets.of(g).absorb(std::move(tail.sets[w]));
        continue;
      }
      // Faces of two groups or more: read again, face by face.
      const bool read = forEachLine(file, [&](std::string_view l) {
        if (!isFaceLine(l)) return;
        NumberSet& set = s.sets.of(onFace());
        forEachFaceNumber(afterTag(l), [&](int32_t n) { set.add(n); });
      }, window.from, window.to);
      if (!read) return false;
    }
  }
  return true;
}

}  // namespace

bool scanByGroups(const char* objPath, Scan& s) {
  uint32_t current = 0;
  auto onGroup = [&](std::string_view name) {
    auto it = s.groups.find(name);
    if (it == s.groups.end()) it = s.groups.emplace(std::string(name), uint32_t(s.groups.size())).first;
    current = it->second;
  };
  return scanFile(objPath, s, true, onGroup, CurrentGroup{current});
}

bool scanByRanges(const char* objPath, const std::vector<int32_t>& ends, Scan& s) {
  return scanFile(objPath, s, false, [](std::string_view) {}, RangeWalk(ends));
}

}  // namespace tolvane
