// The file chooser end to end on a real display: Xvfb, the real zenity, and
// xdotool typing as a user would. Skipped when any of the three is missing.
// Every wait is bounded; a dialog that does not end in time loses its
// display, which ends it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <set>
#include <string>
#include <thread>

#include "files/desktop.h"
#include "support/support.h"

extern char** environ;

using filestest::runFor;
using testsupport::call;
using testsupport::TempDir;

namespace {

// An X server of our own, on a display number it picks itself.
class Xvfb {
 public:
  Xvfb() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 200);
    const char* argv[] = {"Xvfb", "-displayfd", "200", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr};
    if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    // The server writes its display number and a line feed once it accepts
    // connections; the pipe stays open for as long as it runs (it stops if
    // it cannot write there).
    numberFd_ = fds[0];
    std::string number;
    struct pollfd p = {numberFd_, POLLIN, 0};
    char c;
    while (pid_ > 0 && poll(&p, 1, 20000) > 0 && read(numberFd_, &c, 1) == 1 && c != '\n') number += c;
    if (!number.empty()) display_ = ":" + number;
  }
  ~Xvfb() {
    if (numberFd_ >= 0) close(numberFd_);
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) usleep(50 * 1000);
    if (waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }
  void pullThePlug() { kill(pid_, SIGKILL); }

 private:
  pid_t pid_ = -1;
  int numberFd_ = -1;
  std::string display_;
};

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool xdotool(std::vector<std::string> args, double seconds = 10) {
  args.insert(args.begin(), "xdotool");
  return runFor(args, seconds) == 0;
}

// Runs GetOpenDialog while a second thread acts as the user: it waits for
// the dialog's window (by its exact title), focuses it and sends `keys`.
float dialogWith(Xvfb& x, const std::function<void()>& keys) {
  std::atomic<bool> ended{false};
  std::thread user([&] {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    std::string window;
    if (runFor({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Choose files to Multi Append\\.\\.\\.$"}, 40,
               &window) == 0) {
      window = window.substr(0, window.find('\n'));
      xdotool({"windowfocus", "--sync", window});
      pause(1000);
      keys();
    } else {
      ADD_FAILURE() << "the dialog window did not appear";
    }
    while (!ended && std::chrono::steady_clock::now() < deadline) pause(50);
    if (!ended) {
      ADD_FAILURE() << "the dialog did not end; closing its display";
      x.pullThePlug();
    }
  });
  float result = call("GetOpenDialog", nullptr, 0, nullptr);
  ended = true;
  user.join();
  return result;
}

// What a user types to pick every file of `folder`.
void chooseAllIn(const std::string& folder) {
  xdotool({"key", "ctrl+l"});
  pause(300);
  xdotool({"type", "--delay", "15", folder + "/"}, 30);
  pause(300);
  xdotool({"key", "Return"});
  pause(2500);
  xdotool({"key", "ctrl+a"});
  pause(300);
  xdotool({"key", "Return"});
}

// A loaded machine can be slower than the typing: a folder listing that
// had not appeared when ctrl+a was pressed chooses fewer files. Such a
// dialog is simply run again, as a user would.
float chooseAllPatiently(Xvfb& x, const std::string& folder) {
  float chosen = -1;
  for (int attempt = 0; attempt < 3 && chosen != 3.0f; ++attempt) {
    chosen = dialogWith(x, [&] { chooseAllIn(folder); });
  }
  return chosen;
}

std::set<std::string> chosenPaths(int count) {
  std::set<std::string> paths;
  for (int n = 1; n <= count; ++n) {
    char buf[300];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(call("GetFilePath", nullptr, n, buf), 0.0f) << n;
    paths.insert(std::string(buf, strnlen(buf, 256)));
  }
  return paths;
}

}  // namespace

TEST(FileChooserOnDisplay, ChooseCancelAndConvertLikeAUser) {
  for (const char* tool : {"Xvfb", "zenity", "xdotool"}) {
    if (std::system(("command -v " + std::string(tool) + " >/dev/null").c_str()) != 0)
      GTEST_SKIP() << tool << " is not installed";
  }
  Xvfb x;
  ASSERT_GT(x.display().size(), 1u) << "Xvfb did not start";
  filestest::EnvOverride display("DISPLAY", x.display().c_str());
  // Answers once it has taken its first client.
  bool ready = false;
  for (int i = 0; i < 50 && !ready; ++i) ready = xdotool({"getmouselocation"}, 5) || (pause(200), false);
  ASSERT_TRUE(ready) << "the display " << x.display() << " does not answer";
  filestest::EnvOverride wayland("WAYLAND_DISPLAY", nullptr);
  filestest::EnvOverride noBus("NO_AT_BRIDGE", "1");  // no accessibility bus to wait for

  TempDir dir;
  std::string three = dir / "three";
  mkdir(three.c_str(), 0755);
  for (const char* name : {"a1.obj", "b2.obj", "c3.obj"}) testsupport::writeFile(three + "/" + name, name);

  ASSERT_EQ(chooseAllPatiently(x, three), 3.0f);
  EXPECT_EQ(chosenPaths(3), (std::set<std::string>{three + "/a1.obj", three + "/b2.obj", three + "/c3.obj"}));
  for (int n : {0, 4}) {
    char buf[300];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_NE(call("GetFilePath", nullptr, n, buf), 0.0f) << n;
    EXPECT_EQ(std::string(buf, sizeof buf), std::string(300, 'X')) << n;
  }

  // Cancel: 0, and the earlier choice stays.
  EXPECT_EQ(dialogWith(x, [] { xdotool({"key", "Escape"}); }), 0.0f);
  EXPECT_EQ(chosenPaths(3).count(three + "/b2.obj"), 1u);

  // A deep folder: a 300-byte path, one that Mac Roman holds, one it cannot.
  std::string deep = dir / std::string(180, 'd');
  mkdir(deep.c_str(), 0755);
  std::string longName = std::string(300 - deep.size() - 1 - 4, 'n') + ".obj";
  std::string roman = "caf\xC3\xA9.obj", cyrillic = "\xD0\xB6\xD0\xB8\xD1\x80.obj";
  for (const std::string& name : {longName, roman, cyrillic}) testsupport::writeFile(deep + "/" + name, "x");
  ASSERT_EQ(chooseAllPatiently(x, deep), 3.0f);
  std::set<std::string> paths = chosenPaths(3);
  EXPECT_EQ(paths.count(deep + "/caf\x8E.obj"), 1u);
  EXPECT_EQ(paths.count(deep + "/" + cyrillic), 1u);
  EXPECT_EQ(paths.count((deep + "/" + longName).substr(0, 256)), 1u);
}
