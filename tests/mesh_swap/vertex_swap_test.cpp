#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>

#include "mesh/qiv.h"
#include "qiv_bytes.h"

using namespace testsupport;
using namespace meshswap;

namespace {

float swap(const std::string& qit, const std::string& qiv) {
  return call("SwapVertices_Qiv", qit.c_str(), 0, qiv);
}

std::string vertexRecords(unsigned count, float base) {
  std::string s;
  for (unsigned i = 0; i < count; ++i) s += floats({base + i, base - i, base * i});
  return s;
}

// A mesh whose vertex chunk lies behind an unknown chunk and an empty one,
// with faces, UVs and stray bytes after it: before + records + after.
struct Mesh {
  std::string before, records, after;
  std::string bytes() const { return before + records + after; }
};

Mesh mesh(unsigned count) {
  Mesh m;
  m.before = qivHeader() + chunk(4242, 1, "abcd") + chunk(99, 0, "", 0) +
             chunk(tolvane::kVertexTag, count, "", 16 + 12 * long(count));
  m.records = vertexRecords(count, 1.5f);
  m.after = chunk(tolvane::kFaceTag, 1, std::string(16, 0)) + chunk(tolvane::kUVTag, 1, std::string(32, 7)) + "tail";
  return m;
}

std::string qitFor(unsigned count, unsigned tag = tolvane::kVertexTag, unsigned reserved = 0) {
  return chunk(tag, count, vertexRecords(count, -7.25f), -1, reserved);
}

// Runs fn as an ordinary user, so permission bits count even when the
// tests run as root.
float asOrdinaryUser(const TempDir& dir, const std::function<float()>& fn) {
  if (geteuid() != 0) return fn();
  chmod(dir.path().c_str(), 0777);
  return withFileSizeLimit(LONG_MAX, [&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) return float(NAN);
    return fn();
  });
}

}  // namespace

TEST(VertexSwapQiv, ReplacesOnlyTheVertexRecords) {
  TempDir dir;
  const std::string qiv = dir / "part.qiv", qit = dir / "part.Qit";
  const Mesh m = mesh(5);
  // Neither the Qit tag nor its reserved word is compared.
  const std::string qitBytes = qitFor(5, 1234, 0xFFFFFFFF);
  writeFile(qiv, m.bytes());
  writeFile(qit, qitBytes);

  ASSERT_EQ(swap(qit, qiv), 0);
  const std::string once = readFile(qiv);
  EXPECT_EQ(once, m.before + qitBytes.substr(16) + m.after);
  EXPECT_EQ(readFile(qit), qitBytes);
  ASSERT_EQ(swap(qit, qiv), 0);
  EXPECT_EQ(readFile(qiv), once);

  // A vertex chunk first in the file and with no records: nothing changes.
  const std::string empty = qivHeader() + chunk(tolvane::kVertexTag, 0, "") + "rest";
  writeFile(qiv, empty);
  writeFile(qit, qitFor(0));
  EXPECT_EQ(swap(qit, qiv), 0);
  EXPECT_EQ(readFile(qiv), empty);
}

TEST(VertexSwapQiv, RefusalsLeaveBothFilesAsTheyWere) {
  const Mesh m = mesh(3);
  std::string longer = qitFor(3);
  longer.replace(4, 4, std::string("\x40\0\0\0", 4));   // length 64, count 3
  std::string fewer = qitFor(2);
  fewer.replace(4, 4, std::string("\x34\0\0\0", 4));    // length 52, count 2
  std::string lyingMesh = m.bytes().substr(0, m.before.size() + 24);  // count 3, 2 records
  struct Case {
    const char* what;
    std::string qiv, qit;  // "-" = missing, "/" = a folder
    float code;
  } cases[] = {
      {"missing Qiv", "-", qitFor(3), -1760},
      {"Qiv of its header only", qivHeader(), qitFor(3), -18},
      {"Qiv without vertex chunk", qivHeader() + chunk(tolvane::kFaceTag, 0, ""), qitFor(3), -18},
      {"vertex records past the end", lyingMesh, qitFor(3), -1761},
      {"missing Qit", m.bytes(), "-", -201},
      {"Qit is a folder", m.bytes(), "/", -201},
      {"Qit shorter than its header", m.bytes(), qitFor(3).substr(0, 15), -1761},
      {"Qit length differs", m.bytes(), longer, -301},
      {"Qit count differs", m.bytes(), fewer, -301},
      {"Qit records missing", m.bytes(), qitFor(3).substr(0, 16 + 35), -1761},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string qiv = dir / "m.qiv", qit = dir / "m.Qit";
    if (c.qiv != "-") writeFile(qiv, c.qiv);
    if (c.qit == "/") mkdir(qit.c_str(), 0755);
    else if (c.qit != "-") writeFile(qit, c.qit);
    EXPECT_EQ(swap(qit, qiv), c.code) << c.what;
    if (c.qiv != "-") {
      EXPECT_EQ(readFile(qiv), c.qiv) << c.what;
    }
    if (c.qit.size() > 1) {
      EXPECT_EQ(readFile(qit), c.qit) << c.what;
    }
    EXPECT_EQ(dir.list().size(), size_t(c.qiv != "-") + size_t(c.qit != "-")) << c.what;
  }
  EXPECT_EQ(call("SwapVertices_Qiv", nullptr, 0, std::string("x.qiv")), -2);
  EXPECT_EQ(call("SwapVertices_Qiv", "x.Qit", 0, static_cast<char*>(nullptr)), -2);
}

