// Output names of the splits: never an existing file's.
#include <sys/stat.h>

#include "files/path_name.h"
#include "groups/group_scan.h"

namespace tolvane {
namespace {

// Anything already at the name (a file, a folder, a link even when it
// dangles, an unreadable file) makes it taken.
bool taken(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string freeOutputName(const std::string& folder, const std::string& name, const char* ext) {
  // A path ends at its first NUL byte, so a name does too; past it every
  // candidate would be the same path.
  std::string base = folder + name.substr(0, name.find('\0'));
  std::string candidate = base + ext;
  for (unsigned long n = 1; taken(candidate); ++n) candidate = base + "_copy" + std::to_string(n) + ext;
  return candidate;
}

std::string outputFolder(const char* outPath) { return FileNameExtract(outPath, 1); }

}  // namespace tolvane
