// Files, chosen paths and URLs as a Windows user meets them: drive and network paths, "\" and "/", UTF-8
// names, file URLs, programs never started as URLs; and the dialog driven as a user would where it can be
// shown (TOLVANE_DIALOG_TEST=1, which .ci/windows.sh sets on a virtual display).
#if defined(_WIN32)

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "files/files.h"
#include "files/platform/platform.h"
#include "support/support.h"

extern tolvane::platform::DescList docList;

namespace platform = tolvane::platform;
using namespace testsupport;

TEST(WindowsFiles, FoldersCopiesAndDeletesByAnySpelling) {
  for (const char* trailing : {"", "\\", "/"}) {
    TempDir dir;
    const std::string folder = backslashed(dir.path()) + trailing;
    ASSERT_EQ(folder.compare(1, 2, ":\\"), 0) << "a drive path: " << folder;
    for (const char* name : {"a.txt", "r\xC3\xA9sum\xC3\xA9.obj", "keep"}) writeFile(dir / name, "");  // "résumé.obj"
    EXPECT_EQ(call("EmptyFolder", folder.c_str(), 0, nullptr), 0.0f) << folder;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep"}) << folder;
  }
  TempDir dir;
  const std::string text = "v 1 2 3\r\nf 1 2 3\r\n\x1A tail";  // CR LF and Ctrl-Z stay bytes
  const std::string src = dir / "Mesh \xE6\x97\xA5.obj";       // "Mesh 日.obj"
  writeFile(src, text);
  ASSERT_EQ(call("OpenFolder", backslashed(dir.path()).c_str(), 0, nullptr), 0.0f);
  std::vector<std::string> names;
  char buf[1024];
  while (call("GetFile", nullptr, 0, buf) == 0) names.push_back(buf);
  EXPECT_EQ(call("CloseFolder", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "Mesh \xE6\x97\xA5.obj"}));
  ASSERT_EQ(call("FileCopyTo", src.c_str(), 0, backslashed(dir / "copy.obj")), 0.0f);
  EXPECT_EQ(readFile(dir / "copy.obj"), text);
  // The same file under another spelling is still the only copy of it.
  EXPECT_EQ(call("FileCopyTo", src.c_str(), 0, backslashed(dir.path()) + "\\MESH \xE6\x97\xA5.OBJ"), -1.0f);
  EXPECT_EQ(readFile(src), text);
  EXPECT_TRUE(call("FileDelete", backslashed(src).c_str(), 0, nullptr) == 0.0f && !exists(src));
  EXPECT_EQ(call("FileDelete", (dir / "bad\xFF.obj").c_str(), 0, nullptr), -1.0f) << "not UTF-8: no such file";
}

TEST(WindowsFiles, ChosenPathsComeInMacRomanElseUtf8) {
  docList.items = {{"C:\\Meshes\\caf\xC3\xA9 \xE2\x80\xA0.obj"},  // é and † exist in Mac Roman
                   {"D:\\\xE6\x97\xA5\\x.obj"},                   // 日 does not
                   {"\\\\server\\share\\a b.obj"},
                   {"relative\\x.obj"}};
  char out[300];
  std::memset(out, 'z', sizeof out);
  const char* want[] = {"C:\\Meshes\\caf\x8E \xA0.obj", "D:\\\xE6\x97\xA5\\x.obj", "\\\\server\\share\\a b.obj"};
  for (int n = 1; n <= 3; ++n) {
    ASSERT_EQ(tolvane::chosenFilePath(n, out), 0.0f) << n;
    EXPECT_STREQ(out, want[n - 1]);
  }
  EXPECT_EQ(out[255], 0) << "padded with zero bytes";
  EXPECT_EQ(tolvane::chosenFilePath(4, out), 66666.0f) << "not an absolute path";
  EXPECT_EQ(tolvane::chosenFilePath(5, out), -2101.0f);
  tolvane::clearFileList();
  EXPECT_FALSE(platform::stringToCText("\xC4\x81", out, sizeof out, platform::kMacRoman)) << "ā has no best fit";
  EXPECT_FALSE(platform::stringToCText("abcd", out, 4, platform::kMacRoman)) << "no room for the zero byte";
  EXPECT_EQ(platform::stringLength("a\xF0\x9F\x98\x80"), 3) << "UTF-16 units";
}

