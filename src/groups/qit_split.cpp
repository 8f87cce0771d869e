// Splits of an OBJ mesh into Qit vertex files: by the OBJ's own group lines,
// or by the face ranges of the group list. Both share one writer.
#include <cstring>

#include "common/atomic_file.h"
#include "common/byte_reader.h"
#include "common/result_codes.h"
#include "groups/groups.h"
#include "groups/output_naming.h"
#include "mesh/qiv.h"

namespace tolvane {
namespace {

// Qit files: the vertex chunk header with its final length and count, then
// the positions of the group's vertices in ascending order. Vertex numbers
// 0 and below, and past the last vertex line, select nothing.
float writeAll(Scan& s, const char* outPath) {
  auto prepare = [&](uint32_t index, std::vector<int32_t>& numbers) {
    numbers = s.sets.take(index, 1, int32_t(std::min<size_t>(s.vertexCount(), INT32_MAX)));
    return kChunkHeaderSize + kVertexRecord * uint64_t(numbers.size()) > UINT32_MAX ? kCannotCreate : kOk;
  };
  auto fill = [&](const std::vector<int32_t>& n, AtomicFile& out) {
    unsigned char header[kChunkHeaderSize] = {};
    putLe32(header, kVertexTag);
    putLe32(header + 4, uint32_t(kChunkHeaderSize + kVertexRecord * n.size()));
    putLe32(header + 8, uint32_t(n.size()));
    out.write(header, sizeof header);
    for (int32_t k : n) {
      const vertexS& v = s.positions[size_t(k) - 1];
      unsigned char* p = reinterpret_cast<unsigned char*>(out.room(kVertexRecord));
      uint32_t bits[3];
      std::memcpy(bits, &v, sizeof bits);
      putLe32(p, bits[0]);
      putLe32(p + 4, bits[1]);
      putLe32(p + 8, bits[2]);
      out.advance(reinterpret_cast<char*>(p + kVertexRecord));
    }
    return kOk;
  };
  return writeGroupFiles(s, outputFolder(outPath), ".Qit", prepare, fill);
}

}  // namespace

float splitQit(const char* objPath, const char* outPath, uint64_t pieceBytes) {
  Scan s;
  s.keepText = false;
  s.pieceBytes = pieceBytes;
  if (!scanByGroups(objPath, s)) return kFailed;
  return writeAll(s, outPath);
}

float listSplitQit(const char* objPath, const char* outPath, uint64_t pieceBytes) {
  if (groupsList.empty()) return kListEmpty;
  Scan s;
  s.keepText = false;
  s.pieceBytes = pieceBytes;
  std::vector<int32_t> ends;
  ends.reserve(groupsList.size());
  for (const groupID& g : groupsList) {
    // An earlier entry of the same name keeps its position.
    s.groups.emplace(std::string(g.name, strnlen(g.name, sizeof g.name)), uint32_t(ends.size()));
    ends.push_back(g.endFace);
  }
  if (!scanByRanges(objPath, ends, s)) return kFailed;
  return writeAll(s, outPath);
}

}  // namespace tolvane
