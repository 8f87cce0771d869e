// The library as the host sees it: what it exports, and the entry points of
// the host layer itself.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <cxxabi.h>
#include <windows.h>

#include <cstdlib>
#endif

#include <cstdio>
#include <set>
#include <string>

#include "support/support.h"

using testsupport::call;

namespace {

#if defined(_WIN32)
// The names in tolvane.dll's export table, C++ names demangled as nm shows
// them.
std::set<std::string> dynamicSymbols() {
  std::set<std::string> names;
  auto base = static_cast<const unsigned char*>(testsupport::library());
  if (!base) return names;
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.Size == 0) return names;
  auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    const char* name = reinterpret_cast<const char*>(base + nameRvas[i]);
    int status = 0;
    char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    names.insert(status == 0 && plain ? plain : name);
    std::free(plain);
  }
  return names;
}
#else
std::set<std::string> dynamicSymbols() {
  std::string cmd = std::string("nm -D --defined-only --demangle ") + TOLVANE_LIBRARY_PATH;
  std::set<std::string> names;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return names;
  char line[4096];
  while (fgets(line, sizeof line, p)) {
    std::string s(line);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    // "<address> <type> <name>"
    size_t first = s.find(' ');
    size_t second = first == std::string::npos ? first : s.find(' ', first + 1);
    if (second != std::string::npos) names.insert(s.substr(second + 1));
  }
  pclose(p);
  return names;
}
#endif

// The name of an exported function: its demangled text up to the
// parameter list, without a class qualifier.
std::string functionName(const std::string& symbol) {
  std::string s = symbol.substr(0, symbol.find('('));
  size_t tag = s.find("[abi:");  // functions returning std::string carry an ABI tag
  if (tag != std::string::npos) s.erase(tag, s.find(']', tag) + 1 - tag);
  size_t colons = s.rfind("::");
  return colons == std::string::npos ? s : s.substr(colons + 2);
}

const std::set<std::string> kOperations = {
    "HelloWorld", "HelloWorldPriv",
    "readUnInt", "readSignInt", "readanInt", "readaFloat", "writeOBJfromQiv", "GetFaceIDsQiv",
    "ReadVertColorQiv", "swapVerticesQiv", "GetUVTile", "GetUVsFromQiv", "getUVTileString",
    "clearUVTileString", "clearGroupsList", "getGroupsListSize", "addToGroupsList", "getGroupName",
    "saveGroupsList", "loadGroupsList", "NameSetClear", "NameCheck", "LeanSplitOBJ", "LeanAddGroupOBJ",
    "LeanSwapVerts", "LeanSplitQiv", "ListSplitQiv", "readPSDHeader", "readShort", "readLong",
    "writeShort", "writeLong", "readFloat", "readFloatLE", "bigEndian", "littleEndian", "convertPSD",
    "GrayscalePSD", "mergePSD", "mergeSeamlessPSD", "createThumb", "cropBMP", "readBMPHeader",
    "FileNameExtract", "ClearFolder", "IsDirectory", "MyNavEventProc"};

const char* const kEntryPoints[] = {
    "Version", "CropBMP_SetWidth", "SetInColor", "qivtoOBJ", "getFaceIDs", "outMRGB", "AppendOBJ",
    "GroupListAdd", "GroupListGetName", "GroupListSize", "GroupListLoad", "GroupListSave",
    "GroupListClear", "SplitOBJ", "ListSplitOBJtoQiv", "SplitOBJtoQiv", "SwapVertices",
    "SwapVertices_Qiv", "MakeStencilPSD", "SwapColorsPSD", "HealPSDfiles", "RGBtoGrayscale",
    "MergePSDfiles", "CreateThumbnail", "CropBMPfile", "FileDelete", "FileCopyTo", "OpenFolder",
    "GetFile", "CloseFolder", "EmptyFolder", "ClearNameSet", "CheckName", "GetOpenDialog",
    "GetFilePath", "ClearFileList", "inPut"};

}  // namespace

TEST(Exports, OnlyEntryPointsOperationsAndTheSampleClassLeave) {
  std::set<std::string> symbols = dynamicSymbols();
  ASSERT_FALSE(symbols.empty());
  std::set<std::string> entries(std::begin(kEntryPoints), std::end(kEntryPoints)), operations;
  for (const std::string& s : symbols) {
    bool plainC = s.find('(') == std::string::npos;
    if (plainC) {
      EXPECT_TRUE(entries.count(s)) << "unexpected export: " << s;
    } else {
      EXPECT_TRUE(kOperations.count(functionName(s))) << "unexpected export: " << s;
      operations.insert(functionName(s));
    }
  }
  EXPECT_EQ(operations, kOperations) << "every operation leaves under its C++ name";
  EXPECT_TRUE(symbols.count("Tolvane4::HelloWorld(char const*)"));
  EXPECT_TRUE(symbols.count("Tolvane4Priv::HelloWorldPriv(char const*)"));
}

TEST(Exports, AllThirtySevenEntryPointsHavePlainCNames) {
  ASSERT_EQ(std::size(kEntryPoints), 37u);
  for (const char* name : kEntryPoints) EXPECT_NE(testsupport::symbol(name), nullptr) << name;
}

// The setters answer 0 in the tolvane-call tests.
TEST(HostLayer, VersionIgnoresItsArguments) {
  char buf[16] = "unchanged";
  EXPECT_EQ(call("Version", nullptr, 0, nullptr), 4.03f);
  EXPECT_EQ(call("Version", "x", -7.5, buf), 4.03f);
  EXPECT_STREQ(buf, "unchanged");
}
