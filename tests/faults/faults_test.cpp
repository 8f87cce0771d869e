// Failed writes, for real: each writer runs in a child whose writes stop part-way (a file size
// limit); every file is then the old or the new one, no temporary is left, and no call whose files
// are not the new ones reports success. Then the other ways jobs on a farm lose a user's file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <map>

#include "support/support.h"

using namespace testsupport;

namespace {

using Snapshot = std::map<std::string, std::string>;
using Files = std::vector<std::pair<const char*, std::string>>;

Snapshot snapshot(const TempDir& dir) {
  Snapshot s;
  for (const std::string& name : dir.list()) s[name] = readFile(dir / name);
  return s;
}

// --- inputs, large enough that writing them takes many blocks ---
std::string qivMesh(unsigned n) {
  std::string xyz, colours, faces, uvs;
  for (unsigned i = 0; i < n; ++i) {
    putF32(xyz, i * 0.5f), putF32(xyz, -float(i)), putF32(xyz, 1.0f / (i + 1));
    putU32(colours, i * 2654435761u);
  }
  for (unsigned f = 0; f < n / 2; ++f) {
    putU32(faces, f), putU32(faces, f + 1), putU32(faces, f + 2), putU32(faces, f % 2 ? 0xFFFFFFFFu : f + 3);
    for (int k = 0; k < 4; ++k) putF32(uvs, float(f % 3) + 0.25f), putF32(uvs, float(f % 2) + 0.5f);
  }
  return qiv(chunk(kVertexTag, n, xyz) + chunk(kColourTag, n, colours) + chunk(kFaceTag, n / 2, faces) +
             chunk(kUVTag, n / 2, uvs));
}

std::string objMesh(unsigned vertices, unsigned groups) {
  std::string s = "# combined\n";
  unsigned per = vertices / groups;
  for (unsigned g = 0; g < groups; ++g) {
    for (unsigned i = 0; i < per; ++i)
      s += "v " + std::to_string(g) + ".125 " + std::to_string(i) + " -" + std::to_string(i % 7) + ".5\n";
    s += "g part" + std::to_string(g) + "\n";
    for (unsigned b = g * per + 1; b + 2 <= g * per + per; ++b)
      s += "f " + std::to_string(b) + "/1 " + std::to_string(b + 1) + "/2 " + std::to_string(b + 2) + "/3\n";
  }
  return s;
}

std::string psd(int size, bool alpha = false) { return rgbPsd(size, size, pattern, alpha).bytes(); }

std::string vertexLines(int n) {
  std::string records;
  for (int i = 0; i < n; ++i) records += "v 9 8 " + std::to_string(i) + "\n";
  return records;
}

void groupList(const char* prefix, int n, double faces) {
  call("GroupListClear", nullptr, 0, nullptr);
  for (int g = 0; g < n; ++g) call("GroupListAdd", (prefix + std::to_string(g)).c_str(), faces, nullptr);
}

struct Case {
  const char *entry, *text, *buffer;  // file names in the folder (or none)
  double number;
  Files (*inputs)();
  void (*prepare)(const TempDir&) = nullptr;  // library state the call needs

