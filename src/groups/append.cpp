// Append of one OBJ mesh, as one group, to a combined OBJ file.
#include <algorithm>

#include "common/bytes.h"
#include "common/lines.h"
#include "common/numfmt.h"
#include "common/out_file.h"
#include "common/result_codes.h"
#include "files/path_name.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

float LeanAddGroupOBJ(const char* sourcePath, const char* destPath, int vertexOffset) {
  using namespace tolvane;
  std::string name = FileNameExtract(sourcePath ? sourcePath : "", 2);
  // The source is read a block at a time: a part mesh is never held whole.
  FileFront source;
  if (!source.open(sourcePath)) return kFailed;
  OutFile out;
  if (!out.openAppend(destPath)) return kMissingArg;
  int64_t vertices = vertexOffset;
  int64_t faces = 0;
  // Vertex lines that stand together in a block go out as one piece.
  std::string_view run;
  auto flushRun = [&] {
    if (run.data()) out.put(run), out.put('\n');
    run = std::string_view();
  };
  const bool read = forEachLine(source, [&](std::string_view l) {
    if (isVertexLine(l)) {
      ++vertices;
      if (run.data() && l.data() == run.data() + run.size() + 1) {
        run = std::string_view(run.data(), run.size() + 1 + l.size());
      } else {
        flushRun();
        run = l;
      }
      return;
    }
    flushRun();
    if (isGroupLine(l)) {
      out.put("g ");
      out.put(name);
      out.put('\n');
    } else if (isFaceLine(l)) {
      out.put("f ");
      // Face numbers move by the offset the caller gave, never by the
      // running vertex counter.
      forEachFaceNumber(afterTag(l), [&](int32_t k) {
        char* p = out.room(kNumberRoom + 1);
        p = formatInt(p, int64_t(vertexOffset) + k);
        *p++ = ' ';
        out.advance(p);
      });
      out.put('\n');
      ++faces;
    }
  }, 0, UINT64_MAX, [&] { flushRun(); });
  // A failed read or write is cut back: the destination keeps what it had.
  if (!read) return kFailed;
  if (!out.commit()) return kMissingArg;
  addToGroupsList(name.c_str(), int(std::min<int64_t>(faces, INT32_MAX)));
  return float(vertices);
}
