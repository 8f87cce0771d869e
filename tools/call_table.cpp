// The entry point table as tolvane-call shows it: the list, and what a
// result means for the entry point that returned it.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "call.h"

namespace tolvane_call {
namespace {

using namespace tolvane::table;

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(v));
  return text;
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

// "faces read, -9 missing path, ..., a chunk tag ..." ("always 0" for the
// entry points that cannot fail).
std::string results(const Entry& e) {
  std::string s = e.counted ? e.counted : "";
  const Code* last = nullptr;
  forEachCode(e, [&](const Code& c) {
    bool same = last && last->value == c.value;  // "-1 unreadable or not PSD"
    s += (same ? " or " : s.empty() ? "" : ", ") + (same ? "" : number(c.value) + " ") + c.words;
    last = &c;
  });
  if (e.other) s += (s.empty() ? "" : ", ") + std::string(e.other);
  return s.empty() ? "always " + number(e.ok == Ok::Any ? tolvane::kVersion : 0) : s;
}

// The library-wide words for a code an entry point's own list lacks.
std::string generic(float r) {
  for (const tolvane::ResultCode& c : tolvane::kResultCodes)
    if (c.value == r) return c.meaning;
  return "unknown result";
}

}  // namespace

const Entry* findEntry(const std::string& name) {
  for (const Entry& e : kEntries)
    if (name == e.name) return &e;
  return nullptr;
}

bool printList(const char* only) {
  bool any = false;
  for (const Entry& e : kEntries) {
    if (only && lower(e.name) != lower(only)) continue;
    any = true;
    std::string synopsis = e.name;
    for (const Arg* a : {&e.text, &e.number, e.buffer == Buf::In ? &e.bufferArg : nullptr})
      if (a && a->role) synopsis += std::string(" <") + a->role + ">";
    std::puts(synopsis.c_str());
    if (e.buffer == Buf::Out) printWrapped("prints: ", e.bufferArg.role);
    printWrapped("result: ", results(e));
  }
  return any;
}

bool succeeded(const Entry* e, float r) {
  if (!e) return r >= 0;
  return e->ok == Ok::Any || (e->ok == Ok::Count ? r >= 0 : r == 0);
}

std::string meaning(const Entry* e, float r, bool ok) {
  std::string head = ok ? "ok" : "failed", words;
  if (e) {
    forEachCode(*e, [&](const Code& c) {
      if (c.value == r) words += (words.empty() ? "" : " or ") + std::string(c.words);
    });
    if (words.empty() && ok && e->counted) words = e->counted;
    if (words.empty() && !ok && e->other) words = e->other;
  }
  if (words.empty() && !ok) words = generic(r);
  return words.empty() ? head : head + ": " + words;
}

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

}  // namespace tolvane_call
