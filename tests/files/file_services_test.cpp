// File delete, copy, folder walk and folder emptying through the entry points, on real folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "files/files.h"
#include "host/frozen.h"
#include "support/support.h"

using namespace testsupport;

namespace {

float copy(const std::string& from, const std::string& to) { return call("FileCopyTo", from.c_str(), 0, to); }

// Every name GetFile delivers until it reports the end.
std::vector<std::string> walk() {
  std::vector<std::string> names;
  char buf[512];
  while (call("GetFile", nullptr, 0, buf) == 0) names.push_back(buf);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(FileCopyTo, CopiesByteForByteAndWhatFailuresLeave) {
  TempDir dir;
  for (size_t size : {size_t(0), size_t(1), size_t(4000), size_t(5 << 20) + 17}) {
    writeFile(dir / "src", bytePattern(size));
    writeFile(dir / "dst", "an older and longer destination that must be replaced entirely");
    ASSERT_EQ(copy(dir / "src", dir / "dst"), 0.0f) << size;
    EXPECT_TRUE(readFile(dir / "dst") == bytePattern(size)) << size;
  }
  EXPECT_EQ(copy(dir / "missing", dir / "dst"), -1.0f);
  EXPECT_FALSE(exists(dir / "dst"));  // the destination is removed first
  makeDir(dir / "sub");
  writeFile(dir / "sub/keep", "");
  EXPECT_EQ(copy(dir / "sub", dir / "dst"), -1.0f);  // a folder opens but cannot be read
  EXPECT_EQ(call("FileCopyTo", nullptr, 0, dir / "dst"), -1.0f);
  EXPECT_EQ(call("FileCopyTo", "x", 0, nullptr), -1.0f);
  writeFile(dir / "a", "precious");
  // A folder is not a file; never onto itself; a second name of the same file is only a name.
  for (const std::string& to : {dir / "no-such-folder/dst", dir / "sub", dir / "a", dir.path() + "/./a"})
    EXPECT_EQ(copy(dir / "a", to), -1.0f) << to;
  EXPECT_TRUE(exists(dir / "sub/keep") && readFile(dir / "a") == "precious");
#if !defined(_WIN32)
  ASSERT_EQ(link((dir / "a").c_str(), (dir / "b").c_str()), 0);
  EXPECT_EQ(copy(dir / "a", dir / "b"), 0.0f);
  EXPECT_EQ(readFile(dir / "b"), "precious");
#endif

  // A short write keeps the blocks written, and fails.
  SKIP_WITHOUT_FILE_SIZE_LIMIT();
  const std::string bytes = bytePattern(10000), src = dir / "src", dst = dir / "dst";
  writeFile(src, bytes);
  EXPECT_EQ(withFileSizeLimit(6000, [&] { return tolvane::fileCopyTo(src.c_str(), dst.c_str()); }), -1.0f);
  std::string written = readFile(dst);
  EXPECT_LE(written.size(), 6000u);
  EXPECT_EQ(written, bytes.substr(0, written.size()));
}

TEST(FileDelete, ReturnsWhatRemoveReturns) {
  TempDir dir;
  writeFile(dir / "f", "x");
  makeDir(dir / "empty");
  const std::string f = dir / "f", empty = dir / "empty";  // remove() takes empty folders
  for (auto [path, result] : {std::pair{f.c_str(), 0.0f}, {f.c_str(), -1.0f}, {nullptr, -1.0f}, {empty.c_str(), 0.0f}})
    EXPECT_EQ(call("FileDelete", path, 0, nullptr), result) << (path ? path : "null");
  EXPECT_TRUE(dir.list().empty());
}

TEST(FolderWalk, DeliversEveryEntryThenEndUntilClosedOrReopened) {
  TempDir one, two;
  writeFile(one / "a.txt", "");
  makeDir(one / "sub");
  writeFile(two / "y.2", "");
  char buf[512];
  EXPECT_EQ(call("GetFile", nullptr, 0, buf), -1.0f);  // nothing open yet
  ASSERT_EQ(call("OpenFolder", one.path().c_str(), 0, nullptr), 0.0f);
  EXPECT_EQ(walk(), (std::vector<std::string>{".", "..", "a.txt", "sub"}));
  for (int i = 0; i < 2; ++i) EXPECT_EQ(call("GetFile", nullptr, 0, buf), -3.0f);
  EXPECT_EQ(call("GetFile", nullptr, 0, nullptr), -1.0f);               // no buffer to fill
  ASSERT_EQ(call("OpenFolder", two.path().c_str(), 0, nullptr), 0.0f);  // starts again
  EXPECT_EQ(walk(), (std::vector<std::string>{".", "..", "y.2"}));
  EXPECT_EQ(call("CloseFolder", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(call("CloseFolder", nullptr, 0, nullptr), -1.0f);
  EXPECT_EQ(call("GetFile", nullptr, 0, buf), -1.0f);
  // A failed open leaves nothing open.
  ASSERT_EQ(call("OpenFolder", one.path().c_str(), 0, nullptr), 0.0f);
  EXPECT_EQ(call("OpenFolder", (two / "missing").c_str(), 0, nullptr), -1.0f);
  EXPECT_EQ(call("GetFile", nullptr, 0, buf), -1.0f);
  EXPECT_EQ(call("OpenFolder", nullptr, 0, nullptr), -1.0f);
}

TEST(EmptyFolder, RemovesDottedEntriesOnlyAndNeverOverflows) {
  TempDir dir;
  for (const char* name : {"a.txt", "b", ".hidden"}) writeFile(dir / name, "");
  makeDir(dir / "c.d");     // dotted, empty: goes
  makeDir(dir / "e.full");  // dotted, not empty: stays
  writeFile(dir / "e.full/inner.txt", "");
  makeDir(dir / "sub");  // not entered
  writeFile(dir / "sub/deep.txt", "");
  // Path and name joined: 255 bytes fit the name buffer, 256 are left alone.
  std::string longName = std::string(256 - dir.path().size() - 1 - 4, 'n') + ".txt";
  std::string shortEnough = std::string(255 - dir.path().size() - 1 - 4, 's') + ".txt";
  for (const std::string& name : {longName, shortEnough}) writeFile(dir / name, "");
  ASSERT_TRUE(exists(dir / longName));
  EXPECT_EQ(call("EmptyFolder", (dir.path() + "/").c_str(), 0, nullptr), 0.0f);
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"b", "e.full", longName, "sub"}));
  EXPECT_TRUE(exists(dir / "sub/deep.txt") && exists(dir / "e.full/inner.txt"));
  for (const char* bad : {"/nonexistent/folder", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(call("EmptyFolder", bad, 0, nullptr), -1.0f);
  for (const char* file : {"dir/name.ext", "dir\\name.ext", ".hidden"}) EXPECT_FALSE(IsDirectory(file)) << file;
  for (const char* folder : {"dir.old/name", "dir.old\\name", "name", "", static_cast<const char*>(nullptr)})
    EXPECT_TRUE(IsDirectory(folder)) << (folder ? folder : "null");
}
