// tolvane-tables: writes the lists other languages and readers take from
// the entry point table: the Python binding's python/tolvane/_table.py and
// docs/reference.md.
//
//   tolvane-tables PYTHON_FILE MARKDOWN_FILE
//
// The build writes both into the build tree; a test compares them with the
// committed copies, and the `tables` target copies them over those.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/entry_table.h"

using namespace tolvane;
using namespace tolvane::table;

namespace {

const char* kHeader = "Written by tolvane-tables from src/host/entry_table.h and src/common/result_codes.h;\n"
                      "do not edit: `cmake --build build --target tables` rewrites it.";

std::string number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(v));
  return text;
}

std::string py(const char* s) {
  if (!s) return "None";
  std::string out = "\"";
  for (const char* p = s; *p; ++p) out += (*p == '"' || *p == '\\') ? std::string("\\") + *p : std::string(1, *p);
  return out + "\"";
}

std::string pyArg(const Arg& a) { return a.role ? "(" + py(a.name) + ", " + py(a.role) + ")" : "None"; }

const char* okName(Ok ok) { return ok == Ok::Zero ? "zero" : ok == Ok::Count ? "count" : "any"; }

void writePythonEntry(std::ostream& out, const Entry& e) {
  out << "    (" << py(e.name) << ", " << pyArg(e.text) << ", " << pyArg(e.number) << ", "
      << (e.buffer == Buf::In ? pyArg(e.bufferArg) : "None") << ", "
      << (e.buffer == Buf::Out ? py(e.bufferArg.role) : "None") << ",\n     " << py(okName(e.ok)) << ", "
      << py(e.counted) << ", " << py(e.other) << ", [";
  const char* sep = "";
  forEachCode(e, [&](const Code& c) {
    out << sep << "(" << number(c.value) << ", " << py(c.words) << ")";
    sep = ", ";
  });
  out << "]),\n";
}

std::string python() {
  std::ostringstream out;
  out << "\"\"\"The entry point and result code tables of libtolvane.\n\n" << kHeader << "\n\"\"\"\n\n";
  out << "VERSION = " << number(kVersion) << "\n\n";
  out << "# (name, value, meaning); the first name of a value is its usual name.\n";
  out << "CODES = [\n";
  for (const ResultCode& c : kResultCodes)
    out << "    (" << py(c.name) << ", " << number(c.value) << ", " << py(c.meaning) << "),\n";
  out << "]\n\n";
  out << "# (name, text, number, buffer_in, output, ok, counted, other, codes): text, number\n"
         "# and buffer_in are (parameter, role) when read; output is what an output buffer\n"
         "# receives; ok is \"zero\", \"count\" or \"any\"; codes are (value, words).\n";
  out << "ENTRIES = [\n";
  for (const Entry& e : kEntries) writePythonEntry(out, e);
  out << "]\n";
  return out.str();
}

// Markdown would take the '*' of "R*65536" for emphasis.
std::string md(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '*' ? std::string("\\*") : std::string(1, c);
  return out;
}

std::string cell(const Arg& a) { return a.role ? md(a.role) : "–"; }

// "-9 missing path; -18 no face IDs loaded; ..." with the success first.
std::string results(const Entry& e) {
  std::string s = e.ok == Ok::Any ? number(kVersion) : e.ok == Ok::Count ? std::string("0 or more: ") + e.counted : "0";
  forEachCode(e, [&](const Code& c) { s += "; " + number(c.value) + " " + c.words; });
  if (e.other) s += std::string("; ") + e.other;
  return s;
}

void writeEntries(std::ostream& out) {
  out << "## Entry points\n\n"
         "Every entry point is `float Name(const char* text, double number, char* buffer)`; "
         "include/tolvane/host.h says what each does. A dash: the argument is not read.\n\n"
         "| entry point | text | number | buffer | results (success first) |\n|---|---|---|---|---|\n";
  for (const Entry& e : kEntries) {
    std::string buffer = e.buffer == Buf::In    ? std::string("in: ") + e.bufferArg.role
                         : e.buffer == Buf::Out ? std::string("out: ") + e.bufferArg.role
                                                : "–";
    out << "| `" << e.name << "` | " << cell(e.text) << " | " << cell(e.number) << " | " << buffer << " | "
        << results(e) << " |\n";
  }
}

void writeCodes(std::ostream& out) {
  out << "\n## Result codes\n\n"
         "Several names share a value where the host has always used one value for several causes; "
         "each entry point's own list above says which it means. Any entry point can also return "
         "-1772 (out of memory).\n\n"
         "| value | name | meaning |\n|---|---|---|\n";
  std::vector<ResultCode> codes(std::begin(kResultCodes), std::end(kResultCodes));
  std::stable_sort(codes.begin(), codes.end(),
                   [](const ResultCode& a, const ResultCode& b) { return std::fabs(a.value) < std::fabs(b.value); });
  for (const ResultCode& c : codes) out << "| " << number(c.value) << " | `" << c.name << "` | " << c.meaning << " |\n";
}

std::string markdown() {
  std::ostringstream out;
  out << "# libtolvane reference\n\n<!-- " << kHeader << " -->\n\n";
  writeEntries(out);
  writeCodes(out);
  return out.str();
}

bool write(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (out) return true;
  std::fprintf(stderr, "tolvane-tables: cannot write %s\n", path);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tolvane-tables PYTHON_FILE MARKDOWN_FILE\n", stderr);
    return 2;
  }
  return write(argv[1], python()) && write(argv[2], markdown()) ? 0 : 1;
}
