// The file chooser's logic against fake chooser programs: what the dialog
// is asked for, the counts and statuses, the 1-based list, and the path
// conversion into the host's 256-byte buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/result_codes.h"
#include "files/desktop.h"
#include "support/support.h"

using filestest::EnvOverride;
using filestest::FakeDesktop;
using testsupport::call;

namespace {

constexpr float kNoEntry = tolvane::kNoChosenFile;

// GetFilePath n into a 300-byte buffer pre-filled with 'X'.
struct PathResult {
  float code;
  std::string bytes;  // all 300 bytes
};

PathResult path(int n) {
  std::string buf(300, 'X');
  float code = call("GetFilePath", nullptr, n, buf.data());
  return {code, buf};
}

// The first 256 bytes of a delivered path, up to the first zero byte.
std::string text(const PathResult& r) { return std::string(r.bytes.c_str(), strnlen(r.bytes.c_str(), 256)); }

float choose() { return call("GetOpenDialog", nullptr, 0, nullptr); }

}  // namespace

TEST(FileChooser, AsksZenityForSeveralFilesUnderTheTitle) {
  FakeDesktop desk;
  desk.program("zenity", "/m/a.obj\n/m/b.obj\n/m/c d.obj\n", 0);
  desk.program("kdialog", "", 1);
  ASSERT_EQ(choose(), 3.0f);
  EXPECT_EQ(desk.args("zenity"),
            "--file-selection\n--multiple\n--separator=\n\n--title=Choose files to Multi Append...\n");
  EXPECT_FALSE(testsupport::exists(desk.dir() / "kdialog.args"));

  EXPECT_EQ(text(path(1)), "/m/a.obj");
  EXPECT_EQ(text(path(2)), "/m/b.obj");
  PathResult third = path(3);
  EXPECT_EQ(third.code, 0.0f);
  EXPECT_EQ(text(third), "/m/c d.obj");
  // Zero bytes up to 256, nothing written past them.
  EXPECT_EQ(third.bytes.substr(10, 246), std::string(246, '\0'));
  EXPECT_EQ(third.bytes.substr(256), std::string(44, 'X'));

  for (double n : {0.0, 4.0, -1.0, 0.9}) {
    PathResult r = path(int(n));
    EXPECT_EQ(r.code, kNoEntry) << n;
    EXPECT_EQ(r.bytes, std::string(300, 'X')) << n;
  }
  EXPECT_EQ(call("GetFilePath", nullptr, 3.9, nullptr), -1.0f);  // no buffer
  EXPECT_EQ(call("ClearFileList", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(path(1).code, kNoEntry);
}

TEST(FileChooser, FallsBackToKdialog) {
  FakeDesktop desk;
  desk.program("kdialog", "/k/one.obj\n/k/two.obj\n", 0);
  ASSERT_EQ(choose(), 2.0f);
  EXPECT_EQ(desk.args("kdialog"),
            "--title\nChoose files to Multi Append...\n--getopenfilename\n--multiple\n--separate-output\n");
  EXPECT_EQ(text(path(2)), "/k/two.obj");
}

TEST(FileChooser, CancelAndEmptyChoiceKeepThePreviousList) {
  FakeDesktop desk;
  desk.program("zenity", "/keep/me.obj\n", 0);
  ASSERT_EQ(choose(), 1.0f);
  desk.program("zenity", "", 1);  // Cancel, or the window closed
  EXPECT_EQ(choose(), 0.0f);
  desk.program("zenity", "", 0);  // OK with nothing chosen
  EXPECT_EQ(choose(), 0.0f);
  EXPECT_EQ(text(path(1)), "/keep/me.obj");
  // A new choice replaces the list whole.
  desk.program("zenity", "/new/x.obj\n", 0);
  ASSERT_EQ(choose(), 1.0f);
  EXPECT_EQ(text(path(1)), "/new/x.obj");
  EXPECT_EQ(path(2).code, kNoEntry);
}

TEST(FileChooser, NoDisplayNoChooserOrABrokenChooserIsAPlatformStatus) {
  FakeDesktop desk;
  desk.program("zenity", "/a.obj\n", 0);
  {
    EnvOverride noX("DISPLAY", nullptr);
    EXPECT_EQ(choose(), tolvane::kDialogNoDisplay);
    EnvOverride emptyX("DISPLAY", "");
    EXPECT_EQ(choose(), tolvane::kDialogNoDisplay);
    EnvOverride wayland("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(choose(), 1.0f);
  }
  desk.program("zenity", "", 1, "(zenity:1): Gtk-WARNING **: cannot open display: :fake\n");
  EXPECT_EQ(choose(), tolvane::kDialogNoDisplay);
  desk.program("zenity", "/a.obj\n", 5);  // timed out, or an error of its own
  EXPECT_EQ(choose(), tolvane::kDialogFailed);
  desk.program("zenity", "/a.obj\n", -9);  // killed
  EXPECT_EQ(choose(), tolvane::kDialogFailed);
  {
    filestest::EnvOverride nothing("PATH", (desk.dir() / "empty").c_str());
    EXPECT_EQ(choose(), tolvane::kDialogNoChooser);
  }
  EXPECT_EQ(text(path(1)), "/a.obj");  // the one choice that succeeded
}

// Conversion into Mac Roman on a real display is in the display test; here
// the bytes around the 256-byte limit and the paths it cannot convert.
TEST(FileChooser, PathsInMacRomanCutAt256OrRefused) {
  FakeDesktop desk;
  std::string longPath = "/" + std::string(290, 'p') + "/x.obj";  // 297 bytes
  desk.program("zenity",
               "relative/x.obj\n"  // not a file reference (first, or it joins the path before it)
               "/m/\xE2\x80\xA0\n/m/\xD0\xB6\n" + longPath + "\n/m/name\nwith newline.obj\n"
               "/m/\xFF\xFE.obj\n"                                        // not text
               "/\xE6\xBC\xA2\xE5\xAD\x97\xE6\xBC\xA2\xE5\xAD\x97\n",  // 3 UTF-8 bytes per character: no room
               0);
  ASSERT_EQ(choose(), 7.0f);
  PathResult r = path(1);
  EXPECT_EQ(r.code, tolvane::kPathNotConverted);
  EXPECT_EQ(r.bytes, std::string(300, 'X'));
  EXPECT_EQ(text(path(2)), "/m/\xA0");
  EXPECT_EQ(text(path(3)), "/m/\xD0\xB6");  // Cyrillic: not in Mac Roman, kept as UTF-8
  PathResult cut = path(4);
  EXPECT_EQ(cut.code, 0.0f);
  EXPECT_EQ(cut.bytes, longPath.substr(0, 256) + std::string(44, 'X'));  // no zero byte
  EXPECT_EQ(text(path(5)), "/m/name\nwith newline.obj");
  EXPECT_EQ(path(6).code, tolvane::kPathNotConvertedUtf8);
  EXPECT_EQ(path(7).code, tolvane::kPathNotConvertedUtf8);
}
