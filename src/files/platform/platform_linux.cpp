// The desktop services on Linux: the dialog is a chooser program run as a
// child process (zenity, else kdialog), URLs open through xdg-open. Nothing
// goes through a shell: every program gets its arguments as they are.
#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/platform/dialog.h"
#include "files/platform/platform.h"

extern char** environ;

namespace tolvane::platform {

namespace {

// Full path of `name` along $PATH, empty when it is not installed.
std::string findProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

struct ChildResult {
  bool started = false;
  int exitCode = -1;  // -1 when killed by a signal
  std::string out, err;
};

// Reads both pipes until the child has closed them.
void drain(int outFd, int errFd, ChildResult& r) {
  struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&r.out, &r.err};
  char chunk[4096];
  int open = 2;
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0 && sinks[i]->size() < (size_t(1) << 24)) sinks[i]->append(chunk, size_t(n));
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

// Runs `argv` with stdin from /dev/null and stdout, stderr captured, and
// waits for it to end.
ChildResult runChild(const std::string& program, const std::vector<std::string>& args) {
  ChildResult r;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return r;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]), close(outPipe[1]);
    return r;
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  pid_t pid = -1;
  r.started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  if (r.started) drain(outPipe[0], errPipe[0], r);
  close(outPipe[0]);
  close(errPipe[0]);
  if (!r.started) return r;

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// One path per line. Every chosen path is absolute, so a piece that does not
// start with "/" belongs to the name before it (a file name with a newline).
std::vector<FileRef> parsePaths(const std::string& out) {
  std::vector<FileRef> paths;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string piece = out.substr(start, end - start);
    if (!piece.empty() && piece[0] != '/' && !paths.empty()) {
      paths.back().path += '\n' + piece;
    } else if (!piece.empty()) {
      paths.push_back({piece});
    }
    start = end + 1;
  }
  return paths;
}

struct Chooser {
  const char* program;
  std::vector<std::string> (*arguments)(const std::string& program, const DialogOptions& options);
};

// The folder the script works in, ending in "/" (which tells zenity it is a
// folder, not a file to preselect); empty when it has been removed. Without
// it the choosers open on their recent files, empty on a fresh account.
std::string startFolder() {
  char* cwd = getcwd(nullptr, 0);
  std::string folder = cwd ? cwd : "";
  std::free(cwd);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::vector<std::string> zenityArgs(const std::string& program, const DialogOptions& options) {
  std::vector<std::string> args = {program, "--file-selection", "--multiple", "--separator=\n",
                                   "--title=" + options.windowTitle};
  if (std::string folder = startFolder(); !folder.empty()) args.push_back("--filename=" + folder);
  return args;
}

std::vector<std::string> kdialogArgs(const std::string& program, const DialogOptions& options) {
  std::vector<std::string> args = {program, "--title", options.windowTitle, "--getopenfilename"};
  if (std::string folder = startFolder(); !folder.empty()) args.push_back(folder);
  args.insert(args.end(), {"--multiple", "--separate-output"});
  return args;
}

const Chooser kChoosers[] = {{"zenity", zenityArgs}, {"kdialog", kdialogArgs}};

// What the user did, from the chooser's exit: 0 chose, 1 cancelled or closed
// the window (unless the program never reached the display).
Status finishDialog(Dialog* dialog, const ChildResult& r) {
  if (!r.started) return kChooserFailed;
  if (r.exitCode == 0) {
    dialog->action = kActionOpen;
    dialog->chosen = parsePaths(r.out);
    return kNoErr;
  }
  if (r.exitCode == 1) {
    // GTK's words when the display does not answer (Qt's choosers abort).
    if (r.err.find("cannot open display") != std::string::npos) return kNoDisplay;
    dialog->action = kActionCancel;
    return kNoErr;
  }
  return kChooserFailed;
}

}  // namespace

Status runDialog(Dialog* dialog) {
  if (!hasDisplay()) return kNoDisplay;
  for (const Chooser& chooser : kChoosers) {
    std::string program = findProgram(chooser.program);
    if (program.empty()) continue;
    Status status = finishDialog(dialog, runChild(program, chooser.arguments(program, dialog->options)));
    if (status != kNoErr) return status;
    sendUserAction(dialog);
    return kNoErr;
  }
  return kNoChooser;
}

}  // namespace tolvane::platform
