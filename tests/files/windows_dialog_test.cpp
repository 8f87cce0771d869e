// The file dialog itself, driven the way a user would: wait for the window
// titled "Choose files to Multi Append...", type the names, press Open or
// Cancel. Runs where the dialog can be shown (TOLVANE_DIALOG_TEST=1, which
// .ci/windows.sh sets when it runs the tests on a virtual display).
#if defined(_WIN32)

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "support/support.h"

using testsupport::call;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

constexpr wchar_t kTitle[] = L"Choose files to Multi Append...";
constexpr int kFileNameBox = 0x47C;  // cmb13, the "File name" box of the common dialog

std::wstring wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], int(w.size()));
  w.resize(n > 0 ? size_t(n) - 1 : 0);
  return w;
}

std::string backslashed(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

// Plays the user: waits for the dialog, types `names` (none: presses Cancel)
// and ends it. True when the dialog appeared.
bool answerDialog(const std::wstring& names, bool& seen) {
  HWND dialog = nullptr;
  for (int i = 0; i < 400 && !dialog; ++i) {
    dialog = FindWindowW(nullptr, kTitle);
    if (!dialog) Sleep(50);
  }
  seen = dialog != nullptr;
  if (!dialog) return false;
  Sleep(300);  // let it finish filling its folder view
  if (names.empty()) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return true;
  }
  HWND box = GetDlgItem(dialog, kFileNameBox);
  if (!box) box = GetDlgItem(dialog, 0x480);  // edt1, older layouts
  SetWindowTextW(box, names.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
  return true;
}

// The dialog opens in the current folder; the test's folder is current
// while it runs.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& path) {
    GetCurrentDirectoryW(MAX_PATH, saved_);
    SetCurrentDirectoryW(wide(path).c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryW(saved_); }

 private:
  wchar_t saved_[MAX_PATH] = L"";
};

bool dialogTestsWanted() {
  const char* wanted = std::getenv("TOLVANE_DIALOG_TEST");
  return wanted && std::string(wanted) == "1";
}

}  // namespace

TEST(WindowsDialog, ChoosesSeveralFilesAndCancelKeepsThem) {
  if (!dialogTestsWanted()) GTEST_SKIP() << "set TOLVANE_DIALOG_TEST=1 where the dialog can be shown";
  TempDir dir;
  writeFile(dir / "a.obj", "");
  writeFile(dir / "b b.obj", "");
  const std::string folder = backslashed(dir.path());
  CurrentFolder here(folder);

  bool seen = false;
  std::thread user([&] { answerDialog(L"\"a.obj\" \"b b.obj\"", seen); });
  float chosen = call("GetOpenDialog", nullptr, 0, nullptr);
  user.join();
  ASSERT_TRUE(seen) << "no window titled Choose files to Multi Append...";
  ASSERT_EQ(chosen, 2.0f);
  char path[256];
  ASSERT_EQ(call("GetFilePath", nullptr, 1, path), 0.0f);
  EXPECT_EQ(std::string(path), folder + "\\a.obj");
  ASSERT_EQ(call("GetFilePath", nullptr, 2, path), 0.0f);
  EXPECT_EQ(std::string(path), folder + "\\b b.obj");

  std::thread cancel([&] { answerDialog(L"", seen); });
  EXPECT_EQ(call("GetOpenDialog", nullptr, 0, nullptr), 0.0f);
  cancel.join();
  EXPECT_EQ(call("GetFilePath", nullptr, 2, path), 0.0f) << "a cancelled dialog keeps the last choice";
  EXPECT_EQ(call("ClearFileList", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(call("GetFilePath", nullptr, 1, path), -2101.0f);
}

#endif  // _WIN32
