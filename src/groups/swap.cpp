// OBJ vertex swap: one file's vertex lines into another, in file order.

#include "common/bytes.h"
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
bool writeLines(OutFile& out, FileFront& file, Keep keep) {
  return forEachLine(file, [&](std::string_view l) {
    if (!keep(l)) return;
    out.put(l);
    out.put('\n');
  });
}

}  // namespace
}  // namespace tolvane

bool LeanSwapVerts(const char* sourcePath, const char* destPath) {
  using namespace tolvane;
  {
    FileFront source, dest;
    size_t vertices = 0, destVertices = 0, others = 0;
    if (!source.open(sourcePath) || !countLines(source, isVertexLine, vertices) || vertices == 0) return false;
    if (!dest.open(destPath)) return false;
    // One reading of the destination: its vertex lines are counted, and so
    // is the rest it keeps.
    if (!forEachLine(dest, [&](std::string_view l) { isVertexLine(l) ? ++destVertices : others += isOther(l); }))
      return false;
    if (destVertices == 0 || destVertices != vertices || others == 0) return false;
  }
  // Every check has passed: only now is the destination rewritten, through a
  // temporary file that takes its name when complete. Both files are read
  // again; one that changed size meanwhile fails the swap and changes nothing.
  OutFile out;
  if (!out.create(destPath, OutFile::Mode::Replace)) return false;
  {
    FileFront source, dest;
    out.put("# written by Tolvane plugin for Modrix\n");
    if (!source.open(sourcePath) || !dest.open(destPath) || !writeLines(out, source, isVertexLine) ||
        !writeLines(out, dest, isOther))
      return false;
  }  // closed before the new file takes the name: Windows keeps an open file from being replaced
  return out.commit();
}
