// The Qiv vertex swap: only vertex records change; a refusal or failed write leaves both files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>

#include "mesh/qiv.h"
#include "support/support.h"

using namespace testsupport;

namespace {

std::string vertices(unsigned count, float base) {
  std::string s;
  for (unsigned i = 0; i < count; ++i) s += floats({base + i, base - i, base * i});
  return s;
}

// The vertex chunk behind an unknown and an empty chunk; faces, UVs and stray bytes after it.
struct Mesh {
  std::string before, records, after;
  std::string bytes() const { return before + records + after; }
};

Mesh mesh(unsigned count) {
  return {qiv(chunk(4242, 1, "abcd") + chunk(99, 0, "", 0) + chunk(kVertexTag, count, "", 16 + 12 * long(count))),
          vertices(count, 1.5f),
          chunk(kFaceTag, 1, std::string(16, 0)) + chunk(kUVTag, 1, std::string(32, 7)) + "tail"};
}

std::string qitFor(unsigned count) { return chunk(kVertexTag, count, vertices(count, -7.25f)); }

struct VertexSwapQiv : ::testing::Test {
  TempDir dir;
  std::string qivPath = dir / "m.qiv", qitPath = dir / "m.Qit";
  float swap() { return call("SwapVertices_Qiv", qitPath.c_str(), 0, qivPath); }
};

}  // namespace

TEST_F(VertexSwapQiv, ReplacesOnlyTheVertexRecords) {
  const Mesh m = mesh(5);
  std::string qitBytes = qitFor(5);
  qitBytes[0] = 9, qitBytes[12] = 1;  // tag and reserved word are not compared
  writeFile(qivPath, m.bytes()), writeFile(qitPath, qitBytes);
  ASSERT_EQ(swap(), 0);
  EXPECT_EQ(readFile(qivPath), m.before + qitBytes.substr(16) + m.after);
  EXPECT_EQ(readFile(qitPath), qitBytes);
  EXPECT_EQ(call("SwapVertices_Qiv", nullptr, 0, std::string("x.qiv")), -2);
  EXPECT_EQ(call("SwapVertices_Qiv", "x.Qit", 0, static_cast<char*>(nullptr)), -2);
}

TEST_F(VertexSwapQiv, RefusalsLeaveBothFilesAsTheyWere) {
  const std::string good = mesh(3).bytes();
  std::string longer = qitFor(3), fewer = qitFor(2);
  longer[4] = 64, fewer[4] = 52;  // count 3 with length 64; count 2 with the length of 3 records
  const struct {
    const char* what;
    std::string qiv, qit;  // "-": missing, "/": a folder
    float code;
  } cases[] = {
      {"missing Qiv", "-", qitFor(3), -1760},
      {"Qiv of its header only", qivHeader(), qitFor(3), -18},
      {"Qiv without vertex chunk", qiv(chunk(kFaceTag, 0, "")), qitFor(3), -18},
      {"chunk length 1", qiv(chunk(7, 0, "", 1) + std::string(40, 1)), qitFor(3), -18},
      {"chunk length past the end", qiv(chunk(7, 0, "", 0xFFFFFFF0u) + std::string(40, 1)), qitFor(3), -18},
      {"vertex count past the end", qiv(chunk(kVertexTag, 0xFFFFFFFF, "", 16)), qitFor(3), -1761},
      {"vertex records past the end", good.substr(0, mesh(3).before.size() + 24), qitFor(3), -1761},
      {"empty vertex chunk", qiv(chunk(kVertexTag, 0, "") + "rest"), qitFor(0), 0},
      {"missing Qit", good, "-", -201},
      {"Qit is a folder", good, "/", -201},
      {"Qit shorter than its header", good, qitFor(3).substr(0, 15), -1761},
      {"Qit length differs", good, longer, -301},
      {"Qit count differs", good, fewer, -301},
      {"Qit records missing", good, qitFor(3).substr(0, 16 + 35), -1761},
  };
  for (const auto& c : cases) {
    TempDir d;
    qivPath = d / "m.qiv", qitPath = d / "m.Qit";
    if (c.qiv != "-") writeFile(qivPath, c.qiv);
    if (c.qit == "/") makeDir(qitPath);
    if (c.qit.size() > 1) writeFile(qitPath, c.qit);
    EXPECT_EQ(swap(), c.code) << c.what;
    EXPECT_EQ(readFile(qivPath), c.qiv == "-" ? "" : c.qiv) << c.what;
    EXPECT_EQ(readFile(qitPath), c.qit.size() > 1 ? c.qit : "") << c.what;
    EXPECT_EQ(d.list().size(), size_t(c.qiv != "-") + size_t(c.qit != "-")) << c.what;
  }
}

TEST_F(VertexSwapQiv, ReadOnlyFilesAndFailedWritesChangeNothing) {
#if defined(_WIN32)
  if (!readOnlyIsEnforced()) GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
  auto swapAsUser = [&] { return swap(); };
#else
  // As an ordinary user, so that permission bits count when tests run as root.
  auto swapAsUser = [&] {
    if (geteuid() != 0) return swap();
    chmod(dir.path().c_str(), 0777);
    return withFileSizeLimit(LONG_MAX, [&] { return setgid(65534) || setuid(65534) ? float(NAN) : swap(); });
  };
#endif
  const std::string meshBytes = mesh(20000).bytes(), qitBytes = qitFor(20000);
  writeFile(qivPath, meshBytes), writeFile(qitPath, qitBytes);
  chmod(qitPath.c_str(), 0444);
  EXPECT_EQ(swapAsUser(), -201);
  chmod(qivPath.c_str(), 0444), chmod(qitPath.c_str(), 0666);
  EXPECT_EQ(swapAsUser(), -401);
  chmod(qivPath.c_str(), 0644);
  EXPECT_TRUE(readFile(qivPath) == meshBytes && readFile(qitPath) == qitBytes);
  EXPECT_EQ(dir.list().size(), 2u) << "no temporary left";
}
