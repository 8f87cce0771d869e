// tolvane-call: a command-line host for libtolvane.
//
// Loads the library (dlopen, LoadLibrary) exactly as the host application does, and
// calls entry points by name, in order, in one process, so that state kept
// between calls (face IDs, group list, name set, open folder...) carries from
// one call to the next.
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
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
    "Each call prints 'NAME = RESULT (ok|failed: meaning)'; whole-number\n"
    "results are printed in full, so a count can feed the next call.\n"
    "\n"
    "Script lines hold one call each (NAME ARG...); words may be quoted with\n"
    "'...' or \"...\" (backslashes stay as they are); '#' at the start of a\n"
    "word begins a comment.\n"
    "\n"
    "examples:\n"
    "  tolvane-call getFaceIDs mesh.qiv 1 -- qivtoOBJ mesh.qiv mesh.obj\n"
    "  tolvane-call -q CheckName body          # prints only the unique name\n"
    "  tolvane-call -f job.txt                 # one call per line\n"
    "\n"
    "options:\n"
    "  --lib PATH     library to load (default: $TOLVANE_LIBRARY, else\n"
    "                 libtolvane.so next to this program, then the installed\n"
    "                 libdir beside it, then the loader's search path)\n"
    "  -k, --keep-going  go on after a call that failed\n"
    "  -q, --quiet    print only output buffers\n"
    "  --list [NAME]  list the entry points (or one) with arguments and codes\n"
    "  -h, --help [NAME]  this text and the list\n"
    "\n"
    "Exit status: 0 when every call succeeded, 1 when a call failed (later\n"
    "calls are skipped unless -k), 2 for a usage error, an unknown entry\n"
    "point, a bad number or a library that cannot be loaded.\n";

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Prints `label` and `text` wrapped at word boundaries to 78 columns, the
// continuation lines indented under the text.
void printWrapped(const char* label, const std::string& text) {
  const size_t indent = 4 + std::strlen(label), width = 78;
  std::string line = std::string(4, ' ') + label;
  size_t start = 0;
  while (start < text.size()) {
    size_t space = text.find(' ', start);
    std::string word = text.substr(start, space == std::string::npos ? std::string::npos : space - start);
    start = space == std::string::npos ? text.size() : space + 1;
    if (line.size() > indent && line.size() + 1 + word.size() > width) {
      std::puts(line.c_str());
      line = std::string(indent, ' ');
    } else if (line.size() > indent) {
      line += ' ';
    }
    line += word;
  }
  std::puts(line.c_str());
}

// Prints the entry points (all, or those named `only`, any case): a call
// synopsis with the arguments in the order they are given, what an output
// buffer receives, and the result codes. False when none matched.
bool printList(const char* only) {
  bool any = false;
  for (const Entry& e : kEntries) {
    if (only && lower(e.name) != lower(only)) continue;
    any = true;
    std::string synopsis = e.name;
    if (e.text) synopsis += std::string(" <") + e.text + ">";
    if (e.number) synopsis += std::string(" <") + e.number + ">";
    if (e.buffer == Buf::In) synopsis += std::string(" <") + e.bufferRole + ">";
    std::puts(synopsis.c_str());
    if (e.buffer == Buf::Out) printWrapped("prints: ", e.bufferRole);
    printWrapped("result: ", e.codes);
  }
  return any;
}

const Entry* findEntry(const std::string& name) {
  for (const Entry& e : kEntries)
    if (name == e.name) return &e;
  return nullptr;
}

#if defined(_WIN32)
std::wstring widen(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], int(w.size()));
  w.resize(n > 0 ? size_t(n) - 1 : 0);
  return w;
}

std::string narrow(const wchar_t* w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? size_t(n) : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  s.resize(n > 0 ? size_t(n) - 1 : 0);
  return s;
}

