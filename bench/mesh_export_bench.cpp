// Qiv to OBJ export speed on a 1,000,000-vertex / 2,000,000-face mesh,
// against the plain fprintf reference and a plain copy of the OBJ bytes.
//
// Targets: writeOBJfromQiv within 3x of the copy, at least 5x faster than
// the reference.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gen_qiv.h"
#include "host/frozen.h"
#include "mesh/obj_export.h"

float baselineObjExport(const char* qivPath, const char* objPath, const std::vector<uint32_t>& ids);

namespace {

struct MeshFiles {
  std::string dir, qiv, obj, baselineObj, copy;
  std::vector<uint32_t> ids = std::vector<uint32_t>(500000, 4);  // 2,000,000 faces

  MeshFiles() {
    dir = benchqiv::tempFolder();
    qiv = dir + "/mesh.qiv";
    obj = dir + "/mesh.obj";
    baselineObj = dir + "/baseline.obj";
    copy = dir + "/copy.obj";
    benchqiv::writeBytes(qiv, benchqiv::mesh(1000000, 2000000));
    benchqiv::writeBytes(dir + "/faces.qiv", benchqiv::faceIdSource(500000));
    faceID = ids;
    writeOBJfromQiv(qiv.c_str(), obj.c_str());
    // The reference must write the same bytes, or the comparison means nothing.
    baselineObjExport(qiv.c_str(), baselineObj.c_str(), ids);
    if (!sameBytes(obj, baselineObj)) std::fprintf(stderr, "warning: reference output differs\n");
  }
  static bool sameBytes(const std::string& a, const std::string& b) {
    FILE* fa = std::fopen(a.c_str(), "rb");
    FILE* fb = std::fopen(b.c_str(), "rb");
    bool same = fa && fb;
    static char ba[1 << 16], bb[1 << 16];
    while (same) {
      size_t na = std::fread(ba, 1, sizeof ba, fa), nb = std::fread(bb, 1, sizeof bb, fb);
      same = na == nb && std::memcmp(ba, bb, na) == 0;
      if (na == 0) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
  }
  ~MeshFiles() {
    for (const std::string& f : {qiv, obj, baselineObj, copy, dir + "/faces.qiv"}) std::remove(f.c_str());
    rmdir(dir.c_str());
  }
};

MeshFiles& files() {
  static MeshFiles f;
  return f;
}

// Like cp: the file's bytes read and written in 128 KiB blocks.
bool copyFile(const char* from, const char* to) {
  int in = open(from, O_RDONLY), out = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = in >= 0 && out >= 0;
  static std::vector<char> buf(1 << 17);
  for (ssize_t n; ok && (n = read(in, buf.data(), buf.size())) > 0;) ok = write(out, buf.data(), size_t(n)) == n;
  if (in >= 0) close(in);
  if (out >= 0) ok = close(out) == 0 && ok;
  return ok;
}

void peakMemory(benchmark::State& state) {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  state.counters["peak_MB"] = double(ru.ru_maxrss) / 1024.0;
}

void BM_QivToObj(benchmark::State& state) {
  MeshFiles& f = files();
  for (auto _ : state) {
    state.PauseTiming();
    faceID = f.ids;
    state.ResumeTiming();
    if (writeOBJfromQiv(f.qiv.c_str(), f.obj.c_str()) != 0) state.SkipWithError("export failed");
  }
  peakMemory(state);
}

void BM_BaselineFprintf(benchmark::State& state) {
  MeshFiles& f = files();
  for (auto _ : state)
    if (baselineObjExport(f.qiv.c_str(), f.baselineObj.c_str(), f.ids) != 0) state.SkipWithError("failed");
}

void BM_CopyObjBytes(benchmark::State& state) {
  MeshFiles& f = files();
  for (auto _ : state)
    if (!copyFile(f.obj.c_str(), f.copy.c_str())) state.SkipWithError("copy failed");
}

}  // namespace

BENCHMARK(BM_CopyObjBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_QivToObj)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BaselineFprintf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
