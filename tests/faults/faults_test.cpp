// Failed writes, for real: every operation that writes a user's files runs
// in a child process whose writes stop part-way (a file size limit) or that
// is killed during the write. Afterwards every file in the folder is exactly
// as before or as a successful run writes it, with no temporary left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
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

// The folder's files before `entry` runs.
Files inputs(const std::string& entry) {
  std::string records;  // built only for the entry that reads them
  if (entry == "SwapVertices_Qiv") {
    for (unsigned i = 0; i < 200000; ++i) records += floats({2.0f * i, 3.0f, -1.0f});
    return {{"mesh.qiv", qivMesh(200000)}, {"part.Qit", chunk(kVertexTag, 200000, records)}};
  }
  if (entry == "outMRGB") {
    for (unsigned i = 0; i < 300000; ++i) putU32(records, i * 40503u);
    return {{"colours.qiv", qiv(chunk(kColourTag, 300000, records))}};
  }
  if (entry == "SwapVertices") {
    for (int i = 0; i < 120000; ++i) records += "v 9 8 " + std::to_string(i) + "\n";
    return {{"dest.obj", objMesh(120000, 4)}, {"src.obj", records}};
  }
  if (entry == "qivtoOBJ") return {{"mesh.qiv", qivMesh(100000)}, {"mesh.obj", "# an earlier export\n"}};
  if (entry == "AppendOBJ") return {{"part.obj", objMesh(60000, 1)}, {"combined.obj", objMesh(3000, 1)}};
  if (entry == "GroupListSave") return {{"groups.lst", "an earlier list"}};
  if (entry == "MakeStencilPSD" || entry == "RGBtoGrayscale") return {{"a.psd", psd(1024)}};
  if (entry == "SwapColorsPSD") return {{"a.psd", psd(1024, true)}};
  if (entry == "MergePSDfiles") return {{"top.psd", psd(1024)}, {"bottom.psd", psd(1024, true)}};
  if (entry == "HealPSDfiles") return {{"edge.psd", psd(1024)}, {"body.psd", psd(1024)}};
  if (entry == "CreateThumbnail") return {{"a.psd", psd(1500)}};
  if (entry == "CropBMPfile")
    return {{"in.bmp", bmp(2048, 1024, [](int i, int y) { return uint8_t(i * 7 + y); })},
            {"out.bmp", "an earlier crop"}};
  return {{"mesh.obj", objMesh(120000, 6)}};  // the splits
}

void groupList(const char* prefix, int n, double faces) {
  call("GroupListClear", nullptr, 0, nullptr);
  for (int g = 0; g < n; ++g) call("GroupListAdd", (prefix + std::to_string(g)).c_str(), faces, nullptr);
}

struct Case {
  const char *entry, *text, *buffer;  // file names in the folder (or none)
  double number;
  bool appends;  // grows a file in place instead of replacing it

  void setup(const TempDir& d) const {
    for (const auto& [name, bytes] : inputs(entry)) writeFile(d / name, bytes);
  }
  float run(const TempDir& d) const {  // with the library state the call needs
    const std::string e = entry;
    if (e == "qivtoOBJ") call("getFaceIDs", (d / text).c_str(), 1, nullptr);
    if (e == "ListSplitOBJtoQiv") groupList("list", 6, 19998);
    if (e == "GroupListSave") groupList("group", 20000, 3);
    if (e == "CropBMPfile") call("CropBMP_SetWidth", nullptr, 1500, nullptr);
    return call(entry, text ? (d / text).c_str() : nullptr, number, buffer ? d / buffer : std::string());
  }
};

const Case kCases[] = {
    {"SwapVertices_Qiv", "part.Qit", "mesh.qiv", 0, false},
    {"qivtoOBJ", "mesh.qiv", "mesh.obj", 0, false},
    {"outMRGB", "colours.qiv", "colours.txt", 0, false},
    {"SwapVertices", "src.obj", "dest.obj", 0, false},
    {"SplitOBJ", "mesh.obj", "out", 0, false},
    {"SplitOBJtoQiv", "mesh.obj", "out", 0, false},
    {"ListSplitOBJtoQiv", "mesh.obj", "out", 0, false},
    {"AppendOBJ", "part.obj", "combined.obj", 3000, true},
    {"GroupListSave", "groups.lst", nullptr, 0, false},
    {"MakeStencilPSD", "a.psd", nullptr, 255, false},
    {"SwapColorsPSD", "a.psd", nullptr, 65280, false},
    {"RGBtoGrayscale", "a.psd", "gray.psd", 20, false},
    {"MergePSDfiles", "top.psd", "bottom.psd", 0, false},
    {"HealPSDfiles", "edge.psd", "body.psd", 1, false},
    {"CreateThumbnail", "a.psd", nullptr, 1000, false},
    {"CropBMPfile", "in.bmp", "out.bmp", 10, false},
};