void* openLibrary(const std::string& path) { return reinterpret_cast<void*>(LoadLibraryW(widen(path).c_str())); }
void* findSymbol(void* lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
std::string loadError(const std::string& path) {
  return path + ": cannot be loaded (Windows error " + std::to_string(GetLastError()) + ")";
}

std::string selfFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return ".";
  std::string s = narrow(path);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

// Next to this program (the build folder, or bin/ of an install, where
// Windows keeps DLLs), then the loader's own search.
std::vector<std::string> defaultLibraryPaths() {
  return {selfFolder() + "\\tolvane.dll", "tolvane.dll"};
}
#else
void* openLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* findSymbol(void* lib, const char* name) { return dlsym(lib, name); }
std::string loadError(const std::string&) { return dlerror(); }

std::string selfFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  std::string s(path);
  size_t slash = s.rfind('/');
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

#ifndef TOLVANE_INSTALL_LIBDIR
#define TOLVANE_INSTALL_LIBDIR "lib"
#endif

// Where the library is looked for when neither --lib nor $TOLVANE_LIBRARY
// names it: the build folder (next to this program), the installed libdir
// beside our bin folder (lib, lib64 or lib/<triplet>), then the loader's path.
std::vector<std::string> defaultLibraryPaths() {
  std::string here = selfFolder();
  std::vector<std::string> tries = {here + "/libtolvane.so"};
  for (std::string dir : {std::string(TOLVANE_INSTALL_LIBDIR), std::string("lib")}) {
    std::string base = dir[0] == '/' ? dir : here + "/../" + dir;
    tries.push_back(base + "/libtolvane.so.4");
    tries.push_back(base + "/libtolvane.so");
  }
  tries.push_back("libtolvane.so.4");
  tries.push_back("libtolvane.so");
  return tries;
}
#endif

void* loadLibrary(const std::string& explicitPath) {
  std::vector<std::string> tries;
  if (!explicitPath.empty()) {
    tries.push_back(explicitPath);
  } else if (const char* env = std::getenv("TOLVANE_LIBRARY"); env && *env) {
    tries.push_back(env);
  } else {
    tries = defaultLibraryPaths();
  }
  std::string errors;
  for (const std::string& path : tries) {
    if (void* handle = openLibrary(path)) return handle;
    errors += "  " + loadError(path) + "\n";
  }
  std::fprintf(stderr, "tolvane-call: cannot load the library:\n%s", errors.c_str());
  return nullptr;
}

// The library-wide meaning of a failure code, for codes an entry's own list
// does not name.
const char* genericMeaning(float r) {
  struct Known {
    float code;
    const char* text;
  };
  static const Known kKnown[] = {
      {-1, "failed or cannot open"},    {-2, "missing argument or output not created"},
      {-3, "cannot create, or no more entries"}, {-4, "compressed image data"},
      {-5, "group list empty or output not writable"}, {-6, "image sizes differ"},
      {-7, "not a BMP file"},           {-9, "missing argument"},
      {-17, "Qiv not opened"},          {-18, "no face IDs or no vertex chunk"},
      {-201, "Qit not opened"},         {-301, "Qit length/count differ"},
      {-401, "Qiv not writable"},       {-1760, "input not opened"},
      {-1761, "input file damaged"},    {-1025, "too many groups"},
      {-1770, "outside the image"},     {-1771, "PSD header sections differ"},
      {-1772, "out of memory"},
      {-2101, "no chosen file there"},  {-2102, "no display for the dialog"},
      {-2103, "no file chooser installed"}, {-2104, "file chooser failed"},
      {-2105, "URL opener not started"},
  };
  for (const Known& k : kKnown)
    if (k.code == r) return k.text;
  return "unknown result";
}

// One item of an entry's codes text: "CODE words", "A or B words",
// "A..B words", or plain words (a description without a code).
struct CodeItem {
  bool numeric = false;
  double lo = 0, hi = 0, alt = NAN;
  std::string words;
};

CodeItem parseItem(std::string item) {
  CodeItem c;
  if (item.rfind("or ", 0) == 0) item.erase(0, 3);
  const char* p = item.c_str();
  char* end = nullptr;
  double first = std::strtod(p, &end);
  if (end == p || (*end != 0 && *end != ' ' && *end != '.')) {
    c.words = item;
    return c;
  }
  c.numeric = true;
  c.lo = c.hi = first;
  if (end[0] == '.' && end[1] == '.') {
    double second = std::strtod(end + 2, &end);
    c.lo = std::min(first, second), c.hi = std::max(first, second);
  } else if (std::strncmp(end, " or ", 4) == 0) {
    char* altEnd = nullptr;
    double alt = std::strtod(end + 4, &altEnd);
    if (altEnd != end + 4) c.alt = alt, end = altEnd;
  }
  while (*end == ' ') ++end;
  c.words = end;
  return c;
}

std::vector<CodeItem> parseCodes(const char* codes) {
  std::vector<CodeItem> items;
  std::string s = codes;
  for (size_t start = 0; start <= s.size();) {
    size_t comma = s.find(", ", start);
    if (comma == std::string::npos) comma = s.size();
    items.push_back(parseItem(s.substr(start, comma - start)));
    start = comma + 2;
  }
  return items;
}

// What a result means, in a few words: "ok", "ok: faces read",
// "failed: no face IDs loaded".
std::string meaning(const Entry* e, float r, bool ok) {
  std::string head = ok ? "ok" : "failed";
  if (!e) return ok ? head : head + ": " + genericMeaning(r);
  std::vector<CodeItem> items = parseCodes(e->codes);
  for (const CodeItem& c : items) {
    bool hit = c.numeric && ((r >= c.lo && r <= c.hi) || r == c.alt);
    if (hit) return c.words.empty() ? head + ": " + genericMeaning(r) : head + ": " + c.words;
  }
  // A counting entry's first words say what it counts; every other
  // description without a code tells a failure (a chunk tag, a status).
  bool countWords = e->ok == Ok::NonNegative && !items.empty() && !items[0].numeric;
  if (ok) return countWords ? head + ": " + items[0].words : head;
  std::string words;
  for (size_t i = countWords ? 1 : 0; i < items.size(); ++i) {
    const CodeItem& c = items[i];
    if (c.numeric || c.words.rfind("always", 0) == 0) continue;
    words += (words.empty() ? "" : "; ") + c.words;
  }
  return head + ": " + (words.empty() ? genericMeaning(r) : words);
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

enum class Num { Ok, NotNumber, OutOfRange };

// The number argument: '' or '-' is 0; otherwise the whole word must be a
// C floating-point literal (nan and inf included, for probing conversions).
Num parseNumber(const std::string& s, double& out) {
  out = 0;
  if (s.empty() || s == "-") return Num::Ok;
  errno = 0;
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || *end != 0) return Num::NotNumber;
  // Underflow gives 0 or a denormal, which is what the user asked for.
  if (errno == ERANGE && std::isinf(out)) return Num::OutOfRange;
  return Num::Ok;
}

struct Options {
  bool quiet = false;
  bool keepGoing = false;
};

// A result as text: whole numbers in full (a vertex offset of 1234567 must
// survive being pasted into the next call), others as %g (4.03).
std::string formatResult(float r) {
  char text[64];
  double d = r;
  if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
    std::snprintf(text, sizeof text, "%.0f", d);
  else
    std::snprintf(text, sizeof text, "%g", d);
  return text;
}

// Says why `name` cannot be called: a spelling slip (the names mix cases:
// qivtoOBJ, inPut), or an entry point this build of the library lacks.
void reportMissing(const std::string& name, const Entry* e) {
  if (e) {
    std::fprintf(stderr, "tolvane-call: entry point '%s' is not in this library (an older or partial build?)\n",
                 name.c_str());
    return;
  }
  for (const Entry& k : kEntries) {
    if (lower(k.name) == lower(name)) {
      std::fprintf(stderr, "tolvane-call: no entry point named '%s'; did you mean '%s'?\n", name.c_str(), k.name);
      return;
    }
  }
  std::fprintf(stderr, "tolvane-call: no entry point named '%s' (see --list)\n", name.c_str());
}

// One call, checked and converted, ready to run.
struct Call {
  std::string name;
  const Entry* entry = nullptr;
  EntryFn fn = nullptr;
  std::string text, buffer;
  bool nullText = true, nullBuffer = true;
  double number = 0;
};

// Reads one call from its words; false (after saying why) when the name is
// unknown, the argument count is wrong or the number does not parse.
bool prepareCall(void* lib, const std::vector<std::string>& words, Call& call) {
  call = Call();
  call.name = words[0];
  const std::string& name = call.name;
  const Entry* e = call.entry = findEntry(name);
  call.fn = reinterpret_cast<EntryFn>(findSymbol(lib, name.c_str()));
  if (!call.fn) {
    reportMissing(name, e);
    return false;
  }
  std::vector<std::string> args(words.begin() + 1, words.end());
  std::string number = "-";
  bool haveText = false, haveBuffer = false;
  if (args.size() == 3 || !e) {
    if (args.size() > 3) {
      std::fprintf(stderr, "tolvane-call: %s takes at most 3 arguments\n", name.c_str());
      return false;
    }
    if (args.size() > 0) call.text = args[0], haveText = true;
    if (args.size() > 1) number = args[1];
    if (args.size() > 2) call.buffer = args[2], haveBuffer = true;
  } else {
    size_t want = (e->text ? 1 : 0) + (e->number ? 1 : 0) + (e->buffer == Buf::In ? 1 : 0);
    if (args.size() != want) {
      std::string roles;
      for (const char* role : {e->text, e->number, e->buffer == Buf::In ? e->bufferRole : nullptr})
        if (role) roles += (roles.empty() ? "" : ", ") + std::string(role);
      if (want == 0)
        std::fprintf(stderr, "tolvane-call: %s takes no arguments (or all three: TEXT NUMBER BUFFER), got %zu\n",
                     name.c_str(), args.size());
      else
        std::fprintf(stderr, "tolvane-call: %s takes %zu argument%s (%s), or all three: TEXT NUMBER BUFFER; got %zu\n",
                     name.c_str(), want, want == 1 ? "" : "s", roles.c_str(), args.size());
      return false;
    }
    size_t i = 0;
    if (e->text) call.text = args[i++], haveText = true;
    if (e->number) number = args[i++];
    if (e->buffer == Buf::In) call.buffer = args[i++], haveBuffer = true;
  }
  switch (parseNumber(number, call.number)) {
    case Num::Ok:
      break;
    case Num::NotNumber:
      std::fprintf(stderr, "tolvane-call: %s: '%s' is not a number\n", name.c_str(), number.c_str());
      return false;
    case Num::OutOfRange:
      std::fprintf(stderr, "tolvane-call: %s: '%s' is out of range for a double\n", name.c_str(), number.c_str());
      return false;
  }
  call.nullText = !haveText || call.text == "-";
  call.nullBuffer = !haveBuffer || call.buffer == "-";
  return true;
}

// Runs one prepared call and prints its result; returns 0 ok, 1 failed.
int runCall(const Call& call, const Options& opt) {
  const Entry* e = call.entry;
  std::vector<char> buf;
  char* bufArg = nullptr;
  bool outBuffer = e ? e->buffer == Buf::Out : call.nullBuffer;
  if (outBuffer || !call.nullBuffer) {
    buf.assign(std::max(kBufferSize, call.buffer.size() + 1), 0);
    if (!call.nullBuffer) std::memcpy(buf.data(), call.buffer.data(), call.buffer.size());
    bufArg = buf.data();
  }

  float r = call.fn(call.nullText ? nullptr : call.text.c_str(), call.number, bufArg);
  std::fflush(stdout);
  bool ok = succeeded(e, r);
  if (!opt.quiet)
    std::printf("%s = %s (%s)\n", call.name.c_str(), formatResult(r).c_str(), meaning(e, r, ok).c_str());
  // A successful call's output is printed even when empty, so a script's
  // quiet output keeps one line per delivered string.
  if (outBuffer && bufArg && (ok || bufArg[0])) {
    // Buffers need not end in a zero byte (GetFilePath fills 256 bytes).
    size_t n = strnlen(bufArg, buf.size());
    std::fwrite(bufArg, 1, n, stdout);
    std::fputc('\n', stdout);
  }
  std::fflush(stdout);
  return ok ? 0 : 1;
}

// Runs the calls in order; the first failure stops the rest unless -k.
int runCalls(const std::vector<Call>& calls, const Options& opt) {
  int status = 0;
  for (const Call& call : calls) {
    if (runCall(call, opt) != 0) {
      status = 1;
      if (!opt.keepGoing) break;
    }
  }
  return status;
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

// Reads the whole script and checks every call before the first one runs,
// so a typo on the last line does not leave a job half done.
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
  const char* shown = path == "-" ? "<stdin>" : path.c_str();
  std::string line;
  std::vector<std::string> words;
  std::vector<Call> calls;
  for (int lineNo = 1; std::getline(*in, line); ++lineNo) {
    if (!splitLine(line, words)) {
      std::fprintf(stderr, "tolvane-call: %s:%d: unclosed quote; nothing was run\n", shown, lineNo);
      return 2;
    }
    if (words.empty()) continue;
    calls.emplace_back();
    if (!prepareCall(lib, words, calls.back())) {
      std::fprintf(stderr, "tolvane-call: %s:%d: bad call; nothing was run\n", shown, lineNo);
      return 2;
    }
  }
  return runCalls(calls, opt);
}

// --list [NAME]: every entry point, or those whose name matches NAME
// whatever its case. Returns the exit status.
int listEntries(int argc, char** argv, int i) {
  if (i + 1 >= argc) {
    printList(nullptr);
    return 0;
  }
  if (!printList(argv[i + 1])) {
    std::fprintf(stderr, "tolvane-call: no entry point named '%s' (see --list)\n", argv[i + 1]);
    return 2;
  }
  return 0;
}

}  // namespace

