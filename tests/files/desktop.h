// Test doubles for the desktop: environment overrides, fake chooser and
// opener programs on PATH, and bounded runs of real helper programs.
#pragma once

#include <string>
#include <vector>

#include "support/support.h"

namespace filestest {

// Sets (or, with nullptr, unsets) an environment variable for one scope.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value);
  ~EnvOverride();
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  std::string name_, old_;
  bool had_;
};

// A folder of fake programs that is the whole of PATH, and a display.
class FakeDesktop {
 public:
  FakeDesktop();
  // Installs program `name`: it records its arguments (one per line) in
  // `name`.args, writes `out` to standard output and `err` to standard error
  // and exits with `code`. A negative code kills it with that signal.
  void program(const std::string& name, const std::string& out, int code, const std::string& err = "");
  // The arguments `name` was last run with, one per line.
  std::string args(const std::string& name) const;
  const testsupport::TempDir& dir() const { return dir_; }

 private:
  testsupport::TempDir dir_;
  EnvOverride path_, display_, wayland_;
};

// Runs argv, waiting at most `seconds`; kills it (by its id) past that.
// Returns its exit code, or -1 when it was killed or could not start.
int runFor(const std::vector<std::string>& argv, double seconds, std::string* out = nullptr);

// Waits up to `seconds` for a file to exist.
bool waitForFile(const std::string& path, double seconds);

}  // namespace filestest