// A process killed outright may also leave a complete replacement under its
// hidden name ".NAME.tolvane-*" (killed between naming and renaming it) and
// an append that stopped part-way, its old contents intact.
void expectWholeFiles(const Snapshot& before, const Snapshot& after, const Snapshot& done, bool killed, bool appends) {
  for (const auto& [name, bytes] : after) {
    auto old = before.find(name), full = done.find(name);
    bool asBefore = old != before.end() && old->second == bytes, asDone = full != done.end() && full->second == bytes;
    if (killed && !asBefore && !asDone) {
      size_t mark = name.find(".tolvane-");
      auto replacement = name[0] == '.' && mark != std::string::npos ? done.find(name.substr(1, mark - 1)) : done.end();
      if (replacement != done.end() && replacement->second == bytes) continue;
      if (appends && old != before.end() && bytes.compare(0, old->second.size(), old->second) == 0) continue;
    }
    EXPECT_TRUE(asBefore || asDone) << name << " is neither the old nor the new file (" << bytes.size() << " bytes)";
  }
  for (const auto& [name, bytes] : before) EXPECT_TRUE(after.count(name) || !done.count(name)) << name << " vanished";
}

class Faults : public ::testing::TestWithParam<size_t> {
 protected:
  void SetUp() override {
    c.setup(reference);
    ok = c.run(reference);
    done = snapshot(reference);
  }
  const Case c = kCases[GetParam()];
  TempDir reference;
  float ok = 0;
  Snapshot done;
};

}  // namespace

TEST_P(Faults, AWriteStoppedByAFileSizeLimitKeepsEveryFileWhole) {
  size_t largest = 0;
  for (const auto& [name, bytes] : done) largest = std::max(largest, bytes.size());
  for (long limit : {0L, long(largest / 3), long(largest - 1)}) {
    TempDir dir;
    c.setup(dir);
    Snapshot before = snapshot(dir);
    float r = withFileSizeLimit(limit, [&] { return c.run(dir); });
    ASSERT_FALSE(std::isnan(r)) << "the process died at limit " << limit;
    Snapshot after = snapshot(dir);
    expectWholeFiles(before, after, done, false, c.appends);
    if (after != done) {
      EXPECT_NE(r, ok) << "a failed write must not report success (limit " << limit << ")";
    }
  }
}

// Out of memory anywhere (a vector, a thread, a buffer): a result code, no
// exception into the host, and whole files.
TEST_P(Faults, RunningOutOfMemoryFailsCleanlyAndKeepsEveryFileWhole) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  SKIP_WITHOUT_FILE_SIZE_LIMIT();
  for (long spare : {0L, 1L << 20, 8L << 20}) {
    TempDir dir;
    c.setup(dir);
    Snapshot before = snapshot(dir);
    float r = withMemoryLimit(spare, [&] { return c.run(dir); });
    ASSERT_FALSE(std::isnan(r)) << "the process died with " << spare << " bytes to spare";
    expectWholeFiles(before, snapshot(dir), done, false, c.appends);
  }
}

// A mesh large enough that its split needs fresh memory: with none to
// spare it fails with the out-of-memory code, writing nothing.
TEST(OutOfMemoryFaults, AreAResultCodeNotACrash) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  SKIP_WITHOUT_FILE_SIZE_LIMIT();
  TempDir dir;
  std::string obj = "g a\n";
  for (int i = 1; i <= 60000; ++i) obj += "v " + std::to_string(i) + ".5 2 3\nf " + std::to_string(i) + "\n";
  writeFile(dir / "in.obj", obj);
  for (const char* op : {"SplitOBJ", "SplitOBJtoQiv"}) {
    ASSERT_NE(symbol(op), nullptr);  // the library loaded before the limit
    const float r = withMemoryLimit(0, [&] { return call(op, (dir / "in.obj").c_str(), 0, dir / "out"); });
    EXPECT_EQ(r, -1772) << op;
    EXPECT_EQ(dir.list(), std::vector<std::string>{"in.obj"}) << op;
  }
}

TEST_P(Faults, AProcessKilledWhileWritingLeavesWholeFiles) {
  for (int delayMs : {1, 5, 20}) {
    TempDir dir;
    c.setup(dir);
    Snapshot before = snapshot(dir);
    pid_t pid = fork();
    if (pid == 0) {
      c.run(dir);
      _exit(0);
    }
    usleep(useconds_t(delayMs) * 1000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    expectWholeFiles(before, snapshot(dir), done, true, c.appends);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, Faults, ::testing::Range<size_t>(0, std::size(kCases)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(kCases[info.param].entry);
                         });
