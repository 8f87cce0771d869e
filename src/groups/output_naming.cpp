// Output names of the splits: never an existing file's.
#include <sys/stat.h>
#if defined(_WIN32)
#include <windows.h>

#include "common/win_path.h"
#endif

#include "files/path_name.h"
#include "groups/group_scan.h"

namespace tolvane {
namespace {

// Anything already at the name (a file, a folder, a link even when it
// dangles, an unreadable file) makes it taken.
bool taken(const std::string& path) {
#if defined(_WIN32)
  // Attributes of the name itself (a link is not followed). A name that is
  // not UTF-8 names nothing: it is free, and creating it fails.
  std::wstring wide;
  return win::widen(path.c_str(), wide) && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
#endif
}

}  // namespace

std::string freeOutputName(const std::string& folder, const std::string& name, const char* ext) {
  // A path ends at its first NUL byte, so a name does too; past it every
  // candidate would be the same path.
  std::string stem = name.substr(0, name.find('\0'));
#if defined(_WIN32)
  // A group line of a CR LF file ends its name with the CR, which no Windows
  // file name can hold: the file is named without it.
  if (!stem.empty() && stem.back() == '\r') stem.pop_back();
#endif
  std::string base = folder + stem;
  std::string candidate = base + ext;
  for (unsigned long n = 1; taken(candidate); ++n) candidate = base + "_copy" + std::to_string(n) + ext;
  return candidate;
}

std::string outputFolder(const char* outPath) { return FileNameExtract(outPath, 1); }

}  // namespace tolvane
