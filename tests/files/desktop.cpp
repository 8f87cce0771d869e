#include "files/desktop.h"

#include <fcntl.h>
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

int runFor(const std::vector<std::string>& argv, double seconds, std::string* out) {
  testsupport::TempDir dir;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (out) *out = testsupport::readFile(dir / "out");
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