TEST(VertexSwapQiv, TruncatedAndLyingFilesEndCleanly) {
  TempDir dir;
  const std::string qiv = dir / "m.qiv", qit = dir / "m.Qit";
  const Mesh m = mesh(4);
  const std::string full = m.bytes(), qitBytes = qitFor(4);
  writeFile(qit, qitBytes);
  for (size_t n = 0; n < full.size(); ++n) {
    writeFile(qiv, full.substr(0, n));
    const float r = swap(qit, qiv);
    EXPECT_TRUE(r == -18 || r == -1761 || (r == 0 && n >= m.before.size() + m.records.size())) << n << ": " << r;
    if (r != 0) {
      EXPECT_EQ(readFile(qiv), full.substr(0, n)) << n;
    }
  }
  writeFile(qiv, full);
  for (size_t n = 0; n < qitBytes.size(); ++n) {
    writeFile(qit, qitBytes.substr(0, n));
    EXPECT_EQ(swap(qit, qiv), -1761) << n;
    EXPECT_EQ(readFile(qiv), full) << n;
  }
  // Chunk lengths that barely move the walk, or jump past the end, and a
  // vertex count far beyond the file.
  for (unsigned length : {1u, 15u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    writeFile(qiv, qivHeader() + chunk(7, 0, "", length) + std::string(40, 1));
    EXPECT_EQ(swap(qit, qiv), -18) << length;
  }
  writeFile(qiv, qivHeader() + chunk(tolvane::kVertexTag, 0xFFFFFFFF, "", 16));
  EXPECT_EQ(swap(qit, qiv), -1761);
}

TEST(VertexSwapQiv, ReadOnlyFilesAreRefused) {
  TempDir dir;
  const std::string qiv = dir / "m.qiv", qit = dir / "m.Qit";
  const std::string meshBytes = mesh(2).bytes(), qitBytes = qitFor(2);
  writeFile(qiv, meshBytes);
  writeFile(qit, qitBytes);
  chmod(qiv.c_str(), 0666);
  chmod(qit.c_str(), 0444);
  EXPECT_EQ(asOrdinaryUser(dir, [&] { return swap(qit, qiv); }), -201);
  chmod(qiv.c_str(), 0444);
  chmod(qit.c_str(), 0666);
  EXPECT_EQ(asOrdinaryUser(dir, [&] { return swap(qit, qiv); }), -401);
  EXPECT_EQ(readFile(qiv), meshBytes);
  EXPECT_EQ(readFile(qit), qitBytes);
}

TEST(VertexSwapQiv, AFailedWriteLeavesTheOldMesh) {
  TempDir dir;
  const std::string qiv = dir / "m.qiv", qit = dir / "m.Qit";
  const std::string meshBytes = mesh(20000).bytes();
  writeFile(qiv, meshBytes);
  writeFile(qit, qitFor(20000));
  EXPECT_EQ(withFileSizeLimit(100000, [&] { return swap(qit, qiv); }), -401);
  EXPECT_EQ(readFile(qiv), meshBytes);
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"m.Qit", "m.qiv"}));
}
