// A report as text for a person, or as one JSON object (keys with spaces
// become underscores there, so a binding can use them as names).
#include <cstdio>

#include "inspect/inspect.h"

namespace tolvane::inspect {
namespace {

const char* kindWords(const std::string& kind) {
  if (kind == "qiv") return "Qiv mesh";
  if (kind == "qit") return "Qit vertex file";
  if (kind == "obj") return "OBJ mesh";
  if (kind == "grouplist") return "group list";
  if (kind == "psd") return "PSD image";
  if (kind == "bmp") return "BMP image";
  if (kind == "unreadable") return "cannot be opened";
  return "unknown kind";
}

// Control characters (a group name's carriage return) made visible.
std::string visible(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r') out += "\\r";
    else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else out += char(c);
  }
  return out;
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') out += '\\', out += char(c);
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04x", c);
      out += hex;
    } else out += char(c);
  }
  return out + "\"";
}

std::string jsonKey(std::string key) {
  for (char& c : key)
    if (c == ' ') c = '_';
  return jsonString(key);
}

std::string jsonFacts(const std::vector<Fact>& facts) {
  std::string out = "{";
  for (const Fact& f : facts)
    out += (out.size() > 1 ? ", " : "") + jsonKey(f.key) + ": " + (f.number ? f.value : jsonString(f.value));
  return out + "}";
}

std::string number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", double(v));
  return text;
}

std::string verdictLine(const Verdict& v) {
  std::string head = "  " + v.entry + ": ";
  if (v.idle) head += "returns 0 but writes nothing: ";
  else if (v.ok) head += "works (returns " + number(v.result) + "): ";
  else head += "returns " + codeName(v.entry, v.result) + ": ";
  std::string line = head + visible(v.why) + "\n";
  if (!v.fix.empty()) line += "      fix: " + v.fix + "\n";
  return line;
}

}  // namespace

std::string asText(const Report& r) {
  std::string out = visible(r.path) + ": " + kindWords(r.kind) + "\n";
  for (const Fact& f : r.facts) out += "  " + f.key + ": " + visible(f.value) + "\n";
  if (!r.rows.empty()) out += "  " + r.listName + ":\n";
  for (const Row& row : r.rows) {
    std::string line;
    for (const Fact& f : row) line += (line.empty() ? "" : ", ") + f.key + " " + visible(f.value);
    out += "    " + line + "\n";
  }
  for (const Verdict& v : r.verdicts) out += verdictLine(v);
  for (const std::string& w : r.warnings) out += "  warning: " + visible(w) + "\n";
  return out;
}

std::string asJson(const Report& r) {
  std::string out = "{\"path\": " + jsonString(r.path) + ", \"kind\": " + jsonString(r.kind) +
                    ", \"facts\": " + jsonFacts(r.facts);
  if (!r.listName.empty()) {
    out += ", " + jsonKey(r.listName) + ": [";
    for (size_t i = 0; i < r.rows.size(); ++i) out += (i ? ", " : "") + jsonFacts(r.rows[i]);
    out += "]";
  }
  out += ", \"verdicts\": {";
  for (size_t i = 0; i < r.verdicts.size(); ++i) {
    const Verdict& v = r.verdicts[i];
    out += std::string(i ? ", " : "") + jsonString(v.entry) + ": {\"result\": " + number(v.result) +
           ", \"ok\": " + (v.ok ? "true" : "false") + ", \"writes_nothing\": " + (v.idle ? "true" : "false") +
           ", \"code\": " + jsonString(codeName(v.entry, v.result)) + ", \"why\": " + jsonString(v.why) +
           ", \"fix\": " + jsonString(v.fix) + "}";
  }
  out += "}, \"warnings\": [";
  for (size_t i = 0; i < r.warnings.size(); ++i) out += (i ? ", " : "") + jsonString(r.warnings[i]);
  return out + "]}";
}

}  // namespace tolvane::inspect
