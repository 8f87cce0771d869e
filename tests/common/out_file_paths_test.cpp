// Output files by every kind of name a user may give: non-ASCII names,
// Windows separators and drive paths, devices; and what a file held open by
// another program does to a replace.
#include <gtest/gtest.h>

#include <string>

#include "common/bytes.h"
#include "common/out_file.h"
#include "support/support.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using tolvane::OutFile;
using namespace testsupport;

TEST(OutFilePaths, NonAsciiNamesRoundTrip) {
  TempDir dir;
  const std::string name = "t\xC3\xAAte \xE6\x97\xA5\xE6\x9C\xAC.obj";  // "tête 日本.obj"
  const std::string path = dir / name;
  ASSERT_TRUE(tolvane::writeWholeFile(path.c_str(), "v 1 2 3\r\n", 9));
  std::string back;
  ASSERT_TRUE(tolvane::loadFile(path.c_str(), back));
  EXPECT_EQ(back, "v 1 2 3\r\n") << "bytes go through untranslated, CR included";
  EXPECT_EQ(dir.list(), std::vector<std::string>{name});
  OutFile out;
  ASSERT_TRUE(out.openAppend(path.c_str()));
  out.put("f 1 2 3\r\n");
  out.abort();
  ASSERT_TRUE(tolvane::loadFile(path.c_str(), back));
  EXPECT_EQ(back, "v 1 2 3\r\n") << "an abandoned append is cut back";
}

#if defined(_WIN32)
namespace {

std::string backslashed(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::wstring wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], int(w.size()));
  w.resize(n > 0 ? size_t(n) - 1 : 0);
  return w;
}

}  // namespace

// Windows names are UTF-16: text that is not UTF-8 names no file at all.
TEST(OutFilePathsWindows, TextThatIsNotUtf8NamesNoFile) {
  TempDir dir;
  const std::string path = dir / "bad\xFF.obj";
  std::string back = "kept";
  EXPECT_FALSE(tolvane::writeWholeFile(path.c_str(), "x", 1));
  EXPECT_FALSE(tolvane::loadFile(path.c_str(), back));
  EXPECT_EQ(back, "kept");
  EXPECT_TRUE(dir.list().empty());
}

TEST(OutFilePathsWindows, BackslashesAndBothModes) {
  TempDir dir;
  const std::string path = backslashed(dir / "mesh.obj");
  ASSERT_NE(path.find(":\\"), std::string::npos) << "a drive path: " << path;
  ASSERT_TRUE(tolvane::writeWholeFile(path.c_str(), "one", 3));
  EXPECT_EQ(readFile(dir / "mesh.obj"), "one");
  EXPECT_FALSE(tolvane::writeWholeFile(path.c_str(), "two", 3, OutFile::Mode::NoReplace));
  ASSERT_TRUE(tolvane::writeWholeFile(path.c_str(), "three", 5, OutFile::Mode::Replace));
  EXPECT_EQ(readFile(dir / "mesh.obj"), "three");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"mesh.obj"}) << "no temporary left behind";

  DWORD attrs = GetFileAttributesW(wide(path).c_str());
  ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(attrs & FILE_ATTRIBUTE_HIDDEN) << "the finished file is not hidden like its temporary";

  OutFile out;
  EXPECT_FALSE(out.create(backslashed(dir.path()).c_str())) << "a folder is not a file";
  EXPECT_FALSE(out.create((backslashed(dir.path()) + "\\").c_str()));
  EXPECT_FALSE(out.create((backslashed(dir / "missing") + "\\out.obj").c_str()));
}

TEST(OutFilePathsWindows, TemporaryIsHiddenWhileWriting) {
  TempDir dir;
  OutFile out;
  ASSERT_TRUE(out.create((dir / "big.psd").c_str()));
  out.put("partial");
  std::vector<std::string> names = dir.list();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].rfind(".big.psd.tolvane-", 0), 0u) << names[0];
  DWORD attrs = GetFileAttributesW(wide(dir / names[0]).c_str());
  EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_HIDDEN));
  out.abort();
  EXPECT_TRUE(dir.list().empty()) << "abort removes the temporary";
}

TEST(OutFilePathsWindows, FileHeldOpenByAnotherProgramIsLeftAlone) {
  TempDir dir;
  const std::string path = dir / "open.obj";
  writeFile(path, "theirs");
  // Another program holds the file without letting anyone delete or write it.
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  OutFile out;
  if (out.create(path.c_str())) {
    out.put("mine");
    EXPECT_FALSE(out.commit());
  }
  CloseHandle(h);
  EXPECT_EQ(readFile(path), "theirs");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"open.obj"});
}

TEST(OutFilePathsWindows, DevicesAreWrittenNotReplaced) {
  std::string data(1 << 20, 'x');
  EXPECT_TRUE(tolvane::writeWholeFile("NUL", data.data(), data.size()));
  EXPECT_FALSE(tolvane::writeWholeFile("NUL", "x", 1, OutFile::Mode::NoReplace));
}

TEST(OutFilePathsWindows, ReadOnlyFilesAreRefused) {
  if (!readOnlyIsEnforced()) GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
  TempDir dir;
  const std::string path = dir / "locked.obj";
  writeFile(path, "locked");
  SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY);
  OutFile out;
  EXPECT_FALSE(out.create(path.c_str()));
  EXPECT_FALSE(out.openAppend(path.c_str()));
  SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(readFile(path), "locked");
}
#endif
