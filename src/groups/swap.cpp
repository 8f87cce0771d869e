// OBJ vertex swap: one file's vertex lines into another, in file order.
#include <vector>

#include "common/bytes.h"
#include "common/lines.h"
#include "common/out_file.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

namespace tolvane {
namespace {

// Runs of selected lines that stand together in the file, each run from
// the start of its first line to the end of its last (line feeds between
// them included).
struct Runs {
  std::vector<std::string_view> runs;
  size_t lines = 0;
};

template <class Keep>
Runs selectLines(std::string_view text, Keep keep) {
  Runs r;
  forEachLine(text, [&](std::string_view l) {
    if (!keep(l)) return;
    ++r.lines;
    if (!r.runs.empty()) {
      std::string_view& last = r.runs.back();
      if (l.data() == last.data() + last.size() + 1) {
        last = std::string_view(last.data(), last.size() + 1 + l.size());
        return;
      }
    }
    r.runs.push_back(l);
  });
  return r;
}

void writeRuns(OutFile& out, const Runs& r) {
  for (std::string_view run : r.runs) {
    out.put(run);
    out.put('\n');
  }
}

bool isOther(std::string_view l) { return !isVertexLine(l) && (l.empty() || l[0] != '#'); }

}  // namespace
}  // namespace tolvane

bool LeanSwapVerts(const char* sourcePath, const char* destPath) {
  using namespace tolvane;
  std::string source;
  if (!loadFile(sourcePath, source)) return false;
  Runs vertices = selectLines(source, isVertexLine);
  if (vertices.lines == 0) return false;

  std::string dest;
  if (!loadFile(destPath, dest)) return false;
  // One pass over the destination: its vertex lines are counted, the rest
  // kept.
  size_t destVertices = 0;
  Runs others = selectLines(dest, [&](std::string_view l) {
    if (isVertexLine(l)) {
      ++destVertices;
      return false;
    }
    return isOther(l);
  });
  if (destVertices == 0 || destVertices != vertices.lines) return false;
  if (others.lines == 0) return false;

  // Every check has passed: only now is the destination rewritten, through a
  // temporary file that takes its name when complete.
  OutFile out;
  if (!out.create(destPath, OutFile::Mode::Replace)) return false;
  out.put("# written by Tolvane plugin for Modrix\n");
  writeRuns(out, vertices);
  writeRuns(out, others);
  return out.commit();
}
