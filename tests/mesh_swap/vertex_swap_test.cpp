#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>

#include "mesh/qiv.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

std::string vertices(unsigned count, float base) {
  std::string s;
  for (unsigned i = 0; i < count; ++i) s += floats({base + i, base - i, base * i});
  return s;
}

// A mesh whose vertex chunk lies behind an unknown chunk and an empty one,
// with faces, UVs and stray bytes after it.
struct Mesh {
  std::string before, records, after;
  std::string bytes() const { return before + records + after; }
};

Mesh mesh(unsigned count) {
  return {qivHeader() + chunk(4242, 1, "abcd") + chunk(99, 0, "", 0) +
              chunk(tolvane::kVertexTag, count, "", 16 + 12 * long(count)),
          vertices(count, 1.5f),
          chunk(tolvane::kFaceTag, 1, std::string(16, 0)) + chunk(tolvane::kUVTag, 1, std::string(32, 7)) + "tail"};
}

std::string qitFor(unsigned count) { return chunk(tolvane::kVertexTag, count, vertices(count, -7.25f)); }

struct VertexSwapQiv : ::testing::Test {
  TempDir dir;
  std::string qiv = dir / "m.qiv", qit = dir / "m.Qit";
  float swap() { return call("SwapVertices_Qiv", qit.c_str(), 0, qiv); }
  // As an ordinary user, so that permission bits count when tests run as root.
  float swapAsOrdinaryUser() {
#if defined(_WIN32)
    return swap();  // a read-only file is read-only to everyone
#else
    if (geteuid() != 0) return swap();
    chmod(dir.path().c_str(), 0777);
    return withFileSizeLimit(LONG_MAX, [&] { return setgid(65534) || setuid(65534) ? float(NAN) : swap(); });
#endif
  }
};

}  // namespace

TEST_F(VertexSwapQiv, ReplacesOnlyTheVertexRecords) {
  const Mesh m = mesh(5);
  std::string qitBytes = qitFor(5);
  qitBytes[0] = 9, qitBytes[12] = 1;  // tag and reserved word are not compared
  writeFile(qiv, m.bytes());
  writeFile(qit, qitBytes);
  ASSERT_EQ(swap(), 0);
  const std::string once = readFile(qiv);
  EXPECT_EQ(once, m.before + qitBytes.substr(16) + m.after);
  EXPECT_EQ(readFile(qit), qitBytes);
  ASSERT_EQ(swap(), 0);
  EXPECT_EQ(readFile(qiv), once);

  const std::string none = qivHeader() + chunk(tolvane::kVertexTag, 0, "") + "rest";
  writeFile(qiv, none);
  writeFile(qit, qitFor(0));
  EXPECT_EQ(swap(), 0);
  EXPECT_EQ(readFile(qiv), none);
  EXPECT_EQ(call("SwapVertices_Qiv", nullptr, 0, std::string("x.qiv")), -2);
  EXPECT_EQ(call("SwapVertices_Qiv", "x.Qit", 0, static_cast<char*>(nullptr)), -2);
}

TEST_F(VertexSwapQiv, RefusalsLeaveBothFilesAsTheyWere) {
  const std::string good = mesh(3).bytes();
  std::string longer = qitFor(3), fewer = qitFor(2);
  longer[4] = 64;  // count 3, length 64
  fewer[4] = 52;   // count 2, length of 3 records
  struct {
    const char* what;
    std::string qiv, qit;  // "-": missing, "/": a folder
    float code;
  } cases[] = {
      {"missing Qiv", "-", qitFor(3), -1760},
      {"Qiv of its header only", qivHeader(), qitFor(3), -18},
      {"Qiv without vertex chunk", qivHeader() + chunk(tolvane::kFaceTag, 0, ""), qitFor(3), -18},
      {"vertex records past the end", good.substr(0, mesh(3).before.size() + 24), qitFor(3), -1761},
      {"missing Qit", good, "-", -201},
      {"Qit is a folder", good, "/", -201},
      {"Qit shorter than its header", good, qitFor(3).substr(0, 15), -1761},
      {"Qit length differs", good, longer, -301},
      {"Qit count differs", good, fewer, -301},
      {"Qit records missing", good, qitFor(3).substr(0, 16 + 35), -1761},
  };
  for (const auto& c : cases) {
    TempDir d;
    qiv = d / "m.qiv", qit = d / "m.Qit";
    if (c.qiv != "-") writeFile(qiv, c.qiv);
    if (c.qit == "/") makeDir(qit);
    if (c.qit.size() > 1) writeFile(qit, c.qit);
    EXPECT_EQ(swap(), c.code) << c.what;
    EXPECT_EQ(readFile(qiv), c.qiv == "-" ? "" : c.qiv) << c.what;
    EXPECT_EQ(readFile(qit), c.qit.size() > 1 ? c.qit : "") << c.what;
    EXPECT_EQ(d.list().size(), size_t(c.qiv != "-") + size_t(c.qit != "-")) << c.what;
  }
}

TEST_F(VertexSwapQiv, LyingChunkHeadersEndCleanly) {
  // Lengths that barely move the walk or jump past the end; a count far
  // beyond the file.
  for (unsigned length : {1u, 15u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    writeFile(qiv, qivHeader() + chunk(7, 0, "", length) + std::string(40, 1));
    EXPECT_EQ(swap(), -18) << length;
  }
  writeFile(qiv, qivHeader() + chunk(tolvane::kVertexTag, 0xFFFFFFFF, "", 16));
  EXPECT_EQ(swap(), -1761);
}

TEST_F(VertexSwapQiv, ReadOnlyFilesAndFailedWritesChangeNothing) {
#if defined(_WIN32)
  if (!readOnlyIsEnforced()) GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
#endif
  const std::string meshBytes = mesh(20000).bytes(), qitBytes = qitFor(20000);
  writeFile(qiv, meshBytes);
  writeFile(qit, qitBytes);
  chmod(qit.c_str(), 0444);
  EXPECT_EQ(swapAsOrdinaryUser(), -201);
  chmod(qiv.c_str(), 0444);
  chmod(qit.c_str(), 0666);
  EXPECT_EQ(swapAsOrdinaryUser(), -401);
  chmod(qiv.c_str(), 0644);
#if !defined(_WIN32)
  EXPECT_EQ(withFileSizeLimit(100000, [&] { return swap(); }), -401);
#endif
  EXPECT_EQ(readFile(qiv), meshBytes);
  EXPECT_EQ(readFile(qit), qitBytes);
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"m.Qit", "m.qiv"}));
}
