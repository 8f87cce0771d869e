// Files on disk: whole loads and the front of a file; output files, and
// what reaches the disk when writing succeeds or is given up, by every kind
// of name a user may give.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(_WIN32)
#include <windows.h>
#endif

#include "common/appender.h"
#include "common/atomic_file.h"
#include "common/file_front.h"
#include "support/support.h"

using tolvane::AtomicFile;
using namespace testsupport;

TEST(AtomicFile, ReplacesOnlyWhenCommittedAndWhole) {
  TempDir dir;
  const std::string path = dir / "out.txt", data = bytePattern(5u << 20);
  writeFile(path, "old");
  {
    AtomicFile out;
    ASSERT_TRUE(out.create(path.c_str()));
    out.write(data.data(), 1000);               // buffered
    out.write(data.data() + 1000, (3u << 20));  // larger than the buffer
    for (size_t i = 1000 + (3u << 20); i < data.size(); ++i) out.put(data[i]);
    EXPECT_EQ(readFile(path), "old") << "the destination changes only at commit";
    ASSERT_TRUE(out.commit());
  }
  EXPECT_TRUE(readFile(path) == data);

  AtomicFile out;
  EXPECT_FALSE(out.create((dir / "missing/out.txt").c_str())) << "folder does not exist";
  EXPECT_FALSE(out.create(dir.path().c_str())) << "a folder is not a file";
  EXPECT_FALSE(out.create(""));
  EXPECT_FALSE(out.create(nullptr));
  ASSERT_TRUE(out.create((dir / "a.obj").c_str(), AtomicFile::Mode::NoReplace));
  out.put("mine");
  writeFile(dir / "a.obj", "someone else's");  // appears while we write
  EXPECT_FALSE(out.commit()) << "no-replace never overwrites";
  EXPECT_EQ(readFile(dir / "a.obj"), "someone else's");
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.obj", "out.txt"}));
}

TEST(Appender, AnAppendGivenUpIsCutBackAndNamesAreBytes) {
  TempDir dir;
  const std::string path = dir / "t\xC3\xAAte \xE6\x97\xA5\xE6\x9C\xAC.obj";  // "tête 日本.obj"
  ASSERT_TRUE(tolvane::writeWholeFile(path.c_str(), "v 1 2 3\r\n", 9));
  std::string back;
  ASSERT_TRUE(tolvane::loadFile(path.c_str(), back));
  EXPECT_EQ(back, "v 1 2 3\r\n") << "non-ASCII names; bytes untranslated, CR included";
  tolvane::Appender out;
  ASSERT_TRUE(out.open(path.c_str()));
  out.put("f 1 2 3\r\n");
  out.abort();
  EXPECT_EQ(readFile(path), "v 1 2 3\r\n") << "an abandoned append is cut back";
  ASSERT_TRUE(out.open(path.c_str()));
  out.put("f 1 2 3 \n");
  ASSERT_TRUE(out.commit());
  EXPECT_EQ(readFile(path), "v 1 2 3\r\nf 1 2 3 \n");
}

#if !defined(_WIN32)
TEST(AtomicFile, DevicesAreWrittenNotReplacedAndLinksKept) {
  struct stat st;
  ASSERT_TRUE(tolvane::writeWholeFile("/dev/null", "x", 1));
  EXPECT_TRUE(stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode)) << "the device must still be a device";
  TempDir dir;
  writeFile(dir / "target.psd", "old");
  chmod((dir / "target.psd").c_str(), 0640);
  ASSERT_EQ(symlink("target.psd", (dir / "link.psd").c_str()), 0);
  ASSERT_TRUE(tolvane::writeWholeFile((dir / "link.psd").c_str(), "new", 3));
  EXPECT_EQ(readFile(dir / "target.psd"), "new");
  EXPECT_TRUE(lstat((dir / "link.psd").c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << "the link stays a link";
  EXPECT_TRUE(stat((dir / "target.psd").c_str(), &st) == 0 && (st.st_mode & 0777) == 0640);
}
#else
TEST(AtomicFileWindows, BackslashesHiddenTemporariesDevicesAndFilesHeldOpen) {
  TempDir dir;
  const std::string path = backslashed(dir / "mesh.obj");
  ASSERT_NE(path.find(":\\"), std::string::npos) << "a drive path: " << path;
  ASSERT_TRUE(tolvane::writeWholeFile(path.c_str(), "one", 3));
  AtomicFile out;
  ASSERT_TRUE(out.create(path.c_str()));
  out.put("two");
  std::vector<std::string> names = dir.list();  // the temporary is hidden while it is written
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].rfind(".mesh.obj.tolvane-", 0), 0u) << names[0];
  EXPECT_TRUE(GetFileAttributesW(wide(dir / names[0]).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(out.commit());
  EXPECT_EQ(readFile(dir / "mesh.obj"), "two");
  EXPECT_FALSE(GetFileAttributesW(wide(path).c_str()) & FILE_ATTRIBUTE_HIDDEN) << "the finished file is not hidden";
  EXPECT_FALSE(out.create((backslashed(dir.path()) + "\\").c_str())) << "a folder is not a file";
  EXPECT_FALSE(tolvane::writeWholeFile((dir / "bad\xFF.obj").c_str(), "x", 1))
      << "text that is not UTF-8 names no file";
  EXPECT_TRUE(tolvane::writeWholeFile("NUL", "x", 1));
  // Another program holds the file without letting anyone delete or write it.
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(tolvane::writeWholeFile(path.c_str(), "three", 5));
  CloseHandle(h);
  EXPECT_EQ(readFile(path), "two");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"mesh.obj"});
  if (!readOnlyIsEnforced()) GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
  SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY);
  tolvane::Appender appender;
  EXPECT_FALSE(out.create(path.c_str()) || appender.open(path.c_str()));
  SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

static std::string text(const tolvane::ByteReader& r) {
  return std::string(reinterpret_cast<const char*>(r.data), r.size);
}

TEST(ByteImage, LoadsExactlyTheFileOrLeavesTheImageAsItWas) {
  TempDir dir;
  const std::string data = bytePattern(3 << 20);  // past one read and a huge page
  writeFile(dir / "mesh.qiv", data);
  tolvane::Bytes bytes = {1, 2, 3};
  ASSERT_TRUE(tolvane::loadFile((dir / "mesh.qiv").c_str(), bytes));
  EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == data);
  tolvane::FileFront refused;
  for (const std::string& bad : {dir / "missing", dir.path()}) {
    EXPECT_FALSE(tolvane::loadFile(bad.c_str(), bytes) || tolvane::loadFile(nullptr, bytes)) << bad;
    EXPECT_FALSE(refused.open(bad.c_str()) || refused.open(nullptr)) << bad;
  }
  EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == data);

  // The front grows as asked, never shrinks, and stops at the end of the file.
  tolvane::FileFront front;
  ASSERT_TRUE(front.open((dir / "mesh.qiv").c_str()));
  tolvane::ByteReader first = front.upTo(48), more = front.upTo(2000000);
  EXPECT_EQ(text(first), data.substr(0, 48));
  EXPECT_EQ(first.data, more.data) << "earlier readers stay valid";
  EXPECT_TRUE(text(front.upTo(10)) == data.substr(0, 2000000));
  tolvane::ByteReader all = front.upTo(uint64_t(1) << 40);
  EXPECT_TRUE(text(all) == data) << "a claim past the end gives the whole file, no more";
  EXPECT_FALSE(all.has(data.size() - 4, 8));
  EXPECT_FALSE(all.has(UINT64_MAX - 1, 4)) << "positions near the top must not wrap";
}
