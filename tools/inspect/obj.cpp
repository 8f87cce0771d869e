// OBJ files as the group tools read them: line classes, groups and their
// faces, and what each split will write, under which names.
#include <map>

#include "common/file_front.h"
#include "common/lines.h"
#include "common/result_codes.h"
#include "groups/group_scan.h"
#include "groups/output_naming.h"
#include "inspect/inspect.h"

namespace tolvane::inspect {
namespace {

struct Tally {
  uint64_t lines = 0, vertices = 0, faces = 0, objects = 0, crlf = 0, ignored = 0, looseFaces = 0;
  std::map<std::string, uint64_t> formats;  // "v/vt" -> faces written so
  std::map<std::string, uint64_t> groupFaces;
  std::string group;  // the last group line's name
  bool inGroup = false;
};

// The corner format of a face line, from its first corner.
std::string faceFormat(std::string_view l) {
  std::string_view rest = afterTag(l);
  while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
  const std::string_view corner = rest.substr(0, rest.find_first_of(" \t\r"));
  const size_t first = corner.find('/');
  if (first == std::string_view::npos) return "v";
  const size_t second = corner.find('/', first + 1);
  if (second == std::string_view::npos) return "v/vt";
  return second == first + 1 ? "v//vn" : "v/vt/vn";
}

void count(Tally& t, std::string_view l) {
  ++t.lines;
  if (!l.empty() && l.back() == '\r') ++t.crlf;
  if (isVertexLine(l)) {
    ++t.vertices;
  } else if (isGroupLine(l)) {
    t.group = std::string(afterTag(l));
    t.inGroup = true;
    t.groupFaces[t.group] += 0;
  } else if (isFaceLine(l)) {
    ++t.faces;
    ++t.formats[faceFormat(l)];
    if (t.inGroup) ++t.groupFaces[t.group];
    else ++t.looseFaces;
  } else {
    ++t.ignored;
    if (l.size() >= 2 && l[0] == 'o' && l[1] == ' ') ++t.objects;
  }
}

void addFacts(Report& r, const Tally& t) {
  r.fact("lines", (long long)t.lines);
  r.fact("vertices", (long long)t.vertices);
  r.fact("faces", (long long)t.faces);
  std::string formats;
  for (const auto& [f, n] : t.formats) formats += (formats.empty() ? "" : ", ") + f + " (" + std::to_string(n) + ")";
  r.fact("face formats", formats.empty() ? "none" : formats);
  r.fact("groups", (long long)t.groupFaces.size());
  r.fact("o lines", (long long)t.objects);
  r.fact("CRLF line ends", (long long)t.crlf);
  r.fact("lines the group tools ignore", (long long)t.ignored);
  r.fact("faces before the first g line", (long long)t.looseFaces);
  r.listName = "groups";
  for (const auto& [name, faces] : t.groupFaces)
    r.rows.push_back({{"name", name, false}, {"faces", std::to_string(faces), true}});
}

void noGroups(Report& r, const Tally& t) {
  const std::string why = t.objects ? "the OBJ has no g lines, only o lines (" + std::to_string(t.objects) +
                                          "): the split writes no file"
                                    : "the OBJ has no g lines: the split writes no file";
  const std::string fix = t.objects ? "turn the o lines into g lines, e.g. `sed -i 's/^o /g /' mesh.obj`"
                                    : "put a g line before each part's faces";
  for (const char* e : {"SplitOBJ", "SplitOBJtoQiv"}) r.verdict(e, kOk, why, fix).idle = true;
}

// The files a split writes, in name order, and the first group whose split
// fails before its file is made.
void splitVerdict(Report& r, Scan& s, const std::string& folder, const char* e, const char* ext, bool needsVertices) {
  std::string names, copies;
  size_t files = 0;
  for (const auto& [name, index] : s.groups) {
    const int32_t vertices = int32_t(std::min<size_t>(s.vertexCount(), INT32_MAX));
    if (needsVertices && s.sets.take(index, 0, vertices).empty()) {
      r.verdict(e, kNoVertices, "group '" + name + "' selects no vertex line (" + std::to_string(files) +
                                    " files are written before it)", "give the group faces, or remove its g line");
      return;
    }
    const std::string path = freeOutputName(folder, name, ext);
    const std::string file = path.substr(folder.size());
    names += (names.empty() ? "" : ", ") + file;
    if (file != name + ext) copies += (copies.empty() ? "" : ", ") + file;
    ++files;
  }
  r.verdict(e, kOk, "writes " + inspect::files(files) + ": " + names +
                        (copies.empty() ? "" : " (named with _copy, as the plain names are taken: " + copies + ")"));
}

// Whether the OBJ has a g line, read a piece at a time so that a mesh
// whose groups start early (nearly all) is not read to its end after every
// split.
bool hasGroupLine(FileFront& front) {
  constexpr uint64_t kPiece = uint64_t(1) << 20;
  bool found = false;
  for (uint64_t from = 0; from < front.size() && !found;) {
    const uint64_t to = nextLineStart(front, std::min(front.size(), from + kPiece));
    if (to == UINT64_MAX || !forEachLine(front, [&](std::string_view l) { found = found || isGroupLine(l); }, from, to))
      return false;
    from = to;
  }
  return found;
}

}  // namespace

void inspectObj(Report& r, const Settings& set) {
  FileFront front;
  if (!front.open(r.path.c_str())) return;
  // A split that wrote files needs no more than this.
  if (!set.full && hasGroupLine(front)) return;
  Tally t;
  if (!forEachLine(front, [&](std::string_view l) { count(t, l); })) {
    r.warnings.push_back("the file could not be read to its end");
    return;
  }
  addFacts(r, t);
  if (t.crlf)
    r.warnings.push_back("CRLF line ends: group names keep the carriage return, so the split's files are named "
                         "with it; convert the line ends, e.g. `sed -i 's/\\r$//' mesh.obj`");
  if (t.looseFaces && !t.groupFaces.empty())
    r.warnings.push_back(std::to_string(t.looseFaces) + " faces come before the first g line and go to no file");
  if (t.groupFaces.empty()) return noGroups(r, t);

  Scan s;
  s.keepText = true;
  if (!scanByGroups(r.path.c_str(), s)) {
    for (const char* e : {"SplitOBJ", "SplitOBJtoQiv"}) r.verdict(e, kFailed, "the OBJ cannot be read");
    return;
  }
  const std::string folder = outputFolder((set.outPath.empty() ? r.path : set.outPath).c_str());
  splitVerdict(r, s, folder, "SplitOBJ", ".obj", true);
  splitVerdict(r, s, folder, "SplitOBJtoQiv", ".Qit", false);
}

}  // namespace tolvane::inspect
