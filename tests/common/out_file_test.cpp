// Output files: what reaches the disk when writing succeeds, fails half-way,
// or the file is given up.
#include "common/out_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "common/bytes.h"
#include "support/support.h"

using tolvane::OutFile;
using namespace testsupport;

namespace {

std::string bigText(size_t n) {
  std::string s(n, 'x');
  for (size_t i = 0; i < n; i += 97) s[i] = char('a' + i % 26);
  return s;
}

}  // namespace

TEST(OutFile, ReplacesOnlyWhenCommittedAndWhole) {
  TempDir dir;
  std::string path = dir / "out.txt";
  std::string data = bigText(5u << 20);
  writeFile(path, "old");
  {
    OutFile out;
    ASSERT_TRUE(out.create(path.c_str()));
    out.write(data.data(), 1000);                   // buffered
    out.write(data.data() + 1000, (3u << 20));      // larger than the buffer
    for (size_t i = 1000 + (3u << 20); i < data.size(); ++i) out.put(data[i]);
    EXPECT_EQ(readFile(path), "old") << "the destination changes only at commit";
    ASSERT_TRUE(out.commit());
  }
  EXPECT_EQ(readFile(path), data);
  {
    OutFile out;
    ASSERT_TRUE(out.create(path.c_str()));
    out.put("dropped");
  }  // given up without commit
  EXPECT_EQ(readFile(path), data);
  EXPECT_EQ(dir.list(), std::vector<std::string>{"out.txt"}) << "no temporary file is left";
}

// A write that fails half-way leaves the original: a replacement is never
// renamed into place, an append is cut back to the old size.
TEST(OutFile, AWriteThatFailsHalfWayLeavesTheOriginal) {
  TempDir dir;
  std::string path = dir / "mesh.obj";
  std::string data = bigText(4u << 20);
  for (bool append : {false, true}) {
    writeFile(path, "v 1 2 3\n");
    float r = withFileSizeLimit(1 << 20, [&] {
      OutFile out;
      if (!(append ? out.openAppend(path.c_str()) : out.create(path.c_str()))) return -1.0f;
      out.write(data.data(), data.size());
      return out.commit() ? 0.0f : -2.0f;
    });
    EXPECT_EQ(r, -2.0f) << "commit reports the failed write";
    EXPECT_EQ(readFile(path), "v 1 2 3\n");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"mesh.obj"});
  }
  OutFile out;
  ASSERT_TRUE(out.openAppend(path.c_str()));
  out.put("f 1 2 3 \n");
  ASSERT_TRUE(out.commit());
  EXPECT_EQ(readFile(path), "v 1 2 3\nf 1 2 3 \n");
}

TEST(OutFile, DevicesAreWrittenNotReplaced) {
  if (!exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string data = bigText(2u << 20);
  {
    OutFile out;
    ASSERT_TRUE(out.create("/dev/full"));
    out.write(data.data(), data.size());
    EXPECT_FALSE(out.commit()) << "a full disk is a failed write";
  }
  struct stat st;
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device must still be a device";
  ASSERT_TRUE(tolvane::writeWholeFile("/dev/null", data.data(), data.size()));
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(OutFile, CreationFailsWithoutTouchingAnything) {
  TempDir dir;
  OutFile out;
  EXPECT_FALSE(out.create((dir / "missing/out.txt").c_str())) << "folder does not exist";
  EXPECT_FALSE(out.create(dir.path().c_str())) << "a folder is not a file";
  EXPECT_FALSE(out.create(""));
  EXPECT_FALSE(out.create(nullptr));
  EXPECT_TRUE(dir.list().empty());
}

TEST(OutFile, NoReplaceNeverOverwrites) {
  TempDir dir;
  std::string path = dir / "a.obj";
  OutFile out;
  ASSERT_TRUE(out.create(path.c_str(), OutFile::Mode::NoReplace));
  out.put("mine");
  writeFile(path, "someone else's");  // appears while we write
  EXPECT_FALSE(out.commit());
  EXPECT_EQ(readFile(path), "someone else's");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"a.obj"});
}

#if !defined(_WIN32)
TEST(OutFile, ReplaceKeepsPermissionsAndSymlinks) {
  TempDir dir;
  std::string target = dir / "target.psd";
  std::string link = dir / "link.psd";
  writeFile(target, "old");
  chmod(target.c_str(), 0640);
  ASSERT_EQ(symlink("target.psd", link.c_str()), 0);
  ASSERT_TRUE(tolvane::writeWholeFile(link.c_str(), "new", 3));
  EXPECT_EQ(readFile(target), "new");
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}
#endif

TEST(ByteImage, LoadsExactlyTheFileAndRefusesFolders) {
  TempDir dir;
  std::string path = dir / "data.bin";
  std::string data = bigText(100000);
  data[5] = '\0';
  writeFile(path, data);
  tolvane::Bytes bytes = {1, 2, 3};
  ASSERT_TRUE(tolvane::loadFile(path.c_str(), bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), data);

  tolvane::Bytes kept = {7};
  EXPECT_FALSE(tolvane::loadFile(dir.path().c_str(), kept));
  EXPECT_FALSE(tolvane::loadFile((dir / "missing").c_str(), kept));
  EXPECT_FALSE(tolvane::loadFile(nullptr, kept));
  EXPECT_EQ(kept, tolvane::Bytes{7}) << "a failed load leaves the image as it was";

  writeFile(path, "");
  ASSERT_TRUE(tolvane::loadFile(path.c_str(), kept));
  EXPECT_TRUE(kept.empty());
}

TEST(ByteImage, CheckedReadsStopAtTheEnd) {
  const unsigned char raw[] = {0x11, 0x27, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0xFF, 0xFE};
  tolvane::ByteReader r(raw, sizeof raw);
  uint32_t u = 0;
  float f = 0;
  int32_t i = 0;
  EXPECT_TRUE(r.u32le(0, u));
  EXPECT_EQ(u, 10001u);
  EXPECT_TRUE(r.f32le(4, f));
  EXPECT_EQ(f, 1.0f);
  EXPECT_TRUE(r.i16be(8, i));
  EXPECT_EQ(i, -2);
  EXPECT_FALSE(r.u32le(7, u));
  EXPECT_FALSE(r.u32le(UINT64_MAX - 1, u)) << "positions near the top must not wrap";
  EXPECT_EQ(r.span(10, 0), raw + 10);
  EXPECT_EQ(r.span(10, 1), nullptr);
  EXPECT_EQ(r.span(2, UINT64_MAX), nullptr);
}