  void setup(const TempDir& d) const {
    for (const auto& [name, bytes] : inputs()) writeFile(d / name, bytes);
  }
  float run(const TempDir& d) const {
    if (prepare) prepare(d);
    return call(entry, text ? (d / text).c_str() : nullptr, number, buffer ? d / buffer : std::string());
  }
};

Files splitInput() { return {{"mesh.obj", objMesh(120000, 6)}}; }
Files onePsd() { return {{"a.psd", psd(1024)}}; }
std::string strip() { return bmp(2048, 1024, [](int i, int y) { return uint8_t(i * 7 + y); }); }

const Case kCases[] = {
    {"SwapVertices_Qiv", "part.Qit", "mesh.qiv", 0,
     [] { return Files{{"mesh.qiv", qivMesh(200000)}, {"part.Qit", qit(std::vector<float>(600000, 3.5f))}}; }},
    {"qivtoOBJ", "mesh.qiv", "mesh.obj", 0,
     [] { return Files{{"mesh.qiv", qivMesh(100000)}, {"mesh.obj", "# an earlier export\n"}}; },
     [](const TempDir& d) { call("getFaceIDs", (d / "mesh.qiv").c_str(), 1, nullptr); }},
    {"outMRGB", "colours.qiv", "colours.txt", 0, [] { return Files{{"colours.qiv", qivMesh(300000)}}; }},
    {"SwapVertices", "src.obj", "dest.obj", 0,
     [] { return Files{{"dest.obj", objMesh(120000, 4)}, {"src.obj", vertexLines(120000)}}; }},
    {"SplitOBJ", "mesh.obj", "out", 0, splitInput},
    {"SplitOBJtoQiv", "mesh.obj", "out", 0, splitInput},
    {"ListSplitOBJtoQiv", "mesh.obj", "out", 0, splitInput, [](const TempDir&) { groupList("list", 6, 19998); }},
    {"AppendOBJ", "part.obj", "combined.obj", 3000,
     [] { return Files{{"part.obj", objMesh(60000, 1)}, {"combined.obj", objMesh(3000, 1)}}; }},
    {"GroupListSave", "groups.lst", nullptr, 0, [] { return Files{{"groups.lst", "an earlier list"}}; },
     [](const TempDir&) { groupList("group", 20000, 3); }},
    {"MakeStencilPSD", "a.psd", nullptr, 255, onePsd},
    {"SwapColorsPSD", "a.psd", nullptr, 65280, [] { return Files{{"a.psd", psd(1024, true)}}; }},
    {"RGBtoGrayscale", "a.psd", "gray.psd", 20, onePsd},
    {"MergePSDfiles", "top.psd", "bottom.psd", 0,
     [] { return Files{{"top.psd", psd(1024)}, {"bottom.psd", psd(1024, true)}}; }},
    {"HealPSDfiles", "edge.psd", "body.psd", 1, [] { return Files{{"edge.psd", psd(1024)}, {"body.psd", psd(1024)}}; }},
    {"CreateThumbnail", "a.psd", nullptr, 1000, [] { return Files{{"a.psd", psd(1500)}}; }},
    {"CropBMPfile", "in.bmp", "out.bmp", 10, [] { return Files{{"in.bmp", strip()}, {"out.bmp", "an earlier crop"}}; },
     [](const TempDir&) { call("CropBMP_SetWidth", nullptr, 1500, nullptr); }},
};

class Faults : public ::testing::TestWithParam<size_t> {};

// What `fn` returned in a child process running as user and group `id`
// (with no file size limit).
float asUser(unsigned id, const std::function<float()>& fn) {
  return withFileSizeLimit(-1, [&] { return setgid(id) == 0 && setuid(id) == 0 ? fn() : NAN; });
}

struct stat statOf(const std::string& path) {
  struct stat st = {};
  stat(path.c_str(), &st);
  return st;
}

// Runs `a` and `b` in two child processes at once; true when both succeeded.
bool together(const std::function<bool()>& a, const std::function<bool()>& b) {
  pid_t jobs[2] = {fork(), -1};
  if (jobs[0] == 0) _exit(a() ? 0 : 1);
  if ((jobs[1] = fork()) == 0) _exit(b() ? 0 : 1);
  int status[2];
  for (int k = 0; k < 2; ++k) waitpid(jobs[k], &status[k], 0);
  return status[0] == 0 && status[1] == 0;
}

}  // namespace

