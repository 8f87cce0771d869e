// The group list, its face counter and its file; the name set's lifetime.
#include <algorithm>
#include <cstring>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/result_codes.h"
#include "groups/groups.h"

std::vector<groupID> groupsList;
int32_t faceIndex = 0;
std::set<std::string> nameSet;

namespace tolvane {
namespace {

constexpr size_t kRecord = sizeof(groupID);
constexpr size_t kNameField = sizeof(groupID::name);

groupID makeEntry(const char* name, int32_t first, int32_t end) {
  groupID g;
  std::memset(&g, 0, sizeof g);
  size_t n = name ? strnlen(name, kNameField - 1) : 0;
  std::memcpy(g.name, name, n);
  g.firstFace = first;
  g.endFace = end;
  return g;
}

// A record from up to 136 bytes of a list file; missing bytes count as zero.
groupID readRecord(const unsigned char* p, size_t n) {
  unsigned char raw[kRecord] = {};
  std::memcpy(raw, p, std::min(n, kRecord));
  groupID g;
  std::memcpy(g.name, raw, kNameField);
  g.name[kNameField - 1] = '\0';
  g.firstFace = int32_t(le32(raw + 128));
  g.endFace = int32_t(le32(raw + 132));
  return g;
}

}  // namespace

void clearGroupList() {
  groupsList.clear();
  faceIndex = 0;
}

float groupListSize() { return groupsList.empty() ? -1.0f : float(groupsList.size()); }

void addToGroupList(const char* name, int faces) {
  // Counts beyond 32 bits saturate instead of wrapping into the next range.
  int64_t end = std::clamp<int64_t>(int64_t(faceIndex) + faces, INT32_MIN, INT32_MAX);
  groupsList.push_back(makeEntry(name, faceIndex, int32_t(end)));
  faceIndex = int32_t(end);
}

std::string groupName(int index) {
  if (index < 0 || size_t(index) >= groupsList.size()) return "null";
  const groupID& g = groupsList[size_t(index)];
  return std::string(g.name, strnlen(g.name, sizeof g.name));
}

float saveGroupList(const char* path) {
  if (groupsList.empty()) return kFailed;
  AtomicFile out;
  if (!out.create(path)) return kCannotCreate;
  for (const groupID& g : groupsList) {
    unsigned char raw[kRecord] = {};
    std::memcpy(raw, g.name, strnlen(g.name, kNameField - 1));
    putLe32(raw + 128, uint32_t(g.firstFace));
    putLe32(raw + 132, uint32_t(g.endFace));
    out.write(raw, kRecord);
  }
  return out.commit() ? kOk : kCannotCreate;
}

float loadGroupList(const char* path) {
  clearGroupList();
  Bytes file;
  if (!loadFile(path, file)) return kListNotRead;
  ByteReader r(file);
  groupsList.reserve(file.size() / kRecord + 1);
  for (uint64_t pos = 0; pos < r.size; pos += kRecord) {
    uint64_t n = std::min<uint64_t>(kRecord, r.size - pos);
    groupsList.push_back(readRecord(r.span(pos, n), size_t(n)));
  }
  return kOk;
}

void clearNameSet() { nameSet.clear(); }

}  // namespace tolvane
