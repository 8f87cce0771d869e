// Output files of the splits: never at an existing file's name.
#include <sys/stat.h>
#if defined(_WIN32)
#include <windows.h>

#include "common/win_path.h"
#endif

#include <vector>

#include "common/atomic_file.h"
#include "common/in_order.h"
#include "common/result_codes.h"
#include "files/path_name.h"
#include "groups/output_naming.h"

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

namespace {

// What one worker holds while it makes a group's file.
struct GroupFile {
  std::vector<int32_t> numbers;
  AtomicFile out;
};

}  // namespace

float writeGroupFiles(Scan& s, const std::string& folder, const char* ext,
                      const std::function<float(uint32_t, std::vector<int32_t>&)>& prepare,
                      const std::function<float(const std::vector<int32_t>&, AtomicFile&)>& fill) {
  std::vector<const GroupMap::value_type*> groups;
  for (const auto& g : s.groups) groups.push_back(&g);
  std::vector<float> codes(groups.size(), kOk);
  auto make = [&](size_t i, GroupFile& f) {
    codes[i] = prepare(groups[i]->second, f.numbers);
    if (codes[i] != kOk) return false;
    // Created under the name that is free now; it is named for good when
    // its turn comes.
    if (!f.out.create(freeOutputName(folder, groups[i]->first, ext).c_str(), AtomicFile::Mode::NoReplace)) {
      codes[i] = kCannotCreate;
      return false;
    }
    codes[i] = fill(f.numbers, f.out);
    if (codes[i] == kOk) return true;
    f.out.abort();
    return false;
  };
  auto finish = [&](size_t i, GroupFile& f) {
    if (f.out.commitAs(freeOutputName(folder, groups[i]->first, ext))) return true;
    codes[i] = kCannotCreate;
    return false;
  };
  const size_t stopped = runInOrder<GroupFile>(groups.size(), make, finish);
  return stopped == groups.size() ? kOk : codes[stopped];
}

}  // namespace tolvane
