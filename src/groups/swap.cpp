// OBJ vertex swap: one file's vertex lines into another, in file order.
#include "common/bytes.h"
#include "common/lines.h"
#include "common/out_file.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

bool LeanSwapVerts(const char* sourcePath, const char* destPath) {
  using namespace tolvane;
  std::string source;
  if (!loadFile(sourcePath, source)) return false;
  std::vector<std::string_view> vertices;
  forEachLine(source, [&](std::string_view l) {
    if (isVertexLine(l)) vertices.push_back(l);
  });
  if (vertices.empty()) return false;

  std::string dest;
  if (!loadFile(destPath, dest)) return false;
  size_t destVertices = 0;
  std::vector<std::string_view> others;
  forEachLine(dest, [&](std::string_view l) {
    if (isVertexLine(l)) ++destVertices;
    else if (l.empty() || l[0] != '#') others.push_back(l);
  });
  if (destVertices == 0 || destVertices != vertices.size() || others.empty()) return false;

  // Every check has passed: only now is the destination rewritten, through a
  // temporary file that takes its name when complete.
  OutFile out;
  if (!out.create(destPath, OutFile::Mode::Replace)) return false;
  out.put("# written by Tolvane plugin for Modrix\n");
  for (std::string_view l : vertices) {
    out.put(l);
    out.put('\n');
  }
  for (std::string_view l : others) {
    out.put(l);
    out.put('\n');
  }
  return out.commit();
}
