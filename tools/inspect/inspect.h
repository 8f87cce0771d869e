// The inspector: reads a file the way the library's operations would and
// says, per entry point, what the call will return and why, with the usual
// fix. tolvane-call prints it (--inspect, --json) and takes its one-line
// hints after a failed call from the same verdicts, so the rules live here
// once. It reads files with the library's own readers and never writes.
#pragma once

#include <string>
#include <vector>

namespace tolvane::inspect {

// One named value; `number` says whether JSON prints it bare.
struct Fact {
  std::string key, value;
  bool number = false;
};
using Row = std::vector<Fact>;

// What one entry point will do with the file.
struct Verdict {
  std::string entry;  // the entry point's name
  float result = 0;   // what it returns
  bool ok = false;    // the table counts that result as success
  bool idle = false;  // succeeds but writes nothing
  std::string why;    // plain words
  std::string fix;    // the usual fix, or ""
};

struct Report {
  std::string path;
  std::string kind;  // qiv, qit, obj, grouplist, psd, bmp, unknown, unreadable
  std::vector<Fact> facts;
  std::string listName;  // "chunks", "groups", "entries" for `rows`
  std::vector<Row> rows;
  std::vector<Verdict> verdicts;
  std::vector<std::string> warnings;

  void fact(const std::string& key, const std::string& value) { facts.push_back({key, value, false}); }
  void fact(const std::string& key, const char* value) { facts.push_back({key, value, false}); }
  void fact(const std::string& key, long long value) { facts.push_back({key, std::to_string(value), true}); }
  void fact(const std::string& key, bool value) { facts.push_back({key, value ? "true" : "false", true}); }
  Verdict& verdict(const char* entry, float result, std::string why, std::string fix = "");
  const Verdict* find(const std::string& entry) const;
};

// What the verdicts depend on besides the file: the library settings and
// the numbers a call passes.
struct Settings {
  double cropWidth = 50;    // CropBMP_SetWidth (the library starts at 50)
  double pixelOffset = 0;   // CropBMPfile's number
  double thumbSize = 128;   // CreateThumbnail's number
  std::string outPath;      // where a split writes ("" for beside the input)
  bool faceIdsLoaded = true;  // qivtoOBJ: getFaceIDs was called before
  std::string objPath;      // an OBJ to compare a group list with
  std::string qitPath;      // a Qit to swap into a Qiv
  bool full = true;         // false: only what tells a split that writes nothing
};

Report inspectFile(const std::string& path, const Settings& settings = {});

// The file kinds, each filling `r` after the file was read.
void inspectQiv(Report& r, const Settings& s);
void inspectQit(Report& r);
void inspectObj(Report& r, const Settings& s);
void inspectGroupList(Report& r, const Settings& s);
void inspectPsd(Report& r, const Settings& s);
void inspectBmp(Report& r, const Settings& s);

// report.cpp: the report as text for a person, or as one JSON object.
std::string asText(const Report& r);
std::string asJson(const Report& r);

// One line on what went wrong in a call of `entry` that returned `result`,
// or "" when the inspection has nothing to add. A success counts only when
// the verdict says it wrote nothing.
std::string hint(const std::string& entry, const char* text, const char* buffer, float result, const Settings& s);

// Shared words.
// "-4 (compressed)"; a value the entry point uses for several causes has
// them all: "-2 (missing path / a group without vertices)".
std::string codeName(const std::string& entry, float result);
std::string files(size_t n);  // "1 file", "3 files"
bool succeeds(const std::string& entry, float result);

}  // namespace tolvane::inspect
