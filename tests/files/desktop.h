// Test doubles for the desktop: environment overrides, fake chooser and opener programs on PATH.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "support/support.h"

namespace filestest {

// Sets (or, with nullptr, unsets) an environment variable for one scope.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name), had_(std::getenv(name) != nullptr) {
    if (had_) old_ = std::getenv(name);
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~EnvOverride() { had_ ? setenv(name_.c_str(), old_.c_str(), 1) : unsetenv(name_.c_str()); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;
 private:
  std::string name_, old_;
  bool had_;
};

// A folder of fake programs that is the whole of PATH, and a display.
class FakeDesktop {
 public:
  // Installs program `name`: it records its arguments (one per line) in `name`.args, writes `out` and
  // `err` to standard output and error and exits with `code`; a negative code kills it with that signal.
  void program(const std::string& name, const std::string& out, int code, const std::string& err = "") {
    const std::string base = dir_ / name;
    testsupport::writeFile(base + ".out", out);
    testsupport::writeFile(base + ".err", err);
    testsupport::writeFile(
        base, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + base + ".args'\n/bin/cat '" + base +
                  ".out'\n/bin/cat '" + base + ".err' >&2\n" +
                  (code < 0 ? "kill " + std::to_string(code) + " $$\n" : "exit " + std::to_string(code) + "\n"));
    chmod(base.c_str(), 0755);
  }
  // The arguments `name` was last run with, one per line.
  std::string args(const std::string& name) const { return testsupport::readFile(dir_ / (name + ".args")); }
  const testsupport::TempDir& dir() const { return dir_; }
 private:
  testsupport::TempDir dir_;
  EnvOverride path_{"PATH", dir_.path().c_str()}, display_{"DISPLAY", ":fake"}, wayland_{"WAYLAND_DISPLAY", nullptr};
};

}  // namespace filestest
