// Calls from words (command line or script lines), checked before any runs,
// then run in order with their results printed.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "call.h"

namespace tolvane_call {
namespace {

using tolvane::table::Buf;

constexpr size_t kBufferSize = 65536;

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

// The arguments an entry point reads, in the order they are given.
std::vector<const char*> roles(const Entry& e) {
  std::vector<const char*> r;
  for (const char* role : {e.text.role, e.number.role, e.buffer == Buf::In ? e.bufferArg.role : nullptr})
    if (role) r.push_back(role);
  return r;
}

void reportCount(const Call& call, size_t got) {
  std::vector<const char*> want = roles(*call.entry);
  std::string list;
  for (const char* role : want) list += (list.empty() ? "" : ", ") + std::string(role);
  const char* name = call.name.c_str();
  if (want.empty())
    std::fprintf(stderr, "tolvane-call: %s takes no arguments (or all three: TEXT NUMBER BUFFER), got %zu\n", name,
                 got);
  else
    std::fprintf(stderr, "tolvane-call: %s takes %zu argument%s (%s), or all three: TEXT NUMBER BUFFER; got %zu\n",
                 name, want.size(), want.size() == 1 ? "" : "s", list.c_str(), got);
}

// Puts the words after the name into the call's slots: all three
// positionally, or only those the entry point reads. False when the count
// is wrong.
bool placeArgs(const std::vector<std::string>& args, Call& call, std::string& number) {
  const Entry* e = call.entry;
  bool positional = args.size() == 3 || !e;
  if (positional && args.size() > 3) {
    std::fprintf(stderr, "tolvane-call: %s takes at most 3 arguments\n", call.name.c_str());
    return false;
  }
  if (!positional && args.size() != roles(*e).size()) {
    reportCount(call, args.size());
    return false;
  }
  bool readsText = positional ? args.size() > 0 : e->text.role != nullptr;
  bool readsNumber = positional ? args.size() > 1 : e->number.role != nullptr;
  bool readsBuffer = positional ? args.size() > 2 : e->buffer == Buf::In;
  size_t i = 0;
  if (readsText) call.text = args[i++], call.nullText = call.text == "-";
  if (readsNumber) number = args[i++];
  if (readsBuffer) call.buffer = args[i++], call.nullBuffer = call.buffer == "-";
  return true;
}

// Runs one prepared call and prints its result, with a hint when it failed
// or did nothing; returns 0 ok, 1 failed.
int runCall(const Call& call, const Options& opt, CallState& state) {
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
  if (opt.progress) std::fputs("\r\033[K", stderr), std::fflush(stderr);
  bool ok = succeeded(e, r);
  if (!opt.quiet) {
    std::printf("%s = %s (%s)\n", call.name.c_str(), formatResult(r).c_str(), meaning(e, r, ok).c_str());
    const std::string hint = state.hint(call, r);
    if (!hint.empty()) std::printf("  %s\n", hint.c_str());
  }
  state.after(call, r);
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

constexpr size_t kProgressCalls = 10;

bool isTerminal(FILE* f) {
#if defined(_WIN32)
  return _isatty(_fileno(f)) != 0;
#else
  return isatty(fileno(f)) != 0;
#endif
}

}  // namespace

bool prepareCall(void* lib, const std::vector<std::string>& words, Call& call) {
  call = Call();
  call.name = words[0];
  call.entry = findEntry(call.name);
  call.fn = reinterpret_cast<EntryFn>(findSymbol(lib, call.name.c_str()));
  if (!call.fn) {
    reportMissing(call.name, call.entry);
    return false;
  }
  std::string number = "-";
  if (!placeArgs(std::vector<std::string>(words.begin() + 1, words.end()), call, number)) return false;
  switch (parseNumber(number, call.number)) {
    case Num::Ok:
      return true;
    case Num::NotNumber:
      std::fprintf(stderr, "tolvane-call: %s: '%s' is not a number\n", call.name.c_str(), number.c_str());
      return false;
    case Num::OutOfRange:
      std::fprintf(stderr, "tolvane-call: %s: '%s' is out of range for a double\n", call.name.c_str(),
                   number.c_str());
      return false;
  }
  return false;
}

int runCalls(const std::vector<Call>& calls, const Options& opt) {
  int status = 0;
  CallState state;
  // Long scripts show where they are, on a terminal only: the line is
  // rubbed out again before each result is printed.
  Options each = opt;
  each.progress = opt.progress && calls.size() >= kProgressCalls && isTerminal(stderr);
  for (size_t i = 0; i < calls.size(); ++i) {
    if (each.progress) {
      std::fflush(stdout);
      std::fprintf(stderr, "[%zu/%zu] %s", i + 1, calls.size(), calls[i].name.c_str());
      std::fflush(stderr);
    }
    if (runCall(calls[i], each, state) != 0) {
      status = 1;
      if (!opt.keepGoing) break;
    }
  }
  return status;
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
  Options withProgress = opt;
  withProgress.progress = true;
  return runCalls(calls, withProgress);
}

}  // namespace tolvane_call
