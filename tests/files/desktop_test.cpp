// The file chooser and URL launcher against fake desktop programs: the dialog's arguments, counts,
// statuses, list and 256-byte paths; what counts as a URL, and xdg-open started without a shell.
#include "files/desktop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdio_ext.h>
#include <thread>

#include "common/result_codes.h"

using filestest::EnvOverride;
using filestest::FakeDesktop;
using testsupport::call;

namespace {

// GetFilePath n into 300 bytes of 'X': the code, and the first 256 bytes up to a zero ("" if untouched).
std::pair<float, std::string> path(int n, std::string* all = nullptr) {
  std::string buf(300, 'X');
  float code = call("GetFilePath", nullptr, n, buf.data());
  if (all) *all = buf;
  return {code, buf == std::string(300, 'X') ? "" : std::string(buf.c_str(), strnlen(buf.c_str(), 256))};
}

float choose() { return call("GetOpenDialog", nullptr, 0, nullptr); }
float chooseWith(FakeDesktop& desk, const std::string& out, int code, const std::string& err = "") {
  return desk.program("zenity", out, code, err), choose();
}

// Waits (bounded) for a file to appear.
bool appears(const std::string& file) {
  for (int i = 0; i < 500 && !testsupport::exists(file); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // written in one go, but give it a moment
  return testsupport::exists(file);
}

}  // namespace

TEST(FileChooser, AsksZenityThenKdialogForSeveralFiles) {
  FakeDesktop desk;
  desk.program("zenity", "/m/a.obj\n/m/b.obj\n/m/c d.obj\n", 0);
  desk.program("kdialog", "", 1);
  ASSERT_EQ(choose(), 3.0f);
  // Both choosers start in the folder the script works in.
  const std::string here = std::filesystem::current_path().string() + "/";
  EXPECT_EQ(desk.args("zenity"), "--file-selection\n--multiple\n--separator=\n\n--title=Choose files to Multi Append...\n"
                                 "--filename=" + here + "\n");
  EXPECT_FALSE(testsupport::exists(desk.dir() / "kdialog.args"));
  EXPECT_EQ(path(1).second, "/m/a.obj");
  std::string all;
  EXPECT_EQ(path(3, &all), std::pair(0.0f, std::string("/m/c d.obj")));
  // Zero bytes up to 256, nothing written past them.
  EXPECT_EQ(all.substr(10), std::string(246, '\0') + std::string(44, 'X'));
  for (double n : {0.0, 4.0, -1.0, 0.9}) EXPECT_EQ(path(int(n)), std::pair(tolvane::kNoChosenFile, std::string())) << n;
  EXPECT_EQ(call("GetFilePath", nullptr, 3.9, nullptr), -1.0f);  // no buffer
  // Cancel, and OK with nothing chosen, keep the previous list.
  EXPECT_EQ(chooseWith(desk, "", 1), 0.0f);
  EXPECT_EQ(chooseWith(desk, "", 0), 0.0f);
  EXPECT_EQ(path(2).second, "/m/b.obj");
  unlink((desk.dir() / "zenity").c_str());
  desk.program("kdialog", "/k/one.obj\n/k/two.obj\n", 0);
  ASSERT_EQ(choose(), 2.0f);
  EXPECT_EQ(desk.args("kdialog"), "--title\nChoose files to Multi Append...\n--getopenfilename\n" + here +
                                      "\n--multiple\n--separate-output\n");
  EXPECT_EQ(path(2).second, "/k/two.obj");
  EXPECT_EQ(path(3).first, tolvane::kNoChosenFile);  // a new choice replaces the list whole
  EXPECT_EQ(call("ClearFileList", nullptr, 0, nullptr), 0.0f);
  EXPECT_EQ(path(1).first, tolvane::kNoChosenFile);
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
  EXPECT_EQ(chooseWith(desk, "", 1, "(zenity:1): Gtk-WARNING **: cannot open display: :fake\n"),
            tolvane::kDialogNoDisplay);
  EXPECT_EQ(chooseWith(desk, "/a.obj\n", 5), tolvane::kDialogFailed);   // timed out, or an error of its own
  EXPECT_EQ(chooseWith(desk, "/a.obj\n", -9), tolvane::kDialogFailed);  // killed
  {
    EnvOverride nothing("PATH", (desk.dir() / "empty").c_str());
    EXPECT_EQ(choose(), tolvane::kDialogNoChooser);
  }
  EXPECT_EQ(path(1).second, "/a.obj");  // the one choice that succeeded
}

// Paths in Mac Roman or kept as UTF-8, the bytes around the 256-byte limit, and unconvertible paths.
TEST(FileChooser, PathsInMacRomanCutAt256OrRefused) {
  FakeDesktop desk;
  std::string longPath = "/" + std::string(290, 'p') + "/x.obj";  // 297 bytes
  desk.program("zenity",
               "relative/x.obj\n"  // not a file reference (first, or it joins the path before it)
               "/m/\xE2\x80\xA0\n/m/\xD0\xB6\n" +
                   longPath +
                   "\n/m/name\nwith newline.obj\n"
                   "/m/\xFF\xFE.obj\n"                                     // not text
                   "/\xE6\xBC\xA2\xE5\xAD\x97\xE6\xBC\xA2\xE5\xAD\x97\n",  // 3 UTF-8 bytes per character: no room
               0);
  ASSERT_EQ(choose(), 7.0f);
  EXPECT_EQ(path(1), std::pair(tolvane::kPathNotConverted, std::string()));
  EXPECT_EQ(path(2).second, "/m/\xA0");
  EXPECT_EQ(path(3).second, "/m/\xD0\xB6");  // Cyrillic: not in Mac Roman, kept as UTF-8
  std::string all;
  EXPECT_EQ(path(4, &all).first, 0.0f);
  EXPECT_EQ(all, longPath.substr(0, 256) + std::string(44, 'X'));  // no zero byte
  EXPECT_EQ(path(5).second, "/m/name\nwith newline.obj");
  for (int n : {6, 7}) EXPECT_EQ(path(n).first, tolvane::kPathNotConvertedUtf8) << n;
}

TEST(OpenUrl, HandsTheUrlToXdgOpenAsOneArgument) {
  FakeDesktop desk;
  EXPECT_EQ(call("inPut", "https://example.org/", 0, nullptr), tolvane::kUrlNotStarted);  // no opener installed
  desk.program("xdg-open", "", 4);  // started, then failed on its own: not the launcher's status
  const std::string record = desk.dir() / "xdg-open.args", marker = desk.dir() / "pwned";
  // Characters a shell would act on are plain URL characters here.
  const std::string sneaky = "http://x/$(touch$IFS" + marker + ")';touch$IFS" + marker + ";'&x=1";
  for (const std::string& url : {std::string("https://example.org/a?b=1&c=%20d#top"),
                                 std::string("mailto:someone@example.org"), std::string("file:///tmp/x.obj"), sneaky}) {
    unlink(record.c_str());
    EXPECT_EQ(call("inPut", url.c_str(), 0, nullptr), 0.0f) << url;
    EXPECT_TRUE(appears(record)) << url;
    EXPECT_EQ(desk.args("xdg-open"), url + "\n");
  }
  EXPECT_FALSE(testsupport::exists(marker));
  unlink(record.c_str());
  for (const char* text : {"not a url", "", "example.org", "://x", "1http://x", "-x:y", "http://a b",
                           "http://x/;rm -rf ~", "http://x/`id`", "http://x/%zz", "http://x/%4g", "http://x/%4",
                           "http://x/\"q\"", "http://x/<tag>", "http://x/a#b#c", "http://x/caf\xC3\xA9", "http://x/\n",
                           "--help:x"}) {
    // In a buffer of its exact size, so that a read past its end shows.
    std::vector<char> exact(text, text + std::strlen(text) + 1);
    EXPECT_EQ(call("inPut", exact.data(), 0, nullptr), -1.0f) << text;
  }
  EXPECT_EQ(call("inPut", nullptr, 0, nullptr), -1.0f);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(testsupport::exists(record));
}

TEST(OpenUrl, FlushesWhatTheScriptPrinted) {
  std::fputs(" ", stdout);  // no line feed: stays buffered in a pipe or file
  call("inPut", "not a url", 0, nullptr);
  EXPECT_EQ(__fpending(stdout), 0u);
}
