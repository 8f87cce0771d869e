// What every fuzz target shares: a private scratch folder, emptied before
// each input, into which the input is written as a real file, because the
// library reads its inputs from files exactly as the host hands them over.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

inline void removeTree(const std::string& path, bool keepTop) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") removeTree(path + "/" + n, false);
      }
      closedir(d);
    }
    if (!keepTop) rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

// The scratch folder, made once per process and emptied per input.
inline const std::string& scratch() {
  static std::string dir = [] {
    char name[] = "/tmp/tolvane-fuzz-XXXXXX";
    if (!mkdtemp(name)) abort();
    std::string d = name;
    atexit([] { removeTree(scratch(), false); });
    return d;
  }();
  return dir;
}

inline std::string fresh() {
  removeTree(scratch(), true);
  return scratch();
}

inline std::string writeInput(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = scratch() + "/" + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (size && fwrite(data, 1, size, f) != size) abort();
  fclose(f);
  return path;
}

// An output area as the host provides it, zeroed per call.
struct Buffer {
  char bytes[4096];
  char* get() {
    for (char& c : bytes) c = 0;
    return bytes;
  }
};

}  // namespace fuzz
