// Split of an OBJ mesh into vertex-only OBJ files, one per group.
#include <vector>

#include "common/atomic_file.h"
#include "common/result_codes.h"
#include "groups/groups.h"
#include "groups/output_naming.h"

namespace tolvane {

float splitObj(const char* objPath, const char* outPath, uint64_t pieceBytes) {
  Scan s;
  s.keepText = true;
  s.pieceBytes = pieceBytes;
  if (!scanByGroups(objPath, s)) return kFailed;
  auto prepare = [&](uint32_t index, std::vector<int32_t>& numbers) {
    // Number 0 selects the "#start of vector" line; past the last vertex
    // line there is nothing to select.
    numbers = s.sets.take(index, 0, int32_t(std::min<size_t>(s.vertexCount(), INT32_MAX)));
    return numbers.empty() ? kNoVertices : kOk;
  };
  auto fill = [&](const std::vector<int32_t>& n, AtomicFile& out) {
    size_t k = 0;
    if (n[0] == 0) out.put("#start of vector\n"), k = 1;
    // Vertex lines that stand together in the file are copied as one block,
    // straight from the file (it has not changed size since the scan, or
    // the read fails).
    while (k < n.size()) {
      size_t v = size_t(n[k]) - 1;
      const uint64_t from = s.lines.start(v);
      uint64_t to = s.lines.end(v);
      for (++k; k < n.size(); ++k) {
        v = size_t(n[k]) - 1;
        if (s.lines.start(v) != to + 1) break;
        to = s.lines.end(v);
      }
      if (!out.copyFrom(s.file, from, to - from)) return out.ok() ? kFailed : kCannotCreate;
      out.put('\n');
    }
    return kOk;
  };
  return writeGroupFiles(s, outputFolder(outPath), ".obj", prepare, fill);
}

}  // namespace tolvane
