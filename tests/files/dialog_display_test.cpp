// The file chooser on a real display: Xvfb, zenity and xdotool typing as a user would; skipped when one
// is missing. Every wait is bounded; a dialog that does not end in time loses its display, which ends it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "files/desktop.h"

using testsupport::call;

namespace {

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Runs a command line, killed after `seconds`; true when it succeeded.
bool run(const std::string& line, int seconds = 10) {
  return std::system(("timeout -s KILL " + std::to_string(seconds) + " " + line + " 2>/dev/null").c_str()) == 0;
}

// An X server of our own, on a display number it picks and writes down once it accepts connections.
class Xvfb {
 public:
  Xvfb() {
    std::system(("Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>" + dir_ / "display" +
                 " >/dev/null 2>&1 </dev/null & echo $! >" + dir_ / "pid")
                    .c_str());
    pid_ = std::atoi(testsupport::readFile(dir_ / "pid").c_str());
    std::string number;
    for (int i = 0; i < 400 && number.find('\n') == std::string::npos; ++i, pause(50))
      number = testsupport::readFile(dir_ / "display");
    if (number.size() > 1) display_ = ":" + number.substr(0, number.find('\n'));
  }
  ~Xvfb() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && kill(pid_, 0) == 0; ++i) pause(50);
    kill(pid_, SIGKILL);
  }
  const std::string& display() const { return display_; }
  void pullThePlug() { kill(pid_, SIGKILL); }
 private:
  testsupport::TempDir dir_;
  pid_t pid_ = -1;
  std::string display_;
};

// Runs GetOpenDialog while a thread plays the user: it waits for the window titled so, focuses it, sends `keys`.
float dialogWith(Xvfb& x, const std::function<void()>& keys) {
  std::atomic<bool> ended{false};
  std::thread user([&] {
    testsupport::TempDir dir;
    if (run("xdotool search --sync --onlyvisible --name '^Choose files to Multi Append\\.\\.\\.$' >" + dir / "window",
            40)) {
      std::string window = testsupport::readFile(dir / "window");
      run("xdotool windowfocus --sync " + window.substr(0, window.find('\n')));
      pause(1000);
      keys();
    } else {
      ADD_FAILURE() << "the dialog window did not appear";
    }
    for (int i = 0; i < 1800 && !ended; ++i) pause(50);
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

// Types `keys` until the dialog returns `count`: on a loaded machine a listing not yet shown when ctrl+a
// was pressed chooses fewer files, and a user would try again.
float typeUntil(Xvfb& x, float count, const std::vector<std::string>& keys) {
  float chosen = -1;
  for (int attempt = 0; attempt < 3 && chosen != count; ++attempt) {
    chosen = dialogWith(x, [&] {
      for (const std::string& key : keys) {
        run("xdotool " + key, 30);
        pause(key == "key Return" ? 2500 : 300);
      }
    });
  }
  return chosen;
}

// What a user types to pick every file (three) of `folder`.
float chooseAllIn(Xvfb& x, const std::string& folder) {
  return typeUntil(x, 3.0f,
                   {"key ctrl+l", "type --delay 15 '" + folder + "/'", "key Return", "key ctrl+a", "key Return"});
}

// Paths 1..count as GetFilePath gives them (its refusals are the fake desktop's tests).
std::set<std::string> chosenPaths(int count) {
  std::set<std::string> paths;
  for (int n = 1; n <= count; ++n) {
    char buf[300] = {};
    EXPECT_EQ(call("GetFilePath", nullptr, n, buf), 0.0f) << n;
    paths.insert(std::string(buf, strnlen(buf, 256)));
  }
  return paths;
}

}  // namespace

TEST(FileChooserOnDisplay, ChooseAndCancelLikeAUser) {
  for (const char* tool : {"Xvfb", "zenity", "xdotool"})
    if (std::system(("command -v " + std::string(tool) + " >/dev/null").c_str()) != 0)
      GTEST_SKIP() << tool << " is not installed";
  Xvfb x;
  ASSERT_GT(x.display().size(), 1u) << "Xvfb did not start";
  filestest::EnvOverride display("DISPLAY", x.display().c_str()), wayland("WAYLAND_DISPLAY", nullptr),
      noBus("NO_AT_BRIDGE", "1");  // no accessibility bus to wait for
  bool ready = false;              // answers once it has taken its first client
  for (int i = 0; i < 50 && !ready; ++i) ready = run("xdotool getmouselocation >/dev/null", 5) || (pause(200), false);
  ASSERT_TRUE(ready) << "the display " << x.display() << " does not answer";
  testsupport::TempDir dir;
  const std::string three = dir / "three";
  testsupport::makeDir(three);
  for (const char* name : {"a1.obj", "b2.obj", "c3.obj"}) testsupport::writeFile(three + "/" + name, name);
  ASSERT_EQ(chooseAllIn(x, three), 3.0f);
  const std::set<std::string> chosen = {three + "/a1.obj", three + "/b2.obj", three + "/c3.obj"};
  EXPECT_EQ(chosenPaths(3), chosen);
  EXPECT_EQ(dialogWith(x, [] { run("xdotool key Escape"); }), 0.0f);  // cancel keeps the earlier choice
  EXPECT_EQ(chosenPaths(3), chosen);
  // Opened without going anywhere, the dialog shows the script's folder: all shown is its one file.
  // Escape ends a dialog that showed nothing to choose.
  const std::string here = dir / "here";
  testsupport::makeDir(here);
  testsupport::writeFile(here + "/start.obj", "x");
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(here.c_str()), 0);
  const float shown = typeUntil(x, 1.0f, {"key ctrl+a", "key Return", "key Escape"});
  EXPECT_EQ(chdir(cwd), 0);
  std::free(cwd);
  ASSERT_EQ(shown, 1.0f);
  EXPECT_EQ(chosenPaths(1), std::set<std::string>{here + "/start.obj"});
}
