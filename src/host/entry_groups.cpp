// Host entry points of the OBJ group tools: the table's checks, then one
// operation each.
#include <cmath>
#include <cstring>

#include "common/result_codes.h"
#include "groups/groups.h"
#include "host/entry.h"

using namespace tolvane;

TOLVANE_ENTRY(AppendOBJ) {
  if (!text || !buffer) return kNoText;
  return appendGroup(text, buffer, truncateNumber(number));
}

TOLVANE_ENTRY(GroupListAdd) {
  (void)buffer;
  int32_t faces = truncateNumber(number);
  if (faces <= 0) return kCountNotPositive;
  if (!text) return kFailed;
  addToGroupList(text, faces);
  return kOk;
}

TOLVANE_ENTRY(GroupListGetName) {
  (void)text;
  if (std::isnan(number) || number <= -1) return kFailed;
  if (!buffer) return kFailed;
  std::string name = groupName(truncateNumber(number));
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return kOk;
}

TOLVANE_ENTRY(GroupListSize) {
  (void)text, (void)number, (void)buffer;
  return groupListSize();
}

TOLVANE_ENTRY(GroupListLoad) {
  (void)number, (void)buffer;
  if (!text) return kNoText;
  return loadGroupList(text);
}

TOLVANE_ENTRY(GroupListSave) {
  (void)number, (void)buffer;
  if (!text) return kNoText;
  return saveGroupList(text);
}

TOLVANE_ENTRY(GroupListClear) {
  (void)text, (void)number, (void)buffer;
  clearGroupList();
  return kOk;
}

TOLVANE_ENTRY(SplitOBJ) {
  (void)number;
  if (!text || !buffer) return kMissingArg;
  return splitObj(text, buffer);
}

TOLVANE_ENTRY(ListSplitOBJtoQiv) {
  (void)number;
  if (!text || !buffer) return kMissingArg;
  return listSplitQit(text, buffer);
}

TOLVANE_ENTRY(SplitOBJtoQiv) {
  (void)number;
  if (!text || !buffer) return kMissingArg;
  return splitQit(text, buffer);
}

TOLVANE_ENTRY(SwapVertices) {
  (void)number;
  if (!text || !buffer) return kMissingArg;
  return swapVertices(text, buffer) ? kOk : kFailed;
}

TOLVANE_ENTRY(ClearNameSet) {
  (void)text, (void)number, (void)buffer;
  clearNameSet();
  return kOk;
}

TOLVANE_ENTRY(CheckName) {
  (void)number;
  // A null name or buffer has nothing to check or nowhere to go: the set is
  // left as it was.
  if (!text || !buffer) return kFailed;
  std::string name = checkName(text);
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return kOk;
}