TEST(WindowsFiles, FileUrlsOfDriveAndNetworkPathsAndNoProgramsStarted) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Users\\me\\a b#1.obj", "file:///C:/Users/me/a%20b%231.obj"},
      {"c:/x/t\xC3\xAAte", "file:///c:/x/t%C3%AAte"},
      {"\\\\server\\share\\m.qiv", "file://server/share/m.qiv"},
  };
  for (const auto& [path, text] : cases) {
    platform::Url url;
    ASSERT_TRUE(platform::urlFromFileRef({path}, url)) << path;
    EXPECT_EQ(url.text, text);
    platform::String back;
    ASSERT_TRUE(platform::urlFileSystemPath(url, back)) << text;
    EXPECT_EQ(back, backslashed(path));
  }
  platform::Url url;
  for (const char* notAbsolute : {"x.obj", "\\x.obj", "C:x.obj", ""})
    EXPECT_FALSE(platform::urlFromFileRef({notAbsolute}, url)) << notAbsolute;
  platform::String path;
  for (const char* bad : {"file:///x.obj", "file:///C:/%FF", "file:///C:/a%00b", "http://h/C:/x", "file:///C:/%4"})
    EXPECT_FALSE(platform::urlFileSystemPath({bad}, path)) << bad;
  for (const char* program : {"C:/Windows/System32/calc.exe", "c:calc.exe", "C:\\Windows\\notepad.exe"})
    EXPECT_EQ(call("inPut", program, 0, nullptr), -1.0f) << program;
  // A URL no handler is registered for: the shell starts nothing, quietly.
  EXPECT_EQ(call("inPut", "tolvane-no-such-scheme:x", 0, nullptr), -2105.0f);
}

// Plays the user while GetOpenDialog runs: waits for the dialog, types
// `names` (none: presses Cancel) and ends it. `seen`: a dialog appeared.
static float dialogAnsweredWith(const std::wstring& names, bool& seen) {
  std::thread user([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && !(dialog = FindWindowW(nullptr, L"Choose files to Multi Append...")); ++i) Sleep(50);
    if (!(seen = dialog != nullptr)) return;
    Sleep(300);                                 // let it finish filling its folder view
    HWND box = GetDlgItem(dialog, 0x47C);       // cmb13, the "File name" box of the common dialog
    if (!box) box = GetDlgItem(dialog, 0x480);  // edt1, older layouts
    SetWindowTextW(box, names.c_str());
    const int button = names.empty() ? IDCANCEL : IDOK;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(dialog, button)));
  });
  float chosen = call("GetOpenDialog", nullptr, 0, nullptr);
  user.join();
  return chosen;
}

TEST(WindowsDialog, ChoosesSeveralFilesAndCancelKeepsThem) {
  const char* wanted = std::getenv("TOLVANE_DIALOG_TEST");
  if (!wanted || std::string(wanted) != "1") GTEST_SKIP() << "set TOLVANE_DIALOG_TEST=1 where the dialog can be shown";
  TempDir dir;
  for (const char* name : {"a.obj", "b b.obj"}) writeFile(dir / name, "");
  const std::string folder = backslashed(dir.path());
  wchar_t saved[MAX_PATH] = L"";  // the dialog opens in the current folder
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(wide(folder).c_str());
  bool seen = false;
  float chosen = dialogAnsweredWith(L"\"a.obj\" \"b b.obj\"", seen);
  char path[256];
  float second = call("GetFilePath", nullptr, 2, path);
  float cancelled = dialogAnsweredWith(L"", seen);
  SetCurrentDirectoryW(saved);
  ASSERT_TRUE(seen) << "no window titled Choose files to Multi Append...";
  ASSERT_EQ(chosen, 2.0f);
  EXPECT_EQ(std::pair(second, std::string(path)), std::pair(0.0f, folder + "\\b b.obj"));
  EXPECT_EQ(cancelled, 0.0f);
  ASSERT_EQ(call("GetFilePath", nullptr, 1, path), 0.0f) << "a cancelled dialog keeps the last choice";
  EXPECT_EQ(std::string(path), folder + "\\a.obj");
  EXPECT_EQ(call("ClearFileList", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(call("GetFilePath", nullptr, 1, path), -2101.0f);
}

#endif  // _WIN32
