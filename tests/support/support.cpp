#include "support/support.h"

#include <dirent.h>
#include <gtest/gtest-spi.h>
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
#include <fstream>
#include <memory>
#include <sstream>

namespace testsupport {

#if defined(_WIN32)
// tolvane.dll is built next to the test programs; a Windows host finds it
// the same way (its own folder first).
static std::wstring libraryPath() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  size_t cut = path.find_last_of(L"\\/");
  return (cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1)) + L"tolvane.dll";
}

void* library() {
  static void* handle = [] {
    HMODULE h = LoadLibraryW(libraryPath().c_str());
    if (!h) ADD_FAILURE() << "cannot load tolvane.dll: error " << GetLastError();
    return reinterpret_cast<void*>(h);
  }();
  return handle;
}

static void* findSymbol(void* lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
#else
void* library() {
  static void* handle = [] {
    void* h = dlopen(TOLVANE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!h) ADD_FAILURE() << "cannot load " << TOLVANE_LIBRARY_PATH << ": " << dlerror();
    return h;
  }();
  return handle;
}

static void* findSymbol(void* lib, const char* name) { return dlsym(lib, name); }
#endif

void* symbol(const char* name) {
  void* lib = library();
  return lib ? findSymbol(lib, name) : nullptr;
}

EntryFn entry(const char* name) {
  void* lib = library();
  if (!lib) return nullptr;
  auto fn = reinterpret_cast<EntryFn>(findSymbol(lib, name));
  if (!fn) ADD_FAILURE() << "entry point " << name << " not exported";
  return fn;
}

float call(const char* name, const char* text, double number, char* buffer) {
  EntryFn fn = entry(name);
  return fn ? fn(text, number, buffer) : NAN;
}

float call(const char* name, const char* text, double number, const std::string& buffer) {
  std::vector<char> buf(buffer.begin(), buffer.end());
  buf.resize(buffer.size() + 4096, 0);
  return call(name, text, number, buf.data());
}

#if defined(_WIN32)
// A fresh folder under the user's temporary folder. Its path uses "/" like
// the tests' own joins; Windows takes either separator.
TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, base);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    std::wstring dir = std::wstring(base, n) + L"tolvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(++counter);
    if (CreateDirectoryW(dir.c_str(), nullptr)) {
      char utf8[4 * MAX_PATH];
      WideCharToMultiByte(CP_UTF8, 0, dir.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
      path_ = utf8;
      for (char& c : path_)
        if (c == '\\') c = '/';
    }
  }
  if (path_.empty()) ADD_FAILURE() << "cannot create a temporary folder";
}
#else
TempDir::TempDir() {
  std::string base = ::testing::TempDir();
  if (base.empty() || base.back() != '/') base += '/';
  std::string pattern = base + "tolvane-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  if (!mkdtemp(name.data())) ADD_FAILURE() << "mkdtemp failed";
  path_ = name.data();
}
#endif

#if defined(_WIN32)
static void removeTree(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  chmod(path.c_str(), _S_IREAD | _S_IWRITE);
  if (S_ISDIR(st.st_mode)) {
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") removeTree(path + "/" + n);
      }
      closedir(d);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}
#else
static void removeTree(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    chmod(path.c_str(), 0700);
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") removeTree(path + "/" + n);
      }
      closedir(d);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}
#endif

TempDir::~TempDir() { removeTree(path_); }

#if defined(_WIN32)
// Names and contents through the wide calls, so that UTF-8 names mean the
// same here as in the library.
static std::wstring wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], int(w.size()));
  w.resize(n > 0 ? size_t(n) - 1 : 0);
  return w;
}

std::vector<std::string> TempDir::list() const {
  std::vector<std::string> names;
  if (_WDIR* d = _wopendir(wide(path_).c_str())) {
    while (_wdirent* e = _wreaddir(d)) {
      char utf8[1024];
      WideCharToMultiByte(CP_UTF8, 0, e->d_name, -1, utf8, sizeof utf8, nullptr, nullptr);
      std::string n = utf8;
      if (n != "." && n != "..") names.push_back(n);
    }
    _wclosedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readFile(const std::string& path) {
  std::string bytes;
  if (FILE* f = _wfopen(wide(path).c_str(), L"rb")) {
    char block[65536];
    while (size_t n = std::fread(block, 1, sizeof block, f)) bytes.append(block, n);
    std::fclose(f);
  }
  return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
  if (FILE* f = _wfopen(wide(path).c_str(), L"wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

bool exists(const std::string& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
#else
std::vector<std::string> TempDir::list() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(path_.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}
#endif

bool makeDir(const std::string& path) {
#if defined(_WIN32)
  return CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
#else
  return mkdir(path.c_str(), 0755) == 0;
#endif
}

bool hardLink(const std::string& from, const std::string& to) {
#if defined(_WIN32)
  return CreateHardLinkW(wide(to).c_str(), wide(from).c_str(), nullptr) != 0;
#else
  return link(from.c_str(), to.c_str()) == 0;
#endif
}

bool readOnlyIsEnforced() {
  TempDir dir;
  std::string path = dir / "probe";
  writeFile(path, "x");
  chmod(path.c_str(), 0444);
  FILE* f = std::fopen(path.c_str(), "r+b");
  if (f) std::fclose(f);
  chmod(path.c_str(), 0644);
  return f == nullptr;
}

std::string example(const std::string& name) { return std::string(TOLVANE_SOURCE_DIR) + "/examples/" + name; }

#if defined(_WIN32)
// Windows has neither fork nor a file size limit: the test is skipped from
// here on. Its remaining checks expect the failed write, so what they report
// is set aside until the test ends.
namespace {

class SkipRest : public ::testing::EmptyTestEventListener {
 public:
  static SkipRest& instance() {
    static SkipRest* listener = [] {
      auto* l = new SkipRest;
      ::testing::UnitTest::GetInstance()->listeners().Append(l);  // owned by gtest
      return l;
    }();
    return *listener;
  }
  void begin() {
    if (swallow_) return;
    setAside_ = std::make_unique<::testing::TestPartResultArray>();
    swallow_ = std::make_unique<::testing::ScopedFakeTestPartResultReporter>(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, setAside_.get());
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    swallow_.reset();  // the real reporter is back
    setAside_.reset();
  }

 private:
  std::unique_ptr<::testing::TestPartResultArray> setAside_;
  std::unique_ptr<::testing::ScopedFakeTestPartResultReporter> swallow_;
};

}  // namespace

float withFileSizeLimit(long, const std::function<float()>&) {
  SkipRest& rest = SkipRest::instance();
  GTEST_MESSAGE_("the rest of this test needs fork and a file size limit (POSIX)",
                 ::testing::TestPartResult::kSkip);
  rest.begin();
  return NAN;
}
#else
float withFileSizeLimit(long limit, const std::function<float()>& fn) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return NAN;
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {rlim_t(limit), rlim_t(limit)};
    setrlimit(RLIMIT_FSIZE, &rl);
    float r = fn();
    if (write(pipefd[1], &r, sizeof r) != sizeof r) _exit(3);
    _exit(0);
  }
  close(pipefd[1]);
  float r = NAN;
  if (read(pipefd[0], &r, sizeof r) != sizeof r) r = NAN;
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return r;
}
#endif

void putU32(std::string& s, unsigned v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

void putF32(std::string& s, float v) {
  unsigned u;
  std::memcpy(&u, &v, 4);
  putU32(s, u);
}

}  // namespace testsupport
