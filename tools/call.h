// tolvane-call's parts: loading the library, the entry point table as a
// caller reads it, and preparing and running calls.
#pragma once

#include <string>
#include <vector>

#include "host/entry_table.h"
#include "inspect/inspect.h"

namespace tolvane_call {

using tolvane::table::Entry;
using EntryFn = float (*)(const char*, double, char*);

// --- call_library.cpp: the library, found and loaded as the host does ---
#if defined(_WIN32)
std::string narrow(const wchar_t* w);  // UTF-16 to UTF-8
#endif
// --lib, else $TOLVANE_LIBRARY, else the places beside this program;
// nullptr (after saying why) when none loads.
void* loadLibrary(const std::string& explicitPath);
void* findSymbol(void* lib, const char* name);

// --- call_table.cpp: what the table says to a caller ---
const Entry* findEntry(const std::string& name);
// Prints the entry points (all, or the one named `only` in any case);
// false when none matched.
bool printList(const char* only);
bool succeeded(const Entry* e, float r);
// "ok", "ok: faces read", "failed: no face IDs loaded".
std::string meaning(const Entry* e, float r, bool ok);
// Says why `name` cannot be called: a slip of case, or an older library.
void reportMissing(const std::string& name, const Entry* e);

// --- call_run.cpp: calls from words, run in order ---
struct Options {
  bool quiet = false;
  bool keepGoing = false;
  bool progress = false;  // a progress line on a terminal (long scripts)
};

// One call, checked and converted, ready to run.
struct Call {
  std::string name;
  const Entry* entry = nullptr;
  EntryFn fn = nullptr;
  std::string text, buffer;
  bool nullText = true, nullBuffer = true;
  double number = 0;
};

// False (after saying why) when the name is unknown, the argument count is
// wrong or the number does not parse.
bool prepareCall(void* lib, const std::vector<std::string>& words, Call& call);
// Runs the calls in order; the first failure stops the rest unless -k.
// Returns the exit status: 0 all succeeded, 1 one failed.
int runCalls(const std::vector<Call>& calls, const Options& opt);
// Reads the whole script ("-": standard input) and checks every call
// before the first one runs. Returns the exit status.
int runScript(void* lib, const std::string& path, const Options& opt);

// --- call_inspect.cpp: the inspector's verdicts for a user ---
// Prints what each operation will make of each file, as text or one JSON
// object a line. 1 when a file cannot be opened or is of no known kind.
int runInspect(const std::vector<std::string>& paths, bool json);
// --hint RESULT NAME TEXT NUMBER BUFFER ('-' for a null text or buffer):
// prints the hint line for that call, or nothing. 2 for bad words.
int runHint(const std::vector<std::string>& words);

// What the hints need to know of the calls made so far in this process.
struct CallState {
  tolvane::inspect::Settings settings;
  CallState() { settings.faceIdsLoaded = false; }
  void after(const Call& call, float result);
  // "hint: ..." for a call that failed or wrote nothing, else "".
  std::string hint(const Call& call, float result);
};

}  // namespace tolvane_call
