// Split of an OBJ mesh into vertex-only OBJ files, one per group.
#include "common/out_file.h"
#include "common/result_codes.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

float LeanSplitOBJ(const char* objPath, const char* outPath) {
  using namespace tolvane;
  Scan s;
  s.keepText = true;
  if (!scanByGroups(objPath, s)) return kFailed;
  std::string folder = outputFolder(outPath);
  for (const auto& [name, index] : s.groups) {
    // Number 0 selects the "#start of vector" line; past the last vertex
    // line there is nothing to select.
    std::vector<int32_t> numbers = s.sets.take(index, 0, int32_t(std::min<size_t>(s.vertexCount(), INT32_MAX)));
    if (numbers.empty()) return kMissingArg;
    OutFile out;
    if (!out.create(freeOutputName(folder, name, ".obj").c_str(), OutFile::Mode::NoReplace)) return kCannotCreate;
    // Vertex lines that stand together in the file go out as one block.
    const char* start = nullptr;
    const char* end = nullptr;
    for (int32_t n : numbers) {
      std::string_view l = s.lines[size_t(n)];
      if (start && l.data() == end + 1) {
        end = l.data() + l.size();
        continue;
      }
      if (start) out.write(start, size_t(end - start)), out.put('\n');
      start = l.data();
      end = l.data() + l.size();
    }
    out.write(start, size_t(end - start));
    out.put('\n');
    if (!out.commit()) return kCannotCreate;
  }
  return kOk;
}
