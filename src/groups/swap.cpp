// OBJ vertex swap: one file's vertex lines into another, in file order.
#include "common/bytes.h"
#include "common/lines.h"
#include "common/out_file.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

namespace tolvane {
namespace {

// Writes the lines of `text` that `keep` selects, each with one line feed.
// Lines that stand together in the file go out as one block.
template <class Keep>
void writeLines(OutFile& out, std::string_view text, Keep keep) {
  const char* start = nullptr;
  const char* end = nullptr;
  auto flush = [&] {
    if (!start) return;
    out.write(start, size_t(end - start));
    out.put('\n');
  };
  forEachLine(text, [&](std::string_view l) {
    if (!keep(l)) return;
    if (start && l.data() == end + 1) {
      end = l.data() + l.size();
      return;
    }
    flush();
    start = l.data();
    end = l.data() + l.size();
  });
  flush();
}

bool isOther(std::string_view l) { return !isVertexLine(l) && (l.empty() || l[0] != '#'); }

}  // namespace
}  // namespace tolvane

bool LeanSwapVerts(const char* sourcePath, const char* destPath) {
  using namespace tolvane;
  std::string source;
  if (!loadFile(sourcePath, source)) return false;
  size_t vertices = 0;
  forEachLine(source, [&](std::string_view l) { vertices += isVertexLine(l); });
  if (vertices == 0) return false;

  std::string dest;
  if (!loadFile(destPath, dest)) return false;
  size_t destVertices = 0, others = 0;
  forEachLine(dest, [&](std::string_view l) {
    destVertices += isVertexLine(l);
    others += isOther(l);
  });
  if (destVertices == 0 || destVertices != vertices || others == 0) return false;

  // Every check has passed: only now is the destination rewritten, through a
  // temporary file that takes its name when complete.
  OutFile out;
  if (!out.create(destPath, OutFile::Mode::Replace)) return false;
  out.put("# written by Tolvane plugin for Modrix\n");
  writeLines(out, source, isVertexLine);
  writeLines(out, dest, isOther);
  return out.commit();
}
