// The one check of the symbol list: exactly the table's entry points, the
// frozen C++ names and the sample class are exported (src/tolvane.map on
// Linux, TOLVANE_API on Windows).
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <cxxabi.h>
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "host/entry_table.h"
#include "support/support.h"

using testsupport::call;

namespace {

// The exported names, C++ names demangled as nm shows them.
std::set<std::string> dynamicSymbols() {
  std::set<std::string> names;
#if defined(_WIN32)
  auto base = static_cast<const unsigned char*>(testsupport::library());
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; dir.Size && i < exports->NumberOfNames; ++i) {
    const char* name = reinterpret_cast<const char*>(base + nameRvas[i]);
    int status = 0;
    char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    names.insert(status == 0 && plain ? plain : name);
    std::free(plain);
  }
#else
  FILE* p = popen((std::string("nm -D --defined-only --demangle ") + TOLVANE_LIBRARY_PATH).c_str(), "r");
  char line[4096];
  while (p && fgets(line, sizeof line, p)) {  // "<address> <type> <name>"
    std::string s(line, strcspn(line, "\n"));
    size_t second = s.find(' ', s.find(' ') + 1);
    if (s.find(' ') != std::string::npos && second != std::string::npos) names.insert(s.substr(second + 1));
  }
  if (p) pclose(p);
#endif
  return names;
}

// A demangled export's function name, without ABI tag or class qualifier.
std::string functionName(std::string s) {
  s = s.substr(0, s.find('('));
  size_t tag = s.find("[abi:");
  if (tag != std::string::npos) s.erase(tag, s.find(']', tag) + 1 - tag);
  size_t colons = s.rfind("::");
  return colons == std::string::npos ? s : s.substr(colons + 2);
}

// The frozen C++ names, by function name.
const std::set<std::string> kOperations = {
    "HelloWorld", "HelloWorldPriv", "readUnInt", "readSignInt", "readanInt", "readaFloat", "writeOBJfromQiv",
    "GetFaceIDsQiv", "ReadVertColorQiv", "swapVerticesQiv", "GetUVTile", "GetUVsFromQiv", "getUVTileString",
    "clearUVTileString", "clearGroupsList", "getGroupsListSize", "addToGroupsList", "getGroupName",
    "saveGroupsList", "loadGroupsList", "NameSetClear", "NameCheck", "LeanSplitOBJ", "LeanAddGroupOBJ",
    "LeanSwapVerts", "LeanSplitQiv", "ListSplitQiv", "readPSDHeader", "readShort", "readLong", "writeShort",
    "writeLong", "readFloat", "readFloatLE", "bigEndian", "littleEndian", "convertPSD", "GrayscalePSD", "mergePSD",
    "mergeSeamlessPSD", "createThumb", "cropBMP", "readBMPHeader", "FileNameExtract", "ClearFolder", "IsDirectory",
    "MyNavEventProc"};

std::set<std::string> entryPoints() {
  std::set<std::string> names;
  for (const tolvane::table::Entry& e : tolvane::table::kEntries) names.insert(e.name);
  return names;
}

}  // namespace

TEST(Exports, TheThirtySevenEntryPointsOperationsAndTheSampleClassOnly) {
  const std::set<std::string> symbols = dynamicSymbols(), kEntryPoints = entryPoints();
  std::set<std::string> entries, operations;
  for (const std::string& s : symbols) {
    bool plainC = s.find('(') == std::string::npos;
    EXPECT_TRUE(plainC ? kEntryPoints.count(s) : kOperations.count(functionName(s))) << "unexpected export: " << s;
    (plainC ? entries : operations).insert(plainC ? s : functionName(s));
  }
  EXPECT_EQ(entries, kEntryPoints) << "every entry point under its plain C name";
  EXPECT_EQ(operations, kOperations) << "every operation under its C++ name";
  EXPECT_TRUE(symbols.count("Tolvane4::HelloWorld(char const*)"));
  EXPECT_TRUE(symbols.count("Tolvane4Priv::HelloWorldPriv(char const*)"));

  char buf[16] = "unchanged";  // Version ignores its arguments
  EXPECT_EQ(call("Version", nullptr, 0, nullptr), 4.03f);
  EXPECT_EQ(call("Version", "x", -7.5, buf), 4.03f);
  EXPECT_STREQ(buf, "unchanged");
}