// An append stopped part-way must be cut back to what the file held; any
// other output keeps the old file or none.
TEST_P(Faults, AWriteStoppedByAFileSizeLimitKeepsEveryFileWhole) {
  const Case& c = kCases[GetParam()];
  TempDir reference;
  c.setup(reference);
  const float ok = c.run(reference);
  const Snapshot done = snapshot(reference);
  size_t largest = 0;
  for (const auto& [name, bytes] : done) largest = std::max(largest, bytes.size());
  for (long limit : {0L, long(largest / 3), long(largest - 1)}) {
    TempDir dir;
    c.setup(dir);
    const Snapshot before = snapshot(dir);
    const float r = withFileSizeLimit(limit, [&] { return c.run(dir); });
    ASSERT_FALSE(std::isnan(r)) << "the process died at limit " << limit;
    const Snapshot after = snapshot(dir);
    for (const auto& [name, bytes] : after) {
      auto old = before.find(name), full = done.find(name);
      EXPECT_TRUE((old != before.end() && old->second == bytes) || (full != done.end() && full->second == bytes))
          << name << " is neither the old nor the new file (" << bytes.size() << " bytes, limit " << limit << ")";
    }
    for (const auto& [name, bytes] : before) EXPECT_TRUE(after.count(name) || !done.count(name)) << name;
    if (after != done) {
      EXPECT_NE(r, ok) << "a failed write must not report success (limit " << limit << ")";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, Faults, ::testing::Range<size_t>(0, std::size(kCases)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(kCases[info.param].entry);
                         });

// In the host's own process, with SIGXFSZ at its default (which ends the
// process): a write past the size limit is a failure code, an append is cut
// back, and the host's disposition is its own again afterwards.
TEST(SizeLimitInTheHost, IsAFailureCodeNotADeadHost) {
  TempDir dir;
  const std::string combined = objMesh(3000, 1);
  writeFile(dir / "combined.obj", combined);
  writeFile(dir / "part.obj", objMesh(60000, 1));
  groupList("group", 20000, 3);
  struct sigaction host = {};
  host.sa_handler = SIG_DFL;
  ASSERT_EQ(sigaction(SIGXFSZ, &host, nullptr), 0);
  struct rlimit before;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  struct rlimit limit = {rlim_t(combined.size() + 1000), before.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const float appended = call("AppendOBJ", (dir / "part.obj").c_str(), 3000, dir / "combined.obj");
  const float saved = call("GroupListSave", (dir / "groups.lst").c_str(), 0, nullptr);
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(appended, -2);
  EXPECT_EQ(saved, -3);
  EXPECT_TRUE(readFile(dir / "combined.obj") == combined) << "the append is cut back";
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"combined.obj", "part.obj"}));
  struct sigaction now;
  ASSERT_EQ(sigaction(SIGXFSZ, nullptr, &now), 0);
  EXPECT_TRUE(now.sa_handler == SIG_DFL) << "the host's disposition is put back";
}


// A rewrite keeps the file's owner and group; a user who may write the file
// but not give it away gets a file of their own without set-ID bits, which
// would otherwise run as them.
TEST(Rewrites, KeepTheOwnerOrDropSetIdBits) {
  if (geteuid() != 0) GTEST_SKIP() << "making files of other users needs root";
  TempDir dir;
  const std::string a = dir / "a.psd";
  chmod(dir.path().c_str(), 0777);
  writeFile(a, psd(64));
  ASSERT_EQ(chown(a.c_str(), 4321, 4321), 0);
  ASSERT_EQ(chmod(a.c_str(), 06755), 0);
  EXPECT_EQ(call("MakeStencilPSD", a.c_str(), 255, nullptr), 0);
  struct stat st = statOf(a);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4321u);
  EXPECT_EQ(st.st_mode & 07777, 06755u);

  ASSERT_EQ(chmod(a.c_str(), 06777), 0);
  EXPECT_EQ(asUser(5678, [&] { return call("MakeStencilPSD", a.c_str(), 255, nullptr); }), 0);
  st = statOf(a);
  EXPECT_EQ(st.st_uid, 5678u) << "another user cannot give the file away";
  EXPECT_EQ(st.st_mode & 07777, 0777u) << "no set-ID bits on a file whose owner changed";
}

