// The group tools' frozen names, each over its tolvane:: function.
#include "groups/groups.h"
#include "host/frozen.h"

void clearGroupsList() { tolvane::clearGroupList(); }
float getGroupsListSize() { return tolvane::groupListSize(); }
void addToGroupsList(const char* name, int faces) { tolvane::addToGroupList(name, faces); }
std::string getGroupName(int index) { return tolvane::groupName(index); }
float saveGroupsList(const char* path) { return tolvane::saveGroupList(path); }
float loadGroupsList(const char* path) { return tolvane::loadGroupList(path); }
void NameSetClear() { tolvane::clearNameSet(); }
std::string NameCheck(const char* wanted) { return tolvane::checkName(wanted); }
float LeanSplitOBJ(const char* objPath, const char* outPath) { return tolvane::splitObj(objPath, outPath); }
float LeanAddGroupOBJ(const char* sourcePath, const char* destPath, int vertexOffset) {
  return tolvane::appendGroup(sourcePath, destPath, vertexOffset);
}
bool LeanSwapVerts(const char* sourcePath, const char* destPath) { return tolvane::swapVertices(sourcePath, destPath); }
float LeanSplitQiv(const char* objPath, const char* outPath) { return tolvane::splitQit(objPath, outPath); }
float ListSplitQiv(const char* objPath, const char* outPath) { return tolvane::listSplitQit(objPath, outPath); }
