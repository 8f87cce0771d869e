// OBJ vertex swap: one file's vertex lines into another, in file order.

#include <vector>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/in_order.h"
#include "common/lines.h"
#include "common/rewrite_lock.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

namespace tolvane {
namespace {

bool isOther(std::string_view l) { return !isVertexLine(l) && (l.empty() || l[0] != '#'); }

// What a piece of a file holds: its vertex lines, and the other lines a
// destination keeps.
struct Tally {
  size_t vertices = 0;
  size_t others = 0;
};

// The lines of [from, to) of `file` that `keep` selects, into `out`, and
// their tally.
template <class Keep>
bool keptLines(TextBuffer& out, FileFront& file, uint64_t from, uint64_t to, Keep keep, Tally& counted) {
  // Kept lines that stand together in a block go out as one piece.
  LineRun kept;
  // Counted here and stored once: the pieces' tallies lie side by side, and
  // the other thread is counting the next one.
  Tally tally;
  const bool read = forEachLine(file, [&](std::string_view l) {
    tally.vertices += isVertexLine(l);
    tally.others += isOther(l);
    if (keep(l)) kept.add(l, out);
    else kept.flush(out);
  }, from, to, [&] { kept.flush(out); });
  counted = tally;
  return read;
}

// Input bytes per piece of the rewritten file.
constexpr uint64_t kPieceBytes = uint64_t(512) << 10;

}  // namespace

bool swapVertices(const char* sourcePath, const char* destPath) {
  // Both files are read once, a piece at a time on two threads, into a new
  // unnamed file beside the destination. Only when the counts pass every
  // check does it take the destination's name; otherwise it is dropped and
  // the destination was never touched. A file that changed size while it
  // was read fails the swap.
  const RewriteLock lock(destPath);
  AtomicFile out;
  {
    FileFront source, dest;
    std::vector<uint64_t> sourceCuts, destCuts;
    if (!source.open(sourcePath) || !dest.open(destPath) || !cutAtLines(source, kPieceBytes, sourceCuts) ||
        !cutAtLines(dest, kPieceBytes, destCuts) || !out.create(destPath, AtomicFile::Mode::Rewrite))
      return false;
    out.put("# written by Tolvane plugin for Modrix\n");
    const size_t sourcePieces = sourceCuts.size() - 1, pieces = sourcePieces + destCuts.size() - 1;
    std::vector<Tally> tally(pieces);
    auto make = [&](size_t i, TextBuffer& t, Bytes&) {
      if (i < sourcePieces) return keptLines(t, source, sourceCuts[i], sourceCuts[i + 1], isVertexLine, tally[i]);
      const size_t d = i - sourcePieces;
      return keptLines(t, dest, destCuts[d], destCuts[d + 1], isOther, tally[i]);
    };
    if (writePiecesInOrder(out, pieces, make) != Pieces::Written) return false;
    Tally from, into;
    for (size_t i = 0; i < pieces; ++i) {
      Tally& sum = i < sourcePieces ? from : into;
      sum.vertices += tally[i].vertices, sum.others += tally[i].others;
    }
    if (from.vertices == 0 || into.vertices != from.vertices || into.others == 0) return false;
  }  // closed before the new file takes the name: Windows keeps an open file from being replaced
  return out.commit();
}

}  // namespace tolvane
