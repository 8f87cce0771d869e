// tolvane-call: a command-line host for libtolvane.
//
// Loads the library with dlopen, exactly as the host application does, and
// calls entry points by name, in order, in one process, so that state kept
// between calls (face IDs, group list, name set, open folder...) carries from
// one call to the next.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "entries.h"

using namespace tolvane_call;

namespace {

using EntryFn = float (*)(const char*, double, char*);

constexpr size_t kBufferSize = 65536;

const char* kUsage =
    "usage: tolvane-call [options] NAME [ARG...] [-- NAME [ARG...]]...\n"
    "       tolvane-call [options] -f SCRIPT     (SCRIPT '-' reads standard input)\n"
    "\n"
    "Calls libtolvane entry points in order, in one process, so state kept\n"
    "between calls (face IDs, group list, name set, open folder) carries over.\n"
    "\n"
    "Arguments: give only those the entry point reads, in the order text,\n"
    "number, buffer (see --list); or give all three positionally as\n"
    "TEXT NUMBER BUFFER. '-' passes a null text or buffer and 0 as number.\n"
    "Output buffers are provided (64 KiB, zeroed) and printed after the call.\n"
    "\n"
    "Script lines hold one call each (NAME ARG...); words may be quoted with\n"
    "'...' or \"...\"; '#' starts a comment.\n"
    "\n"
    "options:\n"
    "  --lib PATH     library to load (default: libtolvane.so next to this\n"
    "                 program, then ../lib, then the loader's search path;\n"
    "                 or $TOLVANE_LIBRARY)\n"
    "  -k, --keep-going  go on after a call that failed\n"
    "  -q, --quiet    print only output buffers\n"
    "  --list         list the entry points with their arguments and codes\n"
    "  -h, --help     this text and the list\n"
    "\n"
    "Exit status: 0 when every call succeeded, 1 when a call failed,\n"
    "2 for a usage error or a library that cannot be loaded.\n";

void printList() {
  std::printf("%-18s %-30s %-28s %s\n", "entry point", "text", "number", "buffer");
  for (const Entry& e : kEntries) {
    const char* buf = e.buffer == Buf::None ? "-" : e.bufferRole;
    std::string bufText = e.buffer == Buf::Out ? std::string("out: ") + buf : std::string(buf);
    std::printf("%-18s %-30s %-28s %s\n", e.name, e.text ? e.text : "-", e.number ? e.number : "-",
                bufText.c_str());
    std::printf("%-18s   result: %s\n", "", e.codes);
  }
}

const Entry* findEntry(const std::string& name) {
  for (const Entry& e : kEntries)
    if (name == e.name) return &e;
  return nullptr;
}

std::string selfFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  std::string s(path);
  size_t slash = s.rfind('/');
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

void* loadLibrary(const std::string& explicitPath) {
  std::vector<std::string> tries;
  if (!explicitPath.empty()) {
    tries.push_back(explicitPath);
  } else if (const char* env = std::getenv("TOLVANE_LIBRARY"); env && *env) {
    tries.push_back(env);
  } else {
    std::string here = selfFolder();
    tries = {here + "/libtolvane.so", here + "/../lib/libtolvane.so", here + "/../lib/libtolvane.so.4",
             "libtolvane.so", "libtolvane.so.4"};
  }
  std::string errors;
  for (const std::string& path : tries) {
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    errors += std::string("  ") + dlerror() + "\n";
  }
  std::fprintf(stderr, "tolvane-call: cannot load the library:\n%s", errors.c_str());
  return nullptr;
}

// What a result means, in a few words.
std::string meaning(const Entry* e, float r) {
  if (!e) return r == 0 ? "ok" : "";
  switch (e->ok) {
    case Ok::Any:
      return "ok";
    case Ok::NonNegative:
      if (r >= 0) return "ok";
      break;
    case Ok::Zero:
      if (r == 0) return "ok";
      break;
  }
  return std::string("failed; ") + e->codes;
}

bool succeeded(const Entry* e, float r) {
  if (!e) return r >= 0;
  switch (e->ok) {
    case Ok::Any:
      return true;
    case Ok::NonNegative:
      return r >= 0;
    case Ok::Zero:
      return r == 0;
  }
  return false;
}

bool parseNumber(const std::string& s, double& out) {
  if (s.empty() || s == "-") {
    out = 0;
    return true;
  }
  errno = 0;
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return end && *end == 0 && errno != ERANGE;
}

struct Options {
  bool quiet = false;
  bool keepGoing = false;
};

// Runs one call; returns 0 ok, 1 failed, 2 usage error.
int runCall(void* lib, const std::vector<std::string>& words, const Options& opt) {
  const std::string& name = words[0];
  const Entry* e = findEntry(name);
  dlerror();
  auto fn = reinterpret_cast<EntryFn>(dlsym(lib, name.c_str()));
  if (!fn) {
    std::fprintf(stderr, "tolvane-call: no entry point named '%s' (see --list)\n", name.c_str());
    return 2;
  }
  std::vector<std::string> args(words.begin() + 1, words.end());
  std::string text = "-", number = "-", buffer = "-";
  bool haveText = false, haveBuffer = false;
  if (args.size() == 3 || !e) {
    if (args.size() > 3) {
      std::fprintf(stderr, "tolvane-call: %s takes at most 3 arguments\n", name.c_str());
      return 2;
    }
    if (args.size() > 0) text = args[0], haveText = true;
    if (args.size() > 1) number = args[1];
    if (args.size() > 2) buffer = args[2], haveBuffer = true;
  } else {
    size_t want = (e->text ? 1 : 0) + (e->number ? 1 : 0) + (e->buffer == Buf::In ? 1 : 0);
    if (args.size() != want) {
      std::fprintf(stderr, "tolvane-call: %s takes %zu argument%s (%s%s%s%s%s), got %zu\n", name.c_str(), want,
                   want == 1 ? "" : "s", e->text ? e->text : "", e->text && e->number ? ", " : "",
                   e->number ? e->number : "", (e->text || e->number) && e->buffer == Buf::In ? ", " : "",
                   e->buffer == Buf::In ? e->bufferRole : "", args.size());
      return 2;
    }
    size_t i = 0;
    if (e->text) text = args[i++], haveText = true;
    if (e->number) number = args[i++];
    if (e->buffer == Buf::In) buffer = args[i++], haveBuffer = true;
  }
  double num = 0;
  if (!parseNumber(number, num)) {
    std::fprintf(stderr, "tolvane-call: %s: '%s' is not a number\n", name.c_str(), number.c_str());
    return 2;
  }
  const char* textArg = haveText && text != "-" ? text.c_str() : nullptr;
  std::vector<char> buf;
  char* bufArg = nullptr;
  bool outBuffer = e ? e->buffer == Buf::Out : !haveBuffer;
  if (outBuffer || (haveBuffer && buffer != "-")) {
    buf.assign(std::max(kBufferSize, buffer.size() + 1), 0);
    if (haveBuffer && buffer != "-") std::memcpy(buf.data(), buffer.data(), buffer.size());
    bufArg = buf.data();
  }

  float r = fn(textArg, num, bufArg);
  std::fflush(stdout);
  bool ok = succeeded(e, r);
  if (!opt.quiet) std::printf("%s = %g (%s)\n", name.c_str(), double(r), meaning(e, r).c_str());
  if (outBuffer && bufArg && bufArg[0]) {
    // Buffers need not end in a zero byte (GetFilePath fills 256 bytes).
    size_t n = strnlen(bufArg, buf.size());
    std::fwrite(bufArg, 1, n, stdout);
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
  return ok ? 0 : 1;
}

// Splits a script line into words; quotes group, '#' outside quotes ends it.
bool splitLine(const std::string& line, std::vector<std::string>& words) {
  words.clear();
  std::string cur;
  bool inWord = false;
  char quote = 0;
  for (char c : line) {
    if (quote) {
      if (c == quote) quote = 0;
      else cur += c;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == '#' && !inWord) {
      break;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(cur), cur.clear(), inWord = false;
    } else {
      cur += c;
      inWord = true;
    }
  }
  if (quote) return false;
  if (inWord) words.push_back(cur);
  return true;
}

int runScript(void* lib, const std::string& path, const Options& opt) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    file.open(path);
    if (!file) {
      std::fprintf(stderr, "tolvane-call: cannot read script %s\n", path.c_str());
      return 2;
    }
    in = &file;
  }
  std::string line;
  std::vector<std::string> words;
  int status = 0;
  for (int lineNo = 1; std::getline(*in, line); ++lineNo) {
    if (!splitLine(line, words)) {
      std::fprintf(stderr, "tolvane-call: %s:%d: unclosed quote\n", path.c_str(), lineNo);
      return 2;
    }
    if (words.empty()) continue;
    int r = runCall(lib, words, opt);
    if (r == 2) {
      std::fprintf(stderr, "tolvane-call: %s:%d: call not made\n", path.c_str(), lineNo);
      return 2;
    }
    if (r != 0) {
      status = 1;
      if (!opt.keepGoing) return status;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  std::string libPath, script;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      std::puts("");
      printList();
      return 0;
    } else if (a == "--list") {
      printList();
      return 0;
    } else if (a == "--lib" && i + 1 < argc) {
      libPath = argv[++i];
    } else if (a == "-q" || a == "--quiet") {
      opt.quiet = true;
    } else if (a == "-k" || a == "--keep-going") {
      opt.keepGoing = true;
    } else if (a == "-f" && i + 1 < argc) {
      script = argv[++i];
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      std::fprintf(stderr, "tolvane-call: unknown option %s\n%s", a.c_str(), kUsage);
      return 2;
    } else {
      break;
    }
  }
  if (script.empty() && i >= argc) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  void* lib = loadLibrary(libPath);
  if (!lib) return 2;
  if (!script.empty()) return runScript(lib, script, opt);

  int status = 0;
  while (i < argc) {
    if (std::string(argv[i]) == "--") {
      ++i;
      continue;
    }
    std::vector<std::string> words;
    while (i < argc && std::string(argv[i]) != "--") words.push_back(argv[i++]);
    int r = runCall(lib, words, opt);
    if (r == 2) return 2;
    if (r != 0) {
      status = 1;
      if (!opt.keepGoing) break;
    }
  }
  return status;
}
