// Split of an OBJ mesh into vertex-only OBJ files, one per group.
#include <vector>

#include "common/out_file.h"
#include "common/result_codes.h"
#include "groups/group_scan.h"
#include "groups/groups.h"

namespace tolvane {
namespace {

// Copies bytes [from, to) of the scanned file to `out`, through `chunk`.
bool copyText(Scan& s, uint64_t from, uint64_t to, std::vector<char>& chunk, OutFile& out) {
  while (from < to) {
    const size_t n = size_t(std::min<uint64_t>(chunk.size(), to - from));
    if (!s.file.readAt(from, chunk.data(), n)) return false;
    out.write(chunk.data(), n);
    from += n;
  }
  return true;
}

}  // namespace
}  // namespace tolvane

float LeanSplitOBJ(const char* objPath, const char* outPath) {
  using namespace tolvane;
  Scan s;
  s.keepText = true;
  if (!scanByGroups(objPath, s)) return kFailed;
  std::string folder = outputFolder(outPath);
  std::vector<char> chunk(size_t(256) << 10);
  for (const auto& [name, index] : s.groups) {
    // Number 0 selects the "#start of vector" line; past the last vertex
    // line there is nothing to select.
    std::vector<int32_t> numbers = s.sets.take(index, 0, int32_t(std::min<size_t>(s.vertexCount(), INT32_MAX)));
    if (numbers.empty()) return kMissingArg;
    OutFile out;
    if (!out.create(freeOutputName(folder, name, ".obj").c_str(), OutFile::Mode::NoReplace)) return kCannotCreate;
    size_t k = 0;
    if (numbers[0] == 0) out.put("#start of vector\n"), k = 1;
    // Vertex lines that stand together in the file are copied as one block,
    // straight from the file (it has not changed size since the scan, or
    // the read fails).
    while (k < numbers.size()) {
      size_t v = size_t(numbers[k]) - 1;
      const uint64_t from = s.lineAt[v];
      uint64_t to = from + s.lineSize[v];
      for (++k; k < numbers.size(); ++k) {
        v = size_t(numbers[k]) - 1;
        if (s.lineAt[v] != to + 1) break;
        to = s.lineAt[v] + s.lineSize[v];
      }
      if (!copyText(s, from, to, chunk, out)) return kFailed;
      out.put('\n');
    }
    if (!out.commit()) return kCannotCreate;
  }
  return kOk;
}
