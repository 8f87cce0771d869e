// File services, chosen-file paths and URLs as a Windows user meets them:
// drive and network paths, "\" and "/" alike, UTF-8 names, file URLs of
// drive paths, and programs that must never be started as URLs.
#if defined(_WIN32)

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/files.h"
#include "files/platform/platform.h"
#include "support/support.h"

extern tolvane::platform::DescList docList;

namespace platform = tolvane::platform;
using testsupport::call;
using testsupport::exists;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::string backslashed(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

}  // namespace

TEST(WindowsFolders, EmptyFolderTakesEitherSeparatorAndATrailingOne) {
  for (const char* trailing : {"", "\\", "/"}) {
    TempDir dir;
    const std::string folder = backslashed(dir.path()) + trailing;
    ASSERT_EQ(folder.compare(1, 2, ":\\"), 0) << "a drive path: " << folder;
    writeFile(dir / "a.txt", "");
    writeFile(dir / "r\xC3\xA9sum\xC3\xA9.obj", "");  // "résumé.obj"
    writeFile(dir / "keep", "");
    EXPECT_EQ(call("EmptyFolder", folder.c_str(), 0, nullptr), 0.0f) << folder;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep"}) << folder;
  }
}

TEST(WindowsFolders, WalkDeliversUtf8Names) {
  TempDir dir;
  const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC.qiv";  // "日本.qiv"
  writeFile(dir / name, "");
  ASSERT_EQ(call("OpenFolder", backslashed(dir.path()).c_str(), 0, nullptr), 0.0f);
  std::vector<std::string> names;
  char buf[1024];
  while (call("GetFile", nullptr, 0, buf) == 0) names.push_back(buf);
  EXPECT_EQ(call("CloseFolder", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", name}));
}

TEST(WindowsFiles, CopyAndDeleteByAnySpelling) {
  TempDir dir;
  const std::string text = "v 1 2 3\r\nf 1 2 3\r\n\x1A tail";  // CR LF and Ctrl-Z stay bytes
  const std::string src = dir / "Mesh \xC3\xA9.obj";
  writeFile(src, text);
  ASSERT_EQ(call("FileCopyTo", src.c_str(), 0, backslashed(dir / "copy.obj")), 0.0f);
  EXPECT_EQ(readFile(dir / "copy.obj"), text);

  // The same file under another spelling is still the only copy of it.
  const std::string shouting = backslashed(dir.path()) + "\\MESH \xC3\xA9.OBJ";
  EXPECT_EQ(call("FileCopyTo", src.c_str(), 0, shouting), -1.0f);
  EXPECT_EQ(readFile(src), text);

  EXPECT_EQ(call("FileDelete", backslashed(src).c_str(), 0, nullptr), 0.0f);
  EXPECT_FALSE(exists(src));
  EXPECT_EQ(call("FileDelete", (dir / "bad\xFF.obj").c_str(), 0, nullptr), -1.0f) << "not UTF-8: no such file";
}

TEST(WindowsChooser, ChosenPathsComeInMacRomanElseUtf8) {
  docList.items = {{"C:\\Meshes\\caf\xC3\xA9 \xE2\x80\xA0.obj"},  // é and † exist in Mac Roman
                   {"D:\\\xE6\x97\xA5\\x.obj"},                    // 日 does not
                   {"\\\\server\\share\\a b.obj"},
                   {"relative\\x.obj"}};
  char out[300];
  std::memset(out, 'z', sizeof out);
  ASSERT_EQ(tolvane::chosenFilePath(1, out), 0.0f);
  EXPECT_STREQ(out, "C:\\Meshes\\caf\x8E \xA0.obj");
  EXPECT_EQ(out[255], 0) << "padded with zero bytes";
  ASSERT_EQ(tolvane::chosenFilePath(2, out), 0.0f);
  EXPECT_STREQ(out, "D:\\\xE6\x97\xA5\\x.obj");
  ASSERT_EQ(tolvane::chosenFilePath(3, out), 0.0f);
  EXPECT_STREQ(out, "\\\\server\\share\\a b.obj");
  EXPECT_EQ(tolvane::chosenFilePath(4, out), 66666.0f) << "not an absolute path";
  EXPECT_EQ(tolvane::chosenFilePath(5, out), -2101.0f);
  tolvane::clearFileList();
}

TEST(WindowsUrls, FileUrlsOfDriveAndNetworkPaths) {
  struct {
    const char* path;
    const char* url;
  } cases[] = {
      {"C:\\Users\\me\\a b#1.obj", "file:///C:/Users/me/a%20b%231.obj"},
      {"c:/x/t\xC3\xAAte", "file:///c:/x/t%C3%AAte"},
      {"\\\\server\\share\\m.qiv", "file://server/share/m.qiv"},
  };
  for (const auto& c : cases) {
    platform::Url url;
    ASSERT_TRUE(platform::urlFromFileRef({c.path}, url)) << c.path;
    EXPECT_EQ(url.text, c.url);
    platform::String back;
    ASSERT_TRUE(platform::urlFileSystemPath(url, back)) << c.url;
    EXPECT_EQ(back, backslashed(c.path));
  }
  platform::Url url;
  for (const char* notAbsolute : {"x.obj", "\\x.obj", "C:x.obj", ""})
    EXPECT_FALSE(platform::urlFromFileRef({notAbsolute}, url)) << notAbsolute;
  platform::String path;
  for (const char* bad : {"file:///x.obj", "file:///C:/%FF", "file:///C:/a%00b", "http://h/C:/x", "file:///C:/%4"})
    EXPECT_FALSE(platform::urlFileSystemPath({bad}, path)) << bad;
}

TEST(WindowsUrls, MacRomanConversionFailsRatherThanGuessing) {
  char out[16];
  EXPECT_TRUE(platform::stringToCText("\xC3\xA9\xE2\x80\xA0", out, sizeof out, platform::kMacRoman));
  EXPECT_STREQ(out, "\x8E\xA0");
  EXPECT_FALSE(platform::stringToCText("\xC4\x81", out, sizeof out, platform::kMacRoman)) << "ā has no best fit";
  EXPECT_FALSE(platform::stringToCText("abcd", out, 4, platform::kMacRoman)) << "no room for the zero byte";
  EXPECT_EQ(platform::stringLength("a\xF0\x9F\x98\x80"), 3) << "UTF-16 units";
}

TEST(WindowsUrls, DrivePathsAreNeverStartedAsUrls) {
  for (const char* program : {"C:/Windows/System32/calc.exe", "c:calc.exe", "C:\\Windows\\notepad.exe"})
    EXPECT_EQ(call("inPut", program, 0, nullptr), -1.0f) << program;
  // A URL no handler is registered for: the shell starts nothing, quietly.
  EXPECT_EQ(call("inPut", "tolvane-no-such-scheme:x", 0, nullptr), -2105.0f);
  platform::Url url;
  EXPECT_TRUE(platform::urlFromString("https://example.com/a%20b?q=1#top", url));
  EXPECT_TRUE(platform::urlFromString("mailto:artist@example.com", url));
}

#endif  // _WIN32
