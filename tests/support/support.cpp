#include "support/support.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testsupport {

#if defined(_WIN32)
std::wstring wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], int(w.size()));
  w.resize(n > 0 ? size_t(n) - 1 : 0);
  return w;
}

static std::string utf8(const wchar_t* w) {
  char s[4 * MAX_PATH];
  WideCharToMultiByte(CP_UTF8, 0, w, -1, s, sizeof s, nullptr, nullptr);
  return s;
}

// tolvane.dll lies next to the test programs, where a host finds it too.
void* library() {
  static void* handle = [] {
    wchar_t self[MAX_PATH];
    std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    HMODULE h = LoadLibraryW((path.substr(0, path.find_last_of(L"\\/") + 1) + L"tolvane.dll").c_str());
    if (!h) ADD_FAILURE() << "cannot load tolvane.dll: error " << GetLastError();
    return reinterpret_cast<void*>(h);
  }();
  return handle;
}

void* symbol(const char* name) {
  return library() ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library()), name)) : nullptr;
}

// Under the user's temporary folder, with "/" like the tests' own joins.
TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const std::wstring start(base, GetTempPathW(MAX_PATH + 1, base));
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    std::wstring dir = start + L"tolvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(dir.c_str(), nullptr)) path_ = utf8(dir.c_str());
  }
  if (path_.empty()) ADD_FAILURE() << "cannot create a temporary folder";
  std::replace(path_.begin(), path_.end(), '\\', '/');
}

// Wide calls, so UTF-8 names mean what they mean in the library.
std::vector<std::string> TempDir::list() const {
  std::vector<std::string> names;
  if (_WDIR* d = _wopendir(wide(path_).c_str())) {
    while (_wdirent* e = _wreaddir(d))
      if (std::wcscmp(e->d_name, L".") && std::wcscmp(e->d_name, L"..")) names.push_back(utf8(e->d_name));
    _wclosedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

static FILE* openFile(const std::string& path, bool write) { return _wfopen(wide(path).c_str(), write ? L"wb" : L"rb"); }
bool exists(const std::string& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
bool makeDir(const std::string& path) { return CreateDirectoryW(wide(path).c_str(), nullptr) != 0; }
float withFileSizeLimit(long, const std::function<float()>&) { return NAN; }
float withMemoryLimit(long, const std::function<float()>&) { return NAN; }
#else
void* library() {
  static void* handle = [] {
    void* h = dlopen(TOLVANE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!h) ADD_FAILURE() << "cannot load " << TOLVANE_LIBRARY_PATH << ": " << dlerror();
    return h;
  }();
  return handle;
}

void* symbol(const char* name) { return library() ? dlsym(library(), name) : nullptr; }

TempDir::TempDir() {
  std::string base = ::testing::TempDir();
  if (base.empty() || base.back() != '/') base += '/';
  std::string name = base + "tolvane-XXXXXX";
  if (!mkdtemp(name.data())) ADD_FAILURE() << "mkdtemp failed";
  path_ = name;
}

std::vector<std::string> TempDir::list() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(path_.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

static FILE* openFile(const std::string& path, bool write) { return std::fopen(path.c_str(), write ? "wb" : "rb"); }
bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
bool makeDir(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }

// fn in a child after `limit` ran: its result, NaN if the child died, kTestRanOut if fn threw.
static float inChild(const std::function<void()>& limit, const std::function<float()>& fn) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return NAN;
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    limit();
    float r = kTestRanOut;  // unless fn returns: the test's own code ran out of memory
    try { r = fn(); } catch (...) {}
    _exit(write(pipefd[1], &r, sizeof r) == sizeof r ? 0 : 3);
  }
  close(pipefd[1]);
  float r = NAN;
  if (read(pipefd[0], &r, sizeof r) != sizeof r) r = NAN;
  close(pipefd[0]);
  waitpid(pid, nullptr, 0);
  return r;
}

float withFileSizeLimit(long limit, const std::function<float()>& fn) {
  return inChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {rlim_t(limit), rlim_t(limit)};
    setrlimit(RLIMIT_FSIZE, &rl);
  }, fn);
}

float withMemoryLimit(long spare, const std::function<float()>& fn) {
  return inChild([&] {
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    const rlim_t size = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + rlim_t(spare);
    struct rlimit rl = {size, size};
    setrlimit(RLIMIT_AS, &rl);
  }, fn);
}
#endif

float call(const char* name, const char* text, double number, char* buffer) {
  auto fn = reinterpret_cast<float (*)(const char*, double, char*)>(symbol(name));
  if (!fn) ADD_FAILURE() << "entry point " << name << " not exported";
  return fn ? fn(text, number, buffer) : NAN;
}

float call(const char* name, const char* text, double number, const std::string& buffer) {
  std::vector<char> buf(buffer.begin(), buffer.end());
  buf.resize(buffer.size() + 4096, 0);
  return call(name, text, number, buf.data());
}

// Made writable first: tests may leave read-only files and folders behind.
static void removeTree(const std::string& path) {
  struct stat st;
#if defined(_WIN32)
  if (stat(path.c_str(), &st) != 0) return;
  chmod(path.c_str(), _S_IREAD | _S_IWRITE);
#else
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) chmod(path.c_str(), 0700);
#endif
  if (!S_ISDIR(st.st_mode)) return void(unlink(path.c_str()));
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) removeTree(path + "/" + e->d_name);
    closedir(d);
  }
  rmdir(path.c_str());
}

TempDir::~TempDir() { removeTree(path_); }

std::string readFile(const std::string& path) {
  std::string bytes;
  if (FILE* f = openFile(path, false)) {
    char block[65536];
    while (size_t n = std::fread(block, 1, sizeof block, f)) bytes.append(block, n);
    std::fclose(f);
  }
  return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
  if (FILE* f = openFile(path, true)) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

bool readOnlyIsEnforced() {
  TempDir dir;
  writeFile(dir / "probe", "x");
  chmod((dir / "probe").c_str(), 0444);
  FILE* f = std::fopen((dir / "probe").c_str(), "r+b");
  if (f) std::fclose(f);
  return f == nullptr;
}

std::string example(const std::string& name) { return std::string(TOLVANE_SOURCE_DIR) + "/examples/" + name; }

std::string bytePattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char(i * 131 + i / 251);
  return s;
}

std::string backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace testsupport
