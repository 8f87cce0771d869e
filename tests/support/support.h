// Shared test helpers: the library loaded as the host loads it, temporary
// folders, whole-file reads and writes, and real write failures.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

using EntryFn = float (*)(const char*, double, char*);

// Entry point `name` of libtolvane.so, loaded with dlopen once per process.
// Fails the test (and returns nullptr) when the symbol is missing.
EntryFn entry(const char* name);
// Calls entry point `name`.
float call(const char* name, const char* text, double number, char* buffer);
// Calls with a string as buffer (copied into a writable area).
float call(const char* name, const char* text, double number, const std::string& buffer);
// dlopen handle of libtolvane.so (the HMODULE of tolvane.dll on Windows).
void* library();
// Address of the exported symbol `name`, or nullptr.
void* symbol(const char* name);

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the folder, sorted, without "." and "..".
  std::vector<std::string> list() const;

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
// Creates a folder (mkdir takes no mode on Windows).
bool makeDir(const std::string& path);
// Gives the file `from` a second name `to`.
bool hardLink(const std::string& from, const std::string& to);
// Whether a file made read-only (chmod 0444) refuses to be opened for
// writing. Not so for root on Linux, nor under Wine run by root.
bool readOnlyIsEnforced();

// Path of a file in the source tree's examples/ folder.
std::string example(const std::string& name);

// Runs `fn` in a child process whose files may not grow beyond `limit` bytes
// (RLIMIT_FSIZE, with SIGXFSZ ignored so writes fail with EFBIG instead of
// killing it). Returns the float `fn` returned, or NaN if the child died.
// On Windows (no fork, no such limit) the calling test is skipped from there
// on: NaN, and its later checks are set aside.
float withFileSizeLimit(long limit, const std::function<float()>& fn);

// Little-endian helpers to build binary test files.
void putU32(std::string& s, unsigned v);
void putF32(std::string& s, float v);

}  // namespace testsupport
