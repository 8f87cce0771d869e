// tolvane-call: a command-line host for libtolvane.
//
// Loads the library exactly as the host application does, and calls entry
// points by name, in order, in one process, so that state kept between calls
// (face IDs, group list, name set, open folder...) carries from one call to
// the next. Options are read here; call.h names the other parts.
#include <cstdio>
#include <string>
#include <vector>

#include "call.h"

using namespace tolvane_call;

namespace {

const char* kUsage =
    "usage: tolvane-call [options] NAME [ARG...] [-- NAME [ARG...]]...\n"
    "       tolvane-call [options] -f SCRIPT     (SCRIPT '-' reads standard input)\n"
    "       tolvane-call --inspect [--json] FILE...\n"
    "       tolvane-call --hint RESULT NAME TEXT NUMBER BUFFER\n"
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
    "results are printed in full, so a count can feed the next call. A call\n"
    "that failed, or a split that wrote no file, gets a 'hint:' line with the\n"
    "likely cause and fix. Long scripts show a progress line on a terminal.\n"
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
    "  -q, --quiet    print only output buffers (and no hints)\n"
    "  --inspect FILE...  read each Qiv, Qit, OBJ, group list, PSD or BMP file\n"
    "                 as the library would and say what each operation will\n"
    "                 return and why; files named together are read together\n"
    "                 (a Qit with its mesh, an OBJ with a group list)\n"
    "  --json         with --inspect: one JSON object a file, a line each\n"
    "  --hint RESULT NAME TEXT NUMBER BUFFER  the hint line for a call made\n"
    "                 elsewhere (the Python binding) that returned RESULT\n"
    "  --list [NAME]  list the entry points (or one) with arguments and codes\n"
    "  -h, --help [NAME]  this text and the list\n"
    "\n"
    "Exit status: 0 when every call succeeded, 1 when a call failed (later\n"
    "calls are skipped unless -k), 2 for a usage error, an unknown entry\n"
    "point, a bad number or a library that cannot be loaded.\n";

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

struct Command {
  Options opt;
  std::string libPath, script;
  bool haveScript = false;
  bool inspect = false, json = false;
  int first = 1;     // argv index of the first call's name
  int status = -1;   // set when the options alone settle the exit status
};

// Reads the options before the first call. Help and list are printed here.
Command readOptions(int argc, char** argv) {
  Command c;
  int& i = c.first;
  for (; i < argc && c.status < 0; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      std::puts("");
      c.status = listEntries(argc, argv, i);
    } else if (a == "--list") {
      c.status = listEntries(argc, argv, i);
    } else if (a == "--lib" || a == "-f") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "tolvane-call: %s needs a %s\n", a.c_str(), a == "-f" ? "script file (or -)" : "path");
        c.status = 2;
        break;
      }
      (a == "-f" ? c.script : c.libPath) = argv[++i];
      c.haveScript = c.haveScript || a == "-f";
    } else if (a == "--hint") {
      c.status = runHint(std::vector<std::string>(argv + i + 1, argv + argc));
    } else if (a == "--inspect" || a == "--json") {
      (a == "--json" ? c.json : c.inspect) = true;
    } else if (a == "-q" || a == "--quiet") {
      c.opt.quiet = true;
    } else if (a == "-k" || a == "--keep-going") {
      c.opt.keepGoing = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      std::fprintf(stderr, "tolvane-call: unknown option %s\n%s", a.c_str(), kUsage);
      c.status = 2;
    } else {
      break;
    }
  }
  return c;
}

// The calls of the command line, separated by "--". Returns the exit status.
int runArguments(void* lib, int argc, char** argv, int i, const Options& opt) {
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

}  // namespace

int run(int argc, char** argv) {
  Command c = readOptions(argc, argv);
  if (c.status >= 0) return c.status;
  if (c.inspect || c.json) {
    if (!c.inspect || c.haveScript || c.first >= argc) {
      std::fprintf(stderr, "tolvane-call: --inspect needs files and no calls (--json goes with it)\n");
      return 2;
    }
    return runInspect(std::vector<std::string>(argv + c.first, argv + argc), c.json);
  }
  if (c.haveScript && c.first < argc) {
    std::fprintf(stderr, "tolvane-call: give calls either in the script or on the command line, not both\n");
    return 2;
  }
  if (!c.haveScript && c.first >= argc) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  void* lib = loadLibrary(c.libPath);
  if (!lib) return 2;
  return c.haveScript ? runScript(lib, c.script, c.opt) : runArguments(lib, argc, argv, c.first, c.opt);
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
