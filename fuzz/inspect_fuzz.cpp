// The inspector on untrusted files of every kind: the first byte picks the
// name the file gets (and so how the inspector first takes it) and the
// crop width; the report is rendered both ways and a hint asked for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "inspect/inspect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kNames[] = {"a.qiv", "a.Qit", "a.obj", "a.lst", "a.psd", "a.bmp", "a", "a.grp"};
  const uint8_t pick = data[0];
  data += 1, size -= 1;
  std::string dir = fuzz::fresh();
  const std::string path = fuzz::writeInput(kNames[pick % 8], data, size);
  const std::string other = fuzz::writeInput("b.Qit", data, size);

  namespace ins = tolvane::inspect;
  ins::Settings s;
  s.cropWidth = pick >> 3;
  s.pixelOffset = pick & 7;
  s.qitPath = other;
  s.objPath = path;
  s.outPath = dir + "/out.obj";
  const ins::Report r = ins::inspectFile(path, s);
  if (ins::asText(r).empty() || ins::asJson(r).empty()) __builtin_trap();
  for (const ins::Verdict& v : r.verdicts) ins::hint(v.entry, path.c_str(), s.outPath.c_str(), v.result, s);
  return 0;
}
