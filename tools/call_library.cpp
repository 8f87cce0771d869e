// Finding and loading libtolvane (dlopen, LoadLibrary) exactly as the host
// application does.
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "call.h"

namespace tolvane_call {
namespace {

#if defined(_WIN32)
std::wstring widen(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], int(w.size()));
  w.resize(n > 0 ? size_t(n) - 1 : 0);
  return w;
}

void* openLibrary(const std::string& path) { return reinterpret_cast<void*>(LoadLibraryW(widen(path).c_str())); }
std::string loadError(const std::string& path) {
  return path + ": cannot be loaded (Windows error " + std::to_string(GetLastError()) + ")";
}

std::string selfFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return ".";
  std::string s = narrow(path);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

// Next to this program (the build folder, or bin/ of an install, where
// Windows keeps DLLs), then the loader's own search.
std::vector<std::string> defaultLibraryPaths() { return {selfFolder() + "\\tolvane.dll", "tolvane.dll"}; }
#else
void* openLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
std::string loadError(const std::string&) { return dlerror(); }

std::string selfFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  std::string s(path);
  size_t slash = s.rfind('/');
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

#ifndef TOLVANE_INSTALL_LIBDIR
#define TOLVANE_INSTALL_LIBDIR "lib"
#endif

// Where the library is looked for when neither --lib nor $TOLVANE_LIBRARY
// names it: the build folder (next to this program), the installed libdir
// beside our bin folder (lib, lib64 or lib/<triplet>), then the loader's path.
std::vector<std::string> defaultLibraryPaths() {
  std::string here = selfFolder();
  std::vector<std::string> tries = {here + "/libtolvane.so"};
  for (std::string dir : {std::string(TOLVANE_INSTALL_LIBDIR), std::string("lib")}) {
    std::string base = dir[0] == '/' ? dir : here + "/../" + dir;
    tries.push_back(base + "/libtolvane.so.4");
    tries.push_back(base + "/libtolvane.so");
  }
  tries.push_back("libtolvane.so.4");
  tries.push_back("libtolvane.so");
  return tries;
}
#endif

}  // namespace

#if defined(_WIN32)
std::string narrow(const wchar_t* w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? size_t(n) : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  s.resize(n > 0 ? size_t(n) - 1 : 0);
  return s;
}

void* findSymbol(void* lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
#else
void* findSymbol(void* lib, const char* name) { return dlsym(lib, name); }
#endif

void* loadLibrary(const std::string& explicitPath) {
  std::vector<std::string> tries;
  if (!explicitPath.empty()) {
    tries.push_back(explicitPath);
  } else if (const char* env = std::getenv("TOLVANE_LIBRARY"); env && *env) {
    tries.push_back(env);
  } else {
    tries = defaultLibraryPaths();
  }
  std::string errors;
  for (const std::string& path : tries) {
    if (void* handle = openLibrary(path)) return handle;
    errors += "  " + loadError(path) + "\n";
  }
  std::fprintf(stderr, "tolvane-call: cannot load the library:\n%s", errors.c_str());
  return nullptr;
}

}  // namespace tolvane_call
