// Untrusted PSD files and failing writes: every operation refuses cleanly and
// leaves the user's files as they were.
#include <gtest/gtest.h>

#include <cmath>

#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

// Each PSD operation on `path` (with `other` as its second file).
struct Op {
  const char* name;
  std::function<float(const std::string& path, const std::string& other)> run;
};

std::vector<Op> psdOps(const std::string& out) {
  return {
      {"stencil", [](auto& p, auto&) { return call("MakeStencilPSD", p.c_str(), 0x00FF00, nullptr); }},
      {"swap", [](auto& p, auto&) { return call("SwapColorsPSD", p.c_str(), 0x00FF00, nullptr); }},
      {"grayscale", [out](auto& p, auto&) { return call("RGBtoGrayscale", p.c_str(), 10, out); }},
      {"merge top", [](auto& p, auto& o) { return call("MergePSDfiles", p.c_str(), 0, o); }},
      {"merge bottom", [](auto& p, auto& o) { return call("MergePSDfiles", o.c_str(), 0, p); }},
      {"heal top", [](auto& p, auto& o) { return call("HealPSDfiles", p.c_str(), 1, o); }},
      {"heal bottom", [](auto& p, auto& o) { return call("HealPSDfiles", o.c_str(), 0, p); }},
      {"thumbnail", [](auto& p, auto&) { return call("CreateThumbnail", p.c_str(), 7, nullptr); }},
  };
}

// Resources longer than the first bytes read, and cuts on either side of them.
TEST(UntrustedPsd, EveryPrefixIsRefusedWithoutTouchingAFile) {
  TempDir dir;
  Psd p = rgbPsd(100, 100, pattern);
  p.resources = std::string(70000, 'r');
  p.layers = "layers";
  const std::string full = p.bytes(), path = dir / "t.psd", other = dir / "other.psd";
  std::vector<size_t> lengths;
  for (size_t n = 0; n < full.size(); n += n < 40 ? 1 : 9973) lengths.push_back(n);
  for (size_t n = 34 + p.resources.size(); n < p.dataOffset() + 8; ++n) lengths.push_back(n);
  lengths.push_back(full.size() - 1);
  for (const Op& op : psdOps(dir / "gray.psd")) {
    for (size_t n : lengths) {
      std::string cut = full.substr(0, n);
      writeFile(path, cut);
      writeFile(other, full);
      float r = op.run(path, other);
      ASSERT_TRUE(r == -1 || r == -1761) << op.name << " on " << n << " bytes gives " << r;
      ASSERT_TRUE(readFile(path) == cut) << op.name << " " << n;
      ASSERT_TRUE(readFile(other) == full) << op.name << " " << n;
    }
    EXPECT_FALSE(exists(dir / "gray.psd"));
  }
}

TEST(UntrustedPsd, LyingSizesAreRefused) {
  TempDir dir;
  const std::string path = dir / "t.psd", other = dir / "other.psd";
  struct Size { int32_t w, h; } sizes[] = {
      {-100, -100}, {-1, 200}, {65536, 65536}, {2147483647, 2147483647}, {46341, 46341}, {101, 101}};
  for (auto s : sizes) {
    Psd p = rgbPsd(100, 100, pattern);  // 100 x 100 worth of planes
    p.width = s.w, p.height = s.h;
    writeFile(other, p.bytes());
    for (const Op& op : psdOps(dir / "gray.psd")) {
      writeFile(path, p.bytes());
      float r = op.run(path, other);
      bool refused = r == -1761 || (std::string(op.name) == "heal top" && s.w < 100) ||
                     (std::string(op.name) == "heal bottom" && s.w < 100);
      EXPECT_TRUE(refused || (r == -9 && s.w < 100)) << op.name << " " << s.w << "x" << s.h << " gives " << r;
      EXPECT_TRUE(readFile(path) == p.bytes()) << op.name;
    }
  }
}

// A write that fails half-way (file size limit) leaves the original and no
// temporary file; every writer is also run this way in the faults tests.
TEST(WriteFailure, InPlaceOperationsKeepTheOriginal) {
  TempDir dir;
  std::string big = rgbPsd(300, 300, pattern).bytes();  // 270 KB, over the 64 KB limit
  writeFile(dir / "a.psd", big);
  float r = withFileSizeLimit(64 * 1024, [&] { return call("MakeStencilPSD", (dir / "a.psd").c_str(), 0, nullptr); });
  EXPECT_EQ(r, -5);
  EXPECT_TRUE(readFile(dir / "a.psd") == big);
  EXPECT_EQ(dir.list(), std::vector<std::string>{"a.psd"});
}

}  // namespace
