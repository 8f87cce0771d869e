// The front of a file: readers that stop early see exactly the bytes that
// loading the whole file would give them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "common/bytes.h"
#include "support/support.h"

using tolvane::ByteReader;
using tolvane::FileFront;
using namespace testsupport;

namespace {

std::string pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char(i * 131 + i / 251);
  return s;
}

std::string text(const ByteReader& r) { return std::string(reinterpret_cast<const char*>(r.data), r.size); }

}  // namespace

TEST(FileFront, GrowsAsAskedAndStopsAtTheEndOfTheFile) {
  TempDir dir;
  const std::string bytes = pattern(3 << 20);  // past one read and a huge page
  writeFile(dir / "mesh.qiv", bytes);
  FileFront front;
  ASSERT_TRUE(front.open((dir / "mesh.qiv").c_str()));
  ByteReader first = front.upTo(48);
  EXPECT_EQ(text(first), bytes.substr(0, 48));
  ByteReader more = front.upTo(2000000);
  EXPECT_EQ(text(more), bytes.substr(0, 2000000));
  EXPECT_EQ(first.data, more.data) << "earlier readers stay valid";
  EXPECT_EQ(text(front.upTo(10)), bytes.substr(0, 2000000)) << "never shrinks";
  ByteReader all = front.upTo(uint64_t(1) << 40);
  EXPECT_EQ(text(all), bytes) << "a claim past the end gives the whole file, no more";
  EXPECT_FALSE(all.has(bytes.size() - 4, 8));
}

TEST(FileFront, FailsLikeLoadFileAndReadsPipesWhole) {
  TempDir dir;
  FileFront missing, folder;
  EXPECT_FALSE(missing.open((dir / "none.qiv").c_str()));
  EXPECT_FALSE(folder.open(dir.path().c_str()));
  EXPECT_FALSE(missing.open(nullptr));

  writeFile(dir / "empty", "");
  FileFront empty;
  ASSERT_TRUE(empty.open((dir / "empty").c_str()));
  EXPECT_EQ(empty.upTo(48).size, 0u);

#if !defined(_WIN32)  // a pipe by a path: /proc/self/fd
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "pipe bytes", 10), 10);
  close(fds[1]);
  FileFront pipeFront;
  ASSERT_TRUE(pipeFront.open(("/proc/self/fd/" + std::to_string(fds[0])).c_str()));
  close(fds[0]);
  EXPECT_EQ(text(pipeFront.upTo(4)), "pipe bytes") << "a pipe has no size: all of it is read at once";
#endif
}
