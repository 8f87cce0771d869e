// OBJ vertex swap: one file's vertex lines into another, in file order.

#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "common/in_order.h"
#include "common/lines.h"
#include "common/out_file.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

namespace tolvane {
namespace {

bool isOther(std::string_view l) { return !isVertexLine(l) && (l.empty() || l[0] != '#'); }

// Lines of one file that `keep` selects, counted in a first reading and
// written in a second: neither file is ever held whole.
template <class Keep>
bool countLines(FileFront& file, Keep keep, size_t& n) {
  n = 0;
  return forEachLine(file, [&](std::string_view l) { n += keep(l); });
}
template <class Keep>
bool keptLines(TextBuffer& out, FileFront& file, uint64_t from, uint64_t to, Keep keep) {
  // Kept lines that stand together in a block go out as one piece.
  LineRun kept;
  return forEachLine(file, [&](std::string_view l) {
    if (keep(l)) kept.add(l, out);
    else kept.flush(out);
  }, from, to, [&] { kept.flush(out); });
}

// Input bytes per piece of the rewritten file.
constexpr uint64_t kPieceBytes = uint64_t(512) << 10;

}  // namespace
}  // namespace tolvane

bool LeanSwapVerts(const char* sourcePath, const char* destPath) {
  using namespace tolvane;
  {
    // The two files are counted side by side.
    FileFront source, dest;
    size_t vertices = 0, destVertices = 0, others = 0;
    if (!source.open(sourcePath)) return false;
    std::atomic<bool> sourceRead{false};
    std::thread second;
    auto countSource = [&] {
      try {
        sourceRead = countLines(source, isVertexLine, vertices);
      } catch (...) {
        // Out of memory (a line too long for it): the swap fails.
      }
    };
    try {
      second = std::thread(countSource);
    } catch (const std::system_error&) {
      countSource();
    }
    // One reading of the destination: its vertex lines are counted, and so
    // is the rest it keeps.
    const bool destRead =
        dest.open(destPath) &&
        forEachLine(dest, [&](std::string_view l) { isVertexLine(l) ? ++destVertices : others += isOther(l); });
    if (second.joinable()) second.join();
    if (!sourceRead || vertices == 0 || !destRead) return false;
    if (destVertices == 0 || destVertices != vertices || others == 0) return false;
  }
  // Every check has passed: only now is the destination rewritten, through a
  // temporary file that takes its name when complete. Both files are read
  // again, a piece at a time on two threads; one that changed size meanwhile
  // fails the swap and changes nothing.
  OutFile out;
  if (!out.create(destPath, OutFile::Mode::Replace)) return false;
  {
    FileFront source, dest;
    std::vector<uint64_t> sourceCuts, destCuts;
    if (!source.open(sourcePath) || !dest.open(destPath) || !cutAtLines(source, kPieceBytes, sourceCuts) ||
        !cutAtLines(dest, kPieceBytes, destCuts))
      return false;
    out.put("# written by Tolvane plugin for Modrix\n");
    const size_t sourcePieces = sourceCuts.size() - 1;
    auto make = [&](size_t i, TextBuffer& t, Bytes&) {
      if (i < sourcePieces) return keptLines(t, source, sourceCuts[i], sourceCuts[i + 1], isVertexLine);
      i -= sourcePieces;
      return keptLines(t, dest, destCuts[i], destCuts[i + 1], isOther);
    };
    if (writePiecesInOrder(out, sourcePieces + destCuts.size() - 1, make) != Pieces::Written) return false;
  }  // closed before the new file takes the name: Windows keeps an open file from being replaced
  return out.commit();
}
