// The OBJ group tools on a combined mesh of 1,000,000 vertices in 100
// groups, beside a plain copy of the same bytes and the plain baseline.
// Ratios to read: SplitOBJ, SplitOBJtoQiv against Copy/combined; AppendOBJ
// against Copy/parts; SwapVertices against Copy/swap_inputs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "groups/groups.h"
#include "groups_data.h"

namespace groupsbench {
namespace {

namespace fs = std::filesystem;

constexpr int kGroups = 100;
constexpr int kSide = 100;  // a kSide x kSide grid of vertices per group

void appendVertex(std::string& s, int g, int i, int j) {
  char line[96];
  int n = std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", i * 0.01 + g, j * 0.013 - 0.5, (i * j % 97) * 0.001);
  s.append(line, size_t(n));
}

// One part: its group line, vertex lines, then its quads; corners carry
// texture numbers in the part and plain numbers in the combined mesh, as
// the append writes them.
std::string partText(int g, bool combined, std::string* verticesOnly) {
  std::string s = "g part" + std::to_string(g) + "\n";
  for (int i = 0; i < kSide; ++i)
    for (int j = 0; j < kSide; ++j) {
      size_t at = s.size();
      appendVertex(s, g, i, j);
      if (verticesOnly) verticesOnly->append(s, at, std::string::npos);
    }
  int base = combined ? g * kSide * kSide : 0;
  char line[128];
  for (int i = 0; i + 1 < kSide; ++i)
    for (int j = 0; j + 1 < kSide; ++j) {
      int a = base + i * kSide + j + 1, b = a + 1, c = a + kSide + 1, d = a + kSide;
      int n = combined ? std::snprintf(line, sizeof line, "f %d %d %d %d \n", a, b, c, d)
                       : std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d %d/%d\n", a, a, b, b, c, c, d, d);
      s.append(line, size_t(n));
    }
  return s;
}

void writeText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

struct Scratch {
  Data d;
  Scratch() {
    const char* tmp = std::getenv("TMPDIR");
    d.folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvane-groups-bench-" + std::to_string(::getpid());
    fs::create_directories(d.folder + "/parts");
    std::string combined, vertices;
    for (int g = 0; g < kGroups; ++g) {
      std::string part = partText(g, false, nullptr);
      d.parts.push_back(d.folder + "/parts/part" + std::to_string(g) + ".obj");
      writeText(d.parts.back(), part);
      d.partBytes += (long long)part.size();
      combined += partText(g, true, &vertices);
    }
    d.combined = d.folder + "/combined.obj";
    d.vertices = d.folder + "/vertices.obj";
    writeText(d.combined, combined);
    writeText(d.vertices, vertices);
    d.combinedBytes = (long long)combined.size();
    d.vertexBytes = (long long)vertices.size();
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(d.folder, ec);
  }
};

}  // namespace

const Data& data() {
  static Scratch scratch;
  return scratch.d;
}

// Outputs stay until the process ends: removing files while the benchmark
// runs makes the file system's next file creations slower (it steps over
// recently freed inodes), which would be measured as the operation's cost.
std::string freshFolder(const std::string& name) {
  static int serial = 0;
  std::string f = data().folder + "/" + name + std::to_string(++serial);
  fs::create_directories(f);
  return f + "/";
}

void copyFile(const std::string& from, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY);
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  static std::vector<char> buf(size_t(1) << 20);
  ssize_t n;
  while (in >= 0 && out >= 0 && (n = ::read(in, buf.data(), buf.size())) > 0)
    if (::write(out, buf.data(), size_t(n)) != n) break;
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
}

namespace {

void bytes(benchmark::State& st, long long n) { st.SetBytesProcessed(int64_t(st.iterations()) * n); }

void Copy_combined(benchmark::State& st) {
  std::string out = freshFolder("copy") + "combined.obj";
  for (auto _ : st) copyFile(data().combined, out);
  bytes(st, data().combinedBytes);
}

void Copy_parts(benchmark::State& st) {
  std::string out = freshFolder("copy");
  for (auto _ : st)
    for (size_t i = 0; i < data().parts.size(); ++i) copyFile(data().parts[i], out + std::to_string(i));
  bytes(st, data().partBytes);
}

void Copy_swap_inputs(benchmark::State& st) {
  std::string out = freshFolder("copy");
  for (auto _ : st) {
    copyFile(data().vertices, out + "v");
    copyFile(data().combined, out + "c");
  }
  bytes(st, data().vertexBytes + data().combinedBytes);
}

template <class F>
void splitInto(benchmark::State& st, F split) {
  for (auto _ : st) {
    st.PauseTiming();
    std::string out = freshFolder("split");
    st.ResumeTiming();
    if (split(data().combined, out) != 0) st.SkipWithError("split failed");
  }
  bytes(st, data().combinedBytes);
}

void SplitOBJ(benchmark::State& st) {
  splitInto(st, [](const std::string& in, const std::string& out) { return tolvane::splitObj(in.c_str(), out.c_str()); });
}
void SplitOBJtoQiv(benchmark::State& st) {
  splitInto(st, [](const std::string& in, const std::string& out) { return tolvane::splitQit(in.c_str(), out.c_str()); });
}
void Baseline_SplitOBJ(benchmark::State& st) { splitInto(st, baselineSplitOBJ); }
void Baseline_SplitOBJtoQiv(benchmark::State& st) { splitInto(st, baselineSplitQiv); }

template <class F>
void appendAll(benchmark::State& st, F append) {
  for (auto _ : st) {
    st.PauseTiming();
    tolvane::clearGroupList();
    std::string dest = freshFolder("append") + "all.obj";
    st.ResumeTiming();
    float offset = 0;
    for (const std::string& p : data().parts) offset = float(append(p, dest, int(offset)));
    if (offset != kGroups * kSide * kSide) st.SkipWithError("append failed");
  }
  bytes(st, data().partBytes);
}

void AppendOBJ(benchmark::State& st) {
  appendAll(st, [](const std::string& p, const std::string& d, int o) { return tolvane::appendGroup(p.c_str(), d.c_str(), o); });
}
void Baseline_AppendOBJ(benchmark::State& st) { appendAll(st, baselineAppend); }

template <class F>
void swapInto(benchmark::State& st, F swap) {
  for (auto _ : st) {
    st.PauseTiming();
    std::string dest = freshFolder("swap") + "dest.obj";
    copyFile(data().combined, dest);
    st.ResumeTiming();
    if (!swap(data().vertices, dest)) st.SkipWithError("swap failed");
  }
  bytes(st, data().vertexBytes + data().combinedBytes);
}

void SwapVertices(benchmark::State& st) {
  swapInto(st, [](const std::string& s, const std::string& d) { return tolvane::swapVertices(s.c_str(), d.c_str()); });
}
void Baseline_SwapVertices(benchmark::State& st) { swapInto(st, baselineSwap); }

#define GROUPS_BENCH(fn) BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()
GROUPS_BENCH(Copy_combined);
GROUPS_BENCH(Copy_parts);
GROUPS_BENCH(Copy_swap_inputs);
GROUPS_BENCH(SplitOBJ);
GROUPS_BENCH(SplitOBJtoQiv);
GROUPS_BENCH(AppendOBJ);
GROUPS_BENCH(SwapVertices);
GROUPS_BENCH(Baseline_SplitOBJ)->Iterations(2);
GROUPS_BENCH(Baseline_SplitOBJtoQiv)->Iterations(2);
GROUPS_BENCH(Baseline_AppendOBJ)->Iterations(2);
GROUPS_BENCH(Baseline_SwapVertices)->Iterations(2);

}  // namespace
}  // namespace groupsbench
