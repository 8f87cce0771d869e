// Group list files: their 136-byte entries, and whether an OBJ has the
// faces the entries' ranges cover.
#include <cstring>

#include "common/file_front.h"
#include "common/lines.h"
#include "common/result_codes.h"
#include "groups/group_scan.h"
#include "groups/groups.h"
#include "inspect/inspect.h"

namespace tolvane::inspect {
namespace {

constexpr uint64_t kRecord = sizeof(groupID);
constexpr size_t kMaxRows = 1000;
constexpr uint64_t kNameBytes = sizeof(groupID::name);

// Faces of the OBJ as the listed split counts them; -1 when unreadable.
int64_t objFaces(const std::string& path) {
  FileFront front;
  int64_t faces = 0;
  if (!front.open(path.c_str()) || !forEachLine(front, [&](std::string_view l) { faces += isFaceLine(l); }))
    return -1;
  return faces;
}

void compare(Report& r, int64_t listFaces, const std::string& objPath) {
  const int64_t faces = objFaces(objPath);
  r.fact("compared with", objPath);
  if (faces < 0) return r.warnings.push_back(objPath + " cannot be read");
  r.fact("OBJ faces", (long long)faces);
  const bool match = faces == listFaces;
  r.fact("OBJ matches", match);
  if (!match)
    r.warnings.push_back("the entries cover " + std::to_string(listFaces) + " faces but " + objPath + " has " +
                         std::to_string(faces) + ": the listed split gives faces to the wrong groups");
}

}  // namespace

void inspectGroupList(Report& r, const Settings& s) {
  FileFront front;
  if (!front.open(r.path.c_str())) return;
  const ByteReader in = front.upTo(front.size());
  const uint64_t entries = (in.size + kRecord - 1) / kRecord;
  r.fact("entries", (long long)entries);
  r.listName = "entries";
  int64_t expectFirst = 0, lastEnd = 0;
  bool contiguous = true;
  for (uint64_t i = 0; i < entries; ++i) {
    // A partial last entry is read with its missing bytes zero, as the load does.
    unsigned char rec[kRecord] = {};
    const uint64_t at = i * kRecord, have = std::min(kRecord, in.size - at);
    std::memcpy(rec, in.span(at, have), size_t(have));
    const std::string name(reinterpret_cast<const char*>(rec), strnlen(reinterpret_cast<const char*>(rec), kNameBytes - 1));
    const int32_t first = int32_t(le32(rec + kNameBytes)), end = int32_t(le32(rec + kNameBytes + 4));
    contiguous = contiguous && first == expectFirst && end >= first;
    expectFirst = end, lastEnd = end;
    if (i < kMaxRows)
      r.rows.push_back({{"name", name, false}, {"first face", std::to_string(first), true},
                        {"end face", std::to_string(end), true}});
  }
  if (in.size % kRecord)
    r.warnings.push_back("the last entry is cut short; the load keeps it with its missing bytes zero");
  if (!contiguous) r.warnings.push_back("the face ranges do not follow one another from face 0");
  r.verdict("GroupListLoad", kOk, "accepted: " + std::to_string(entries) + " entries");
  if (entries == 0)
    r.warnings.push_back("no entries: after loading it the listed split returns " +
                         codeName("ListSplitOBJtoQiv", kListEmpty));
  if (!s.objPath.empty()) compare(r, lastEnd, s.objPath);
}

}  // namespace tolvane::inspect
