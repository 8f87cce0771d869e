#include "support/support.h"

#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testsupport {

void* library() {
  static void* handle = [] {
    void* h = dlopen(TOLVANE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!h) ADD_FAILURE() << "cannot load " << TOLVANE_LIBRARY_PATH << ": " << dlerror();
    return h;
  }();
  return handle;
}

EntryFn entry(const char* name) {
  void* lib = library();
  if (!lib) return nullptr;
  auto fn = reinterpret_cast<EntryFn>(dlsym(lib, name));
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

TempDir::TempDir() {
  std::string base = ::testing::TempDir();
  if (base.empty() || base.back() != '/') base += '/';
  std::string pattern = base + "tolvane-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  if (!mkdtemp(name.data())) ADD_FAILURE() << "mkdtemp failed";
  path_ = name.data();
}

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

TempDir::~TempDir() { removeTree(path_); }

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

std::string example(const std::string& name) { return std::string(TOLVANE_SOURCE_DIR) + "/examples/" + name; }

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

void putU32(std::string& s, unsigned v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

void putF32(std::string& s, float v) {
  unsigned u;
  std::memcpy(&u, &v, 4);
  putU32(s, u);
}

}  // namespace testsupport