TEST(Rewrites, KeepExtendedAttributes) {
  TempDir dir;
  const std::string a = dir / "a.psd";
  writeFile(a, psd(64));
  if (setxattr(a.c_str(), "user.tolvane.note", "approved", 8, 0) != 0)
    GTEST_SKIP() << "this file system refuses user attributes";
  EXPECT_EQ(call("MakeStencilPSD", a.c_str(), 255, nullptr), 0);
  char value[16] = {};
  EXPECT_EQ(getxattr(a.c_str(), "user.tolvane.note", value, sizeof value), 8);
  EXPECT_STREQ(value, "approved");
}

// What the library asks of the file system, in order, while a test records:
// these definitions stand in front of the C library's for the whole process.
static std::vector<std::string>* fileSystemCalls = nullptr;

extern "C" int fsync(int fd) {
  static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
  struct stat st;
  const bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
  if (fileSystemCalls) fileSystemCalls->push_back(folder ? "fsync folder" : "fsync file");
  return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
  static auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
  if (fileSystemCalls) fileSystemCalls->push_back("rename");
  return real(from, to);
}

// The user's only copy is replaced by bytes already on the disk, and its new
// name reaches the disk too; new files beside their inputs skip both.
TEST(Rewrites, ReachTheDiskBeforeTheyReplaceTheOnlyCopy) {
  TempDir dir;
  writeFile(dir / "dest.obj", objMesh(1200, 4));
  writeFile(dir / "src.obj", vertexLines(1200));
  std::vector<std::string> calls;
  auto recorded = [&](const char* entry, const std::string& text, const std::string& buffer) {
    calls.clear();
    fileSystemCalls = &calls;
    const float r = call(entry, text.c_str(), 0, buffer);
    fileSystemCalls = nullptr;
    return r;
  };
  EXPECT_EQ(recorded("SwapVertices", dir / "src.obj", dir / "dest.obj"), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"fsync file", "rename", "fsync folder"}));
  EXPECT_EQ(recorded("SplitOBJ", dir / "dest.obj", dir.path()), 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "fsync file"), 0) << "splits leave their input in place";
}

TEST(Rewrites, NeverSplitAHardLinkedFile) {
  TempDir dir;
  const std::string a = dir / "a.psd", b = dir / "b.psd", old = psd(64);
  writeFile(a, old);
  ASSERT_EQ(link(a.c_str(), b.c_str()), 0);
  const float r = call("MakeStencilPSD", a.c_str(), 255, nullptr);
  const struct stat sa = statOf(a), sb = statOf(b);
  EXPECT_EQ(sa.st_ino, sb.st_ino) << "both names still name one file";
  EXPECT_TRUE(readFile(a) == readFile(b));
  if (r != 0) {
    EXPECT_TRUE(readFile(a) == old) << "a refused rewrite changes nothing";
  }
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.psd", "b.psd"}));
}

// Hidden names in use are passed over; stale ones of processes that are gone
// (killed while writing) are cleared away by the next write beside them.
TEST(Rewrites, PassOverTakenHiddenNamesAndClearDeadOnes) {
  TempDir dir;
  writeFile(dir / "a.psd", psd(64));
  const std::string mine = ".a.psd.tolvane-" + std::to_string(getpid()) + "-";
  for (int n = 1; n <= 20; ++n) writeFile(dir / (mine + std::to_string(n)), "taken");
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string stale = ".b.obj.tolvane-" + std::to_string(dead) + "-7";
  const std::string fresh = ".c.obj.tolvane-" + std::to_string(dead) + "-8";
  writeFile(dir / stale, "left behind");
  writeFile(dir / fresh, "maybe another machine's");
  const struct timeval hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
  ASSERT_EQ(utimes((dir / stale).c_str(), hourAgo), 0);
  EXPECT_EQ(call("MakeStencilPSD", (dir / "a.psd").c_str(), 255, nullptr), 0);
  EXPECT_FALSE(exists(dir / stale));
  EXPECT_TRUE(exists(dir / fresh));
  EXPECT_EQ(dir.list().size(), 22u) << "this process's names and the fresh one stay";
}

