// --inspect: what each operation will make of the files named, and the
// hint line after a call, both from the inspector's verdicts.
#include <cstdio>
#include <cstdlib>

#include "call.h"
#include "common/result_codes.h"
#include "inspect/inspect.h"

namespace tolvane_call {
namespace {

namespace ins = tolvane::inspect;

bool hasExtension(const std::string& path, const char* ext) {
  const size_t n = std::string(ext).size();
  if (path.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(path[path.size() - n + i])) != ext[i]) return false;
  return true;
}

}  // namespace

int runInspect(const std::vector<std::string>& paths, bool json) {
  // Files named together are read together: a Qit with the mesh it is to
  // be swapped into, an OBJ with a group list.
  ins::Settings settings;
  for (const std::string& p : paths) {
    if (hasExtension(p, ".qit")) settings.qitPath = p;
    if (hasExtension(p, ".obj")) settings.objPath = p;
  }
  int status = 0;
  for (const std::string& p : paths) {
    const ins::Report r = ins::inspectFile(p, settings);
    if (r.kind == "unreadable" || r.kind == "unknown") status = 1;
    std::fputs((json ? ins::asJson(r) + "\n" : ins::asText(r)).c_str(), stdout);
  }
  return status;
}

int runHint(const std::vector<std::string>& w) {
  char* end = nullptr;
  const float result = w.size() == 5 ? std::strtof(w[0].c_str(), &end) : 0;
  if (w.size() != 5 || !end || *end || !findEntry(w[1])) {
    std::fprintf(stderr, "tolvane-call: --hint needs RESULT NAME TEXT NUMBER BUFFER\n");
    return 2;
  }
  Call call;
  call.name = w[1];
  call.text = w[2], call.nullText = w[2] == "-";
  call.number = std::strtod(w[3].c_str(), nullptr);
  call.buffer = w[4], call.nullBuffer = w[4] == "-";
  CallState state;
  // An export refused for want of face IDs had none loaded; otherwise
  // the file is judged as if they were.
  state.settings.faceIdsLoaded = result != tolvane::kNoFaceIds;
  const std::string line = state.hint(call, result);
  if (!line.empty()) std::puts(line.c_str());
  return 0;
}

void CallState::after(const Call& call, float result) {
  const std::string& n = call.name;
  if (n == "CropBMP_SetWidth") settings.cropWidth = call.number;
  if (n == "getFaceIDs") settings.faceIdsLoaded = result > 0;
  if (n == "qivtoOBJ" && result == 0) settings.faceIdsLoaded = false;
}

std::string CallState::hint(const Call& call, float result) {
  settings.pixelOffset = call.number;
  settings.thumbSize = call.number;
  return ins::hint(call.name, call.nullText ? nullptr : call.text.c_str(),
                   call.nullBuffer ? nullptr : call.buffer.c_str(), result, settings);
}

}  // namespace tolvane_call
