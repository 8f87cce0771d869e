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
    for (int32_t n : numbers) {
      out.put(s.lines[size_t(n)]);
      out.put('\n');
    }
    if (!out.commit()) return kCannotCreate;
  }
  return kOk;
}
