// inPut: what counts as a URL, and how xdg-open is started (never through a
// shell), against a fake xdg-open that records its arguments.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/result_codes.h"
#include "files/desktop.h"
#include "support/support.h"

using filestest::FakeDesktop;
using testsupport::call;

namespace {

float launch(const char* text) { return call("inPut", text, 0, nullptr); }

// Opens `url` and waits (bounded) for the fake opener's record of it.
std::string openedWith(FakeDesktop& desk, const char* url) {
  std::string record = desk.dir() / "xdg-open.args";
  unlink(record.c_str());
  EXPECT_EQ(launch(url), 0.0f) << url;
  EXPECT_TRUE(filestest::waitForFile(record, 10)) << url;
  usleep(50 * 1000);  // the record is written in one go, but give it a moment
  return desk.args("xdg-open");
}

}  // namespace

TEST(OpenUrl, HandsTheUrlToXdgOpenAsOneArgument) {
  FakeDesktop desk;
  desk.program("xdg-open", "", 0);
  EXPECT_EQ(openedWith(desk, "https://example.org/a?b=1&c=%20d#top"), "https://example.org/a?b=1&c=%20d#top\n");
  EXPECT_EQ(openedWith(desk, "mailto:someone@example.org"), "mailto:someone@example.org\n");
  EXPECT_EQ(openedWith(desk, "file:///tmp/x.obj"), "file:///tmp/x.obj\n");
  // Characters a shell would act on are plain URL characters here.
  std::string marker = desk.dir() / "pwned";
  std::string sneaky = "http://x/$(touch$IFS" + marker + ")';touch$IFS" + marker + ";'&x=1";
  EXPECT_EQ(openedWith(desk, sneaky.c_str()), sneaky + "\n");
  usleep(100 * 1000);
  EXPECT_FALSE(testsupport::exists(marker));
}

TEST(OpenUrl, TextsThatAreNotUrlsStartNothing) {
  FakeDesktop desk;
  desk.program("xdg-open", "", 0);
  for (const char* text : {"not a url", "", "example.org", "://x", "1http://x", "-x:y", "http://a b",
                           "http://x/;rm -rf ~", "http://x/`id`", "http://x/%zz", "http://x/%4", "http://x/\"q\"",
                           "http://x/<tag>", "http://x/a#b#c", "http://x/caf\xC3\xA9", "http://x/\n",
                           "--help:x"}) {
    EXPECT_EQ(launch(text), -1.0f) << text;
  }
  EXPECT_EQ(launch(nullptr), -1.0f);
  usleep(100 * 1000);
  EXPECT_FALSE(testsupport::exists(desk.dir() / "xdg-open.args"));
}

TEST(OpenUrl, StartStatusNotTheBrowsersFate) {
  FakeDesktop desk;
  EXPECT_EQ(launch("https://example.org/"), tolvane::kUrlNotStarted);  // no opener installed
  desk.program("xdg-open", "", 4);  // started, then failed on its own
  EXPECT_EQ(launch("https://example.org/"), 0.0f);
  EXPECT_TRUE(filestest::waitForFile(desk.dir() / "xdg-open.args", 10));
  usleep(100 * 1000);
}

TEST(OpenUrl, FlushesWhatTheScriptPrinted) {
  testsupport::TempDir dir;
  std::fflush(stdout);
  int saved = dup(1);
  int file = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(file, 1);
  close(file);
  std::fputs("before the browser", stdout);  // no line feed: stays buffered
  launch("not a url");
  std::string seen = testsupport::readFile(dir / "out");
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  EXPECT_EQ(seen, "before the browser");
}
