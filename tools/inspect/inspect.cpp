// What kind of file a path holds, the verdict list, and the hint after a
// call, which is one verdict in one line.
#include "inspect/inspect.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/file_front.h"
#include "common/result_codes.h"
#include "groups/groups.h"
#include "host/entry_table.h"

namespace tolvane::inspect {
namespace {

const table::Entry* entryNamed(const std::string& name) {
  for (const table::Entry& e : table::kEntries)
    if (name == e.name) return &e;
  return nullptr;
}

std::string extension(const std::string& path) {
  size_t dot = path.find_last_of("./\\");
  if (dot == std::string::npos || path[dot] != '.') return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// Text without zero bytes that has a vertex, face or group line.
bool looksLikeObj(ByteReader head) {
  if (head.size == 0 || std::memchr(head.data, 0, size_t(head.size))) return false;
  const std::string_view text(reinterpret_cast<const char*>(head.data), size_t(head.size));
  for (const char* start : {"v ", "f ", "g "})
    if (text.rfind(start, 0) == 0 || text.find(std::string("\n") + start) != std::string_view::npos) return true;
  return false;
}

// The kind by signature first (a PSD named .bmp is still a PSD), then by
// the name, then by what the bytes look like.
std::string kindOf(const std::string& path, FileFront& front) {
  ByteReader head = front.upTo(4096);
  if (head.has(0, 4) && std::memcmp(head.data, "8BPS", 4) == 0) return "psd";
  if (head.has(0, 2) && head.data[0] == 'B' && head.data[1] == 'M') return "bmp";
  const std::string ext = extension(path);
  for (const char* known : {"psd", "bmp", "qiv", "qit", "obj"})
    if (ext == known) return ext;
  if (ext == "lst" || ext == "grp") return "grouplist";
  uint32_t tag = 0;
  if (head.u32le(0, tag) && tag == 10001) return "qit";
  if (head.u32le(32, tag) && (tag == 10001 || tag == 20001 || tag == 25001 || tag == 35001)) return "qiv";
  if (looksLikeObj(head)) return "obj";
  if (front.size() > 0 && front.size() % sizeof(groupID) == 0) return "grouplist";
  return "unknown";
}

}  // namespace

Verdict& Report::verdict(const char* entry, float result, std::string why, std::string fix) {
  Verdict v;
  v.entry = entry;
  v.result = result;
  v.ok = succeeds(entry, result);
  v.why = std::move(why);
  v.fix = std::move(fix);
  verdicts.push_back(std::move(v));
  return verdicts.back();
}

const Verdict* Report::find(const std::string& entry) const {
  for (const Verdict& v : verdicts)
    if (v.entry == entry) return &v;
  return nullptr;
}

bool succeeds(const std::string& entry, float result) {
  const table::Entry* e = entryNamed(entry);
  if (!e) return result == 0;
  switch (e->ok) {
    case table::Ok::Zero: return result == 0;
    case table::Ok::Count: return result >= 0;
    case table::Ok::Any: return true;
  }
  return false;
}

std::string codeName(const std::string& entry, float result) {
  char number[32];
  std::snprintf(number, sizeof number, "%.0f", double(result));
  std::string name;
  if (const table::Entry* e = entryNamed(entry))
    table::forEachCode(*e, [&](const table::Code& c) {
      if (c.value == result) name += (name.empty() ? "" : " / ") + std::string(c.words);
    });
  return name.empty() ? number : std::string(number) + " (" + name + ")";
}

std::string files(size_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); }

Report inspectFile(const std::string& path, const Settings& s) {
  Report r;
  r.path = path;
  FileFront front;
  if (!front.open(path.c_str())) {
    r.kind = "unreadable";
    r.warnings.push_back("the file cannot be opened: it is missing, a folder, or not readable by you");
    return r;
  }
  r.kind = kindOf(path, front);
  r.fact("size", (long long)front.size());
  front.close();
  if (r.kind == "qiv") inspectQiv(r, s);
  else if (r.kind == "qit") inspectQit(r);
  else if (r.kind == "obj") inspectObj(r, s);
  else if (r.kind == "grouplist") inspectGroupList(r, s);
  else if (r.kind == "psd") inspectPsd(r, s);
  else if (r.kind == "bmp") inspectBmp(r, s);
  else r.warnings.push_back("not a Qiv, Qit, OBJ, group list, PSD or BMP file as far as its bytes and name tell");
  return r;
}

namespace {

// The files a call reads, in the order they are asked about: the vertex
// swap's mesh comes in the buffer, the merges' second image too.
// Entry points that read no file of these kinds get no hint.
std::vector<const char*> inputsOf(const std::string& entry, const char* text, const char* buffer) {
  if (entry == "SwapVertices_Qiv") return {buffer, text};
  if (entry == "MergePSDfiles" || entry == "HealPSDfiles") return {text, buffer};
  for (const char* reads : {"qivtoOBJ", "getFaceIDs", "outMRGB", "AppendOBJ", "GroupListLoad", "SplitOBJ",
                            "ListSplitOBJtoQiv", "SplitOBJtoQiv", "SwapVertices", "MakeStencilPSD", "SwapColorsPSD",
                            "RGBtoGrayscale", "CreateThumbnail", "CropBMPfile"})
    if (entry == reads) return {text};
  return {};
}

// The results that say an input could not be opened; other failures come
// before the file is opened and have their own causes.
bool cannotOpen(float result) {
  return result == kFailed || result == kInputNotOpened || result == kQitNotOpened || result == kListNotRead;
}

}  // namespace

std::string hint(const std::string& entry, const char* text, const char* buffer, float result, const Settings& s) {
  const bool failed = !succeeds(entry, result);
  // Only the splits can succeed without writing anything.
  if (!failed && entry != "SplitOBJ" && entry != "SplitOBJtoQiv") return "";
  Settings with = s;
  with.full = failed;
  if (buffer) with.outPath = buffer;
  if (entry == "SwapVertices_Qiv" && text) with.qitPath = text;
  for (const char* path : inputsOf(entry, text, buffer)) {
    if (!path || !*path) continue;
    const Report r = inspectFile(path, with);
    if (r.kind == "unreadable") {
      if (cannotOpen(result)) return "hint: " + std::string(path) + " cannot be opened: check the path and its permissions";
      continue;
    }
    const Verdict* v = r.find(entry);
    if (!v || v->result != result || (v->ok && !v->idle)) continue;
    return "hint: " + v->why + (v->fix.empty() ? "" : "; " + v->fix);
  }
  return "";
}

}  // namespace tolvane::inspect