// A copy reaches its name whole or not at all, and replaces only a file:
// a device, a FIFO or a folder at the destination is refused and left alone.
TEST(FileCopyTo, ReplacesOnlyAFileAndNeverHalfWrites) {
  TempDir dir;
  const std::string src = dir / "src", fifo = dir / "fifo", device = dir / "device";
  writeFile(src, bytePattern(100000));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  EXPECT_EQ(call("FileCopyTo", src.c_str(), 0, fifo), -1.0f);
  EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
  if (geteuid() == 0) {
    ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);  // another /dev/null
    EXPECT_EQ(call("FileCopyTo", src.c_str(), 0, device), -1.0f);
    EXPECT_TRUE(S_ISCHR(statOf(device).st_mode));
  }
  // A pipe as the source, under a size limit: the copy fails whole.
  const float r = withFileSizeLimit(6000, [&] {
    if (fork() == 0) {
      int fd = open(fifo.c_str(), O_WRONLY);
      const std::string bytes = bytePattern(100000);
      _exit(write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) ? 0 : 1);
    }
    return call("FileCopyTo", fifo.c_str(), 0, dir / "copy");
  });
  EXPECT_EQ(r, -1.0f);
  EXPECT_FALSE(exists(dir / "copy")) << "never half-written";
}

// The destination is gone, as the call promises, with nothing left beside it.
TEST(FileCopyTo, OnAFullDiskLeavesNothingHalfWritten) {
  TempDir dir;
  const std::string disk = dir / "disk";
  makeDir(disk);
  if (mount("tolvane-test", disk.c_str(), "tmpfs", 0, "size=2m") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  struct Unmount {
    std::string at;
    ~Unmount() { umount(at.c_str()); }
  } unmount{disk};
  writeFile(disk + "/filler", bytePattern(1500000));
  writeFile(disk + "/copy", "old");
  writeFile(dir / "src", bytePattern(1000000));
  EXPECT_EQ(call("FileCopyTo", (dir / "src").c_str(), 0, disk + "/copy"), -1.0f);
  EXPECT_FALSE(exists(disk + "/copy"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk), {}), 1) << "no temporary is left behind";
}

// A device given as an input is "cannot open", not a read without end: the
// memory limit keeps a reader that tries from taking the machine's memory.
TEST(Inputs, ADeviceIsNotAFile) {
  SKIP_WITHOUT_FILE_SIZE_LIMIT();
  auto bounded = [](const char* entry, double number) {
#if defined(__SANITIZE_ADDRESS__)
    return call(entry, "/dev/zero", number, nullptr);  // the sanitizer needs its address space
#else
    return withMemoryLimit(64L << 20, [&] { return call(entry, "/dev/zero", number, nullptr); });
#endif
  };
  EXPECT_EQ(bounded("getFaceIDs", 1), -1760);
  EXPECT_EQ(bounded("MakeStencilPSD", 255), -1);
}

TEST(Appends, TwoJobsAtOnceEachLandWhole) {
  TempDir dir;
  const std::string parts[2] = {objMesh(60000, 1), objMesh(50000, 1)}, old = "# combined\n";
  std::string alone[2];
  for (int k = 0; k < 2; ++k) {
    writeFile(dir / ("part" + std::to_string(k) + ".obj"), parts[k]);
    writeFile(dir / "alone.obj", "");
    ASSERT_GT(call("AppendOBJ", (dir / ("part" + std::to_string(k) + ".obj")).c_str(), 0, dir / "alone.obj"), 0);
    alone[k] = readFile(dir / "alone.obj");
  }
  for (int round = 0; round < 20; ++round) {
    writeFile(dir / "combined.obj", old);
    auto append = [&](int k) {
      return call("AppendOBJ", (dir / ("part" + std::to_string(k) + ".obj")).c_str(), 0, dir / "combined.obj") > 0;
    };
    together([&] { return append(0); }, [&] { return append(1); });
    const std::string combined = readFile(dir / "combined.obj");
    ASSERT_TRUE(combined == old + alone[0] + alone[1] || combined == old + alone[1] + alone[0])
        << "round " << round << ": " << combined.size() << " bytes";
  }
}

