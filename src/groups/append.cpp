// Append of one OBJ mesh, as one group, to a combined OBJ file.
#include <algorithm>
#include <vector>

#include "common/appender.h"
#include "common/file_front.h"
#include "common/in_order.h"
#include "common/lines.h"
#include "common/numfmt.h"
#include "common/result_codes.h"
#include "files/path_name.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

namespace tolvane {
namespace {

// Source bytes per piece of text: a large part is made into text on two
// threads, a piece at a time, and written in order.
constexpr uint64_t kPieceBytes = uint64_t(64) << 10;

// What one piece of the source holds.
struct PieceCount {
  int64_t vertices = 0;
  int64_t faces = 0;
};

// The combined file's text for the source lines in [from, to).
bool appendPiece(FileFront& source, uint64_t from, uint64_t to, const std::string& name, int vertexOffset,
                 TextBuffer& out, PieceCount& counted) {
  // Vertex lines that stand together in a block go out as one piece.
  LineRun vertices;
  // Counted here and stored once: the pieces' counts lie side by side, and
  // the other thread is counting the next one.
  PieceCount count;
  const bool read = forEachLine(source, [&](std::string_view l) {
    if (isVertexLine(l)) {
      ++count.vertices;
      vertices.add(l, out);
      return;
    }
    vertices.flush(out);
    if (isGroupLine(l)) {
      out.put("g ");
      out.put(name);
      out.put('\n');
    } else if (isFaceLine(l)) {
      out.put("f ");
      // Face numbers move by the offset the caller gave, never by the
      // running vertex counter. They are gathered first and formatted in
      // one go: formatting each as it is read would store digits between
      // reads of the buffer's bookkeeping, which then is read back every
      // time.
      int32_t numbers[64];
      size_t n = 0;
      auto writeNumbers = [&] {
        char* p = out.room(n * 12 + kNumberRoom);
        for (size_t k = 0; k < n; ++k) {
          p = formatInt(p, int64_t(vertexOffset) + numbers[k]);
          *p++ = ' ';
        }
        out.advance(p);
        n = 0;
      };
      forEachFaceNumber(afterTag(l), [&](int32_t k) {
        numbers[n++] = k;
        if (n == 64) writeNumbers();
      });
      writeNumbers();
      out.put('\n');
      ++count.faces;
    }
  }, from, to, [&] { vertices.flush(out); });
  counted = count;
  return read;
}

}  // namespace

float appendGroup(const char* sourcePath, const char* destPath, int vertexOffset) {
  std::string name = FileNameExtract(sourcePath ? sourcePath : "", 2);
  // The source is read a block at a time: a part mesh is never held whole.
  FileFront source;
  if (!source.open(sourcePath)) return kFailed;
  std::vector<uint64_t> cuts;
  if (!cutAtLines(source, kPieceBytes, cuts)) return kFailed;
  Appender out;
  if (!out.open(destPath)) return kNotAppended;
  std::vector<PieceCount> counts(cuts.size() - 1);
  const Pieces written = writePiecesInOrder(out, counts.size(), [&](size_t i, TextBuffer& t, Bytes&) {
    return appendPiece(source, cuts[i], cuts[i + 1], name, vertexOffset, t, counts[i]);
  });
  // A failed read or write is cut back: the destination keeps what it had.
  if (written == Pieces::Unreadable) return kFailed;
  if (written == Pieces::Unwritten || !out.commit()) return kNotAppended;
  int64_t vertices = vertexOffset, faces = 0;
  for (const PieceCount& c : counts) vertices += c.vertices, faces += c.faces;
  addToGroupList(name.c_str(), int(std::min<int64_t>(faces, INT32_MAX)));
  return float(vertices);
}

}  // namespace tolvane
