// Image operations on a 4096 x 4096 RGB PSD (48 MiB) and an 8192 x 2048 BMP
// (48 MiB), each next to a plain copy of the same file's bytes. The ratio of
// an operation's time to its copy's is what to watch (target: at most 2).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_reader.h"
#include "host/frozen.h"
#include "host/settings.h"

namespace {

struct Files {
  std::string dir, psd, psd2, bmp;
  tolvane::Bytes psdBytes, psd2Bytes, bmpBytes;
};

void putBe(tolvane::Bytes& b, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(uint8_t(v >> (8 * i)));
}
void putLe(tolvane::Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

tolvane::Bytes makePsd(uint32_t w, uint32_t h, uint8_t seed) {
  tolvane::Bytes b = {'8', 'B', 'P', 'S'};
  putBe(b, 1, 2);
  b.resize(b.size() + 6);
  putBe(b, 3, 2), putBe(b, h, 4), putBe(b, w, 4), putBe(b, 8, 2), putBe(b, 3, 2);
  putBe(b, 0, 4), putBe(b, 0, 4), putBe(b, 0, 4), putBe(b, 0, 2);
  size_t head = b.size(), plane = size_t(w) * h;
  b.resize(head + 3 * plane);
  for (size_t k = 0; k < 3 * plane; ++k) b[head + k] = uint8_t((k * 2654435761u >> 24) + seed) & 0xF8;
  return b;
}

tolvane::Bytes makeBmp(uint32_t w, uint32_t h) {
  uint32_t row = (3 * w + 3) / 4 * 4;
  tolvane::Bytes b = {'B', 'M'};
  putLe(b, 54 + row * h, 4), putLe(b, 0, 4), putLe(b, 54, 4);
  putLe(b, 40, 4), putLe(b, w, 4), putLe(b, h, 4), putLe(b, 1, 2), putLe(b, 24, 2);
  putLe(b, 0, 4), putLe(b, row * h, 4), putLe(b, 2835, 4), putLe(b, 2835, 4), putLe(b, 0, 4), putLe(b, 0, 4);
  b.resize(54 + size_t(row) * h);
  for (size_t k = 54; k < b.size(); ++k) b[k] = uint8_t(k * 40503u >> 8);
  return b;
}

const Files& files() {
  static Files f = [] {
    Files f;
    char tmpl[] = "/tmp/tolvane-bench-XXXXXX";
    f.dir = mkdtemp(tmpl);
    f.psd = f.dir + "/a.psd", f.psd2 = f.dir + "/b.psd", f.bmp = f.dir + "/a.bmp";
    f.psdBytes = makePsd(4096, 4096, 0);
    f.psd2Bytes = makePsd(4096, 4096, 77);
    f.bmpBytes = makeBmp(8192, 2048);
    tolvane::writeWholeFile(f.psd2.c_str(), f.psd2Bytes.data(), f.psd2Bytes.size());
    tolvane::writeWholeFile(f.bmp.c_str(), f.bmpBytes.data(), f.bmpBytes.size());
    // Kept apart from `f`, which is destroyed before handlers registered
    // during its construction run.
    static const std::string* dir = new std::string(f.dir);
    std::atexit([] {
      std::string cmd = "rm -rf '" + *dir + "'";
      if (std::system(cmd.c_str()) != 0) { /* nothing left to do */ }
    });
    return f;
  }();
  return f;
}

// Puts a fresh copy of the first PSD in place, outside the timing.
void resetPsd(benchmark::State& state) {
  state.PauseTiming();
  const Files& f = files();
  tolvane::writeWholeFile(f.psd.c_str(), f.psdBytes.data(), f.psdBytes.size());
  state.ResumeTiming();
}

// What cp does: read and write 1 MiB at a time into a new file.
void copyFile(const std::string& from, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY);
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  static std::vector<char> buf(size_t(1) << 20);
  ssize_t n;
  while (in >= 0 && out >= 0 && (n = ::read(in, buf.data(), buf.size())) > 0) {
    if (::write(out, buf.data(), size_t(n)) != n) break;
  }
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
}

void BM_CopyPsd(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    copyFile(files().psd, files().dir + "/copy.psd");
  }
}
void BM_Stencil(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    benchmark::DoNotOptimize(convertPSD(files().psd.c_str(), 0.0f, 255.0f, true));
  }
}
void BM_Swap(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    benchmark::DoNotOptimize(convertPSD(files().psd.c_str(), 0.0f, 255.0f, false));
  }
}
void BM_Grayscale(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    benchmark::DoNotOptimize(GrayscalePSD(files().psd.c_str(), (files().dir + "/gray.psd").c_str(), 40));
  }
}
void BM_Merge(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    benchmark::DoNotOptimize(mergePSD(files().psd.c_str(), files().psd2.c_str(), 0.0f));
  }
}
void BM_Heal(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    benchmark::DoNotOptimize(mergeSeamlessPSD(files().psd.c_str(), files().psd2.c_str(), state.range(0) != 0));
  }
}
void BM_Thumbnail(benchmark::State& state) {
  for (auto _ : state) {
    resetPsd(state);
    benchmark::DoNotOptimize(createThumb(files().psd.c_str(), 256));
  }
}
void BM_CopyBmp(benchmark::State& state) {
  for (auto _ : state) copyFile(files().bmp, files().dir + "/copy.bmp");
}
void BM_CropBmp(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(cropBMP(files().bmp.c_str(), (files().dir + "/crop.bmp").c_str(), 3 * 1000, 6000));
}

}  // namespace

BENCHMARK(BM_CopyPsd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Stencil)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Swap)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Grayscale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Merge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Heal)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Thumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyBmp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CropBmp)->Unit(benchmark::kMillisecond)->UseRealTime();
