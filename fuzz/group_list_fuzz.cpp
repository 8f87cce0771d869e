// Group list files and names: loading untrusted records, reading their names
// back, saving them, and the name check on untrusted names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/path_name.h"
#include "fuzz_support.h"
#include "tolvane/host.h"

// The name check prints its attempt numbers on standard output, as the host
// expects; here they would bury libFuzzer's own report (on standard error).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;  // without /dev/null they are printed, which does no harm
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string dir = fuzz::fresh();
  std::string list = fuzz::writeInput("groups.lst", data, size);
  fuzz::Buffer buf;

  GroupListLoad(list.c_str(), 0, nullptr);
  float n = GroupListSize(nullptr, 0, nullptr);
  for (int i = -1; i <= n && i < 256; ++i) GroupListGetName(nullptr, i, buf.get());
  GroupListSave((dir + "/saved.lst").c_str(), 0, nullptr);
  GroupListClear(nullptr, 0, nullptr);

  std::string text(reinterpret_cast<const char*>(data), size);
  std::string name = text.substr(0, text.find('\0')).substr(0, 1000);
  for (int mode = 0; mode <= 7; ++mode) FileNameExtract(text, mode);
  CheckName(name.c_str(), 0, buf.get());
  CheckName(name.c_str(), 0, buf.get());
  ClearNameSet(nullptr, 0, nullptr);
  return 0;
}
