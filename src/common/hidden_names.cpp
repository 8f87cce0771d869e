#include "common/hidden_names.h"

#if !defined(_WIN32)

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>

namespace tolvane {
namespace {

constexpr const char* kMark = ".tolvane-";
// A leftover this fresh may be another machine's file being written into a
// shared folder (its process is not ours to see): only stale ones go.
constexpr time_t kStaleSeconds = 60;

std::string baseOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string hiddenName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::string dir = folderOf(path);
  return (dir == "/" ? "" : dir) + "/." + baseOf(path) + kMark + std::to_string(::getpid()) + "-" +
         std::to_string(++counter);
}

// The process that wrote a leftover named ".NAME.tolvane-PID-N"; 0 for any
// other name.
pid_t writerOf(const char* entry) {
  if (entry[0] != '.') return 0;
  const char* mark = std::strstr(entry, kMark);
  if (!mark) return 0;
  for (const char* next; (next = std::strstr(mark + 1, kMark)) != nullptr;) mark = next;
  char* end = nullptr;
  long pid = std::strtol(mark + std::strlen(kMark), &end, 10);
  if (pid <= 0 || *end != '-' || !end[1]) return 0;
  for (const char* p = end + 1; *p; ++p)
    if (*p < '0' || *p > '9') return 0;
  return pid_t(pid);
}

bool gone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Removes the stale leftovers of processes that are gone (killed while
// writing) from `folder`, once per folder and process.
void removeLeftovers(const std::string& folder) {
  static std::mutex lock;
  static std::set<std::string> cleaned;
  {
    std::lock_guard<std::mutex> hold(lock);
    if (!cleaned.insert(folder).second) return;
  }
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const time_t now = std::time(nullptr);
  while (const dirent* e = ::readdir(dir)) {
    const pid_t pid = writerOf(e->d_name);
    struct stat st;
    if (pid <= 0 || !gone(pid) || ::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode) && now - st.st_mtime > kStaleSeconds) ::unlinkat(::dirfd(dir), e->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string journalName(const std::string& path) {
  std::string dir = folderOf(path);
  return (dir == "/" ? "" : dir) + "/." + baseOf(path) + ".tolvane-append";
}

int createHidden(const std::string& path, std::string& name) {
  removeLeftovers(folderOf(path));
  for (int tries = 0; tries < 100; ++tries) {
    name = hiddenName(path);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool linkHidden(int fd, const std::string& path, std::string& name) {
  removeLeftovers(folderOf(path));
  const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  for (int tries = 0; tries < 100; ++tries) {
    name = hiddenName(path);
    if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace tolvane

#endif  // !_WIN32
