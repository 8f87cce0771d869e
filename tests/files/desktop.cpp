#include "files/desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace filestest {

EnvOverride::EnvOverride(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

EnvOverride::~EnvOverride() {
  if (had_) {
    setenv(name_.c_str(), old_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

FakeDesktop::FakeDesktop()
    : path_("PATH", dir_.path().c_str()), display_("DISPLAY", ":fake"), wayland_("WAYLAND_DISPLAY", nullptr) {}

void FakeDesktop::program(const std::string& name, const std::string& out, int code, const std::string& err) {
  std::string base = dir_ / name;
  testsupport::writeFile(base + ".out", out);
  testsupport::writeFile(base + ".err", err);
  std::string exit = code < 0 ? "kill -" + std::to_string(-code) + " $$\n" : "exit " + std::to_string(code) + "\n";
  testsupport::writeFile(base,
                         "#!/bin/sh\n"
                         "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + base + ".args'\n"
                         "/bin/cat '" + base + ".out'\n"
                         "/bin/cat '" + base + ".err' >&2\n" + exit);
  chmod(base.c_str(), 0755);
}

std::string FakeDesktop::args(const std::string& name) const { return testsupport::readFile(dir_ / (name + ".args")); }

std::string which(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  size_t start = 0;
  while (start < dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

int runFor(const std::vector<std::string>& argv, double seconds, std::string* out) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int pipefd[2];
  if (pipe2(pipefd, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
  pid_t pid;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipefd[1]);
  if (rc != 0) {
    close(pipefd[0]);
    return -1;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::string text;
  struct pollfd pfd = {pipefd[0], POLLIN, 0};
  bool open = true;
  while (open && std::chrono::steady_clock::now() < deadline) {
    if (poll(&pfd, 1, 50) > 0) {
      char buf[4096];
      ssize_t n = read(pipefd[0], buf, sizeof buf);
      if (n > 0) text.append(buf, size_t(n));
      if (n <= 0) open = false;
    }
  }
  close(pipefd[0]);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool waitForFile(const std::string& path, double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (testsupport::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace filestest