int run(int argc, char** argv) {
  Options opt;
  std::string libPath, script;
  bool haveScript = false;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      std::puts("");
      return listEntries(argc, argv, i);
    } else if (a == "--list") {
      return listEntries(argc, argv, i);
    } else if (a == "--lib" || a == "-f") {
      if (!hasValue) {
        std::fprintf(stderr, "tolvane-call: %s needs a %s\n", a.c_str(), a == "-f" ? "script file (or -)" : "path");
        return 2;
      }
      (a == "-f" ? script : libPath) = argv[++i];
      haveScript = haveScript || a == "-f";
    } else if (a == "-q" || a == "--quiet") {
      opt.quiet = true;
    } else if (a == "-k" || a == "--keep-going") {
      opt.keepGoing = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      std::fprintf(stderr, "tolvane-call: unknown option %s\n%s", a.c_str(), kUsage);
      return 2;
    } else {
      break;
    }
  }
  if (haveScript && i < argc) {
    std::fprintf(stderr, "tolvane-call: give calls either in the script or on the command line, not both\n");
    return 2;
  }
  if (!haveScript && i >= argc) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  void* lib = loadLibrary(libPath);
  if (!lib) return 2;
  if (haveScript) return runScript(lib, script, opt);

  std::vector<Call> calls;
  while (i < argc) {
    if (std::string(argv[i]) == "--") {
      ++i;
      continue;
    }
    std::vector<std::string> words;
    while (i < argc && std::string(argv[i]) != "--") words.push_back(argv[i++]);
    calls.emplace_back();
    if (!prepareCall(lib, words, calls.back())) return 2;
  }
  return runCalls(calls, opt);
}

#if defined(_WIN32)
// Arguments arrive as UTF-16 and are handed on as UTF-8, the library's text.
int wmain(int argc, wchar_t** wargv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(narrow(wargv[i]));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return run(argc, argv.data());
}
#else
int main(int argc, char** argv) { return run(argc, argv); }
#endif