// An append killed at any point is undone by the next append to the file,
// which then lands after what the file held before.
TEST(Appends, AKilledAppendIsRolledBackByTheNext) {
  TempDir dir;
  const std::string old = objMesh(3000, 1), part = dir / "part.obj", small = dir / "small.obj";
  const std::string combined = dir / "combined.obj";
  writeFile(part, objMesh(60000, 1));
  writeFile(small, "v 1 2 3\n");
  writeFile(combined, "");
  ASSERT_GT(call("AppendOBJ", part.c_str(), 0, combined), 0);
  const std::string whole = readFile(combined);
  std::mt19937 random(12345);
  for (int round = 0; round < 60; ++round) {
    writeFile(combined, old);
    pid_t job = fork();
    if (job == 0) _exit(call("AppendOBJ", part.c_str(), 0, combined) > 0 ? 0 : 1);
    usleep(useconds_t(random() % 20000));
    kill(job, SIGKILL);
    waitpid(job, nullptr, 0);
    ASSERT_EQ(call("AppendOBJ", small.c_str(), 0, combined), 1);
    const std::string after = readFile(combined);
    ASSERT_TRUE(after == old + "v 1 2 3\n" || after == old + whole + "v 1 2 3\n")
        << "round " << round << ": " << after.size() << " bytes";
  }
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"combined.obj", "part.obj", "small.obj"}));
}

TEST(Rewrites, TwoJobsAtOnceKeepBothChanges) {
  TempDir dir;
  const RGB from[2] = {{1, 2, 3}, {4, 5, 6}}, to[2] = {{7, 8, 9}, {10, 11, 12}};
  auto halves = [](const RGB* c) { return [=](int x, int) { return c[x / 600]; }; };
  auto number = [](RGB c) { return double(c.r << 16 | c.g << 8 | c.b); };
  const std::string before = rgbPsd(1200, 1200, halves(from)).bytes();  // 4 MB: a wide read-to-write window
  const std::string after = rgbPsd(1200, 1200, halves(to)).bytes();
  const std::string path = dir / "a.psd";
  for (int round = 0; round < 20; ++round) {
    writeFile(path, before);
    auto swap = [&](int k) {
      call("SetInColor", nullptr, number(from[k]), nullptr);
      return call("SwapColorsPSD", path.c_str(), number(to[k]), nullptr) == 0;
    };
    ASSERT_TRUE(together([&] { return swap(0); }, [&] { return swap(1); })) << "round " << round;
    ASSERT_TRUE(readFile(path) == after) << "round " << round << ": a change was lost";
  }
}

// An append that waits for a rewrite of its file lands in the new file, not
// in the one the rewrite replaced.
TEST(Appends, AfterARewriteLandInTheNewFile) {
  TempDir dir;
  const std::string old = objMesh(60000, 1), dest = dir / "dest.obj", small = dir / "small.obj";
  writeFile(dir / "src.obj", objMesh(60000, 2));
  writeFile(small, "v 1 2 3\n");
  writeFile(dest, old);
  ASSERT_EQ(call("SwapVertices", (dir / "src.obj").c_str(), 0, dest), 0);
  const std::string swapped = readFile(dest);
  for (int round = 0; round < 20; ++round) {
    writeFile(dest, old);
    together([&] { return call("SwapVertices", (dir / "src.obj").c_str(), 0, dest) == 0; },
             [&] { return call("AppendOBJ", small.c_str(), 0, dest) > 0; });
    const std::string after = readFile(dest);
    ASSERT_TRUE(after == swapped + "v 1 2 3\n" || after == old + "v 1 2 3\n")
        << "round " << round << ": " << after.size() << " bytes";
  }
}
