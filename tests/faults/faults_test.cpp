// Failed writes, for real: every operation that writes a user's files runs
// in a child process whose writes stop part-way (a file size limit) or that
// is killed during the write. Afterwards every file in the folder must be
// either exactly as it was before or exactly what a successful run writes:
// never truncated, never mixed, and no temporary file left behind. The two
// things a kill can leave that a failed write cannot are named where they
// are allowed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

using Snapshot = std::map<std::string, std::string>;

Snapshot snapshot(const TempDir& dir) {
  Snapshot s;
  for (const std::string& name : dir.list()) s[name] = readFile(dir / name);
  return s;
}

struct Case {
  const char* name;
  std::function<void(const TempDir&)> setup;
  std::function<float(const TempDir&)> run;
  bool appends = false;  // grows a file in place instead of replacing it
};

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

std::string qitFile(unsigned n) {
  std::vector<float> xyz;
  for (unsigned i = 0; i < n; ++i) xyz.insert(xyz.end(), {2.0f * i, 3.0f, -1.0f});
  return qit(xyz);
}

std::string objMesh(unsigned vertices, unsigned groups) {
  std::string s = "# combined\n";
  unsigned per = vertices / groups;
  for (unsigned g = 0; g < groups; ++g) {
    for (unsigned i = 0; i < per; ++i)
      s += "v " + std::to_string(g) + ".125 " + std::to_string(i) + " -" + std::to_string(i % 7) + ".5\n";
    s += "g part" + std::to_string(g) + "\n";
    for (unsigned i = 1; i + 2 <= per; ++i) {
      unsigned b = g * per + i;
      s += "f " + std::to_string(b) + "/1 " + std::to_string(b + 1) + "/2 " + std::to_string(b + 2) + "/3\n";
    }
  }
  return s;
}

std::string psdImage(int width, int height, bool alpha = false) { return rgbPsd(width, height, pattern, alpha).bytes(); }

float callPaths(const char* entry, const TempDir& d, const char* text, double number, const char* buffer) {
  return call(entry, text ? (d / text).c_str() : nullptr, number, buffer ? d / buffer : std::string());
}

std::vector<Case> cases() {
  return {
      {"SwapVertices_Qiv",
       [](const TempDir& d) {
         writeFile(d / "mesh.qiv", qivMesh(200000));
         writeFile(d / "part.Qit", qitFile(200000));
       },
       [](const TempDir& d) { return callPaths("SwapVertices_Qiv", d, "part.Qit", 0, "mesh.qiv"); }},
      {"qivtoOBJ",
       [](const TempDir& d) {
         writeFile(d / "mesh.qiv", qivMesh(100000));
         writeFile(d / "mesh.obj", "# an earlier export\n");
       },
       [](const TempDir& d) {
         callPaths("getFaceIDs", d, "mesh.qiv", 1, nullptr);
         return callPaths("qivtoOBJ", d, "mesh.qiv", 0, "mesh.obj");
       }},
      {"outMRGB",
       [](const TempDir& d) {
         std::string colours;
         for (unsigned i = 0; i < 300000; ++i) putU32(colours, i * 40503u);
         writeFile(d / "colours.qiv", qiv(chunk(kColourTag, 300000, colours)));
       },
       [](const TempDir& d) { return callPaths("outMRGB", d, "colours.qiv", 0, "colours.txt"); }},
      {"SwapVertices",
       [](const TempDir& d) {
         writeFile(d / "dest.obj", objMesh(120000, 4));
         std::string src;
         for (int i = 0; i < 120000; ++i) src += "v 9 8 " + std::to_string(i) + "\n";
         writeFile(d / "src.obj", src);
       },
       [](const TempDir& d) { return callPaths("SwapVertices", d, "src.obj", 0, "dest.obj"); }},
      {"SplitOBJ", [](const TempDir& d) { writeFile(d / "mesh.obj", objMesh(120000, 6)); },
       [](const TempDir& d) { return callPaths("SplitOBJ", d, "mesh.obj", 0, "out"); }},
      {"SplitOBJtoQiv", [](const TempDir& d) { writeFile(d / "mesh.obj", objMesh(120000, 6)); },
       [](const TempDir& d) { return callPaths("SplitOBJtoQiv", d, "mesh.obj", 0, "out"); }},
      {"ListSplitOBJtoQiv", [](const TempDir& d) { writeFile(d / "mesh.obj", objMesh(120000, 6)); },
       [](const TempDir& d) {
         call("GroupListClear", nullptr, 0, nullptr);
         for (int g = 0; g < 6; ++g) call("GroupListAdd", ("list" + std::to_string(g)).c_str(), 19998, nullptr);
         return callPaths("ListSplitOBJtoQiv", d, "mesh.obj", 0, "out");
       }},
      {"AppendOBJ",
       [](const TempDir& d) {
         writeFile(d / "part.obj", objMesh(60000, 1));
         writeFile(d / "combined.obj", objMesh(3000, 1));
       },
       [](const TempDir& d) { return callPaths("AppendOBJ", d, "part.obj", 3000, "combined.obj"); }, true},
      {"GroupListSave", [](const TempDir& d) { writeFile(d / "groups.lst", "an earlier list"); },
       [](const TempDir& d) {
         call("GroupListClear", nullptr, 0, nullptr);
         for (int g = 0; g < 20000; ++g) call("GroupListAdd", ("group" + std::to_string(g)).c_str(), 3, nullptr);
         return callPaths("GroupListSave", d, "groups.lst", 0, nullptr);
       }},
      {"MakeStencilPSD", [](const TempDir& d) { writeFile(d / "a.psd", psdImage(1024, 1024)); },
       [](const TempDir& d) { return callPaths("MakeStencilPSD", d, "a.psd", 255, nullptr); }},
      {"SwapColorsPSD", [](const TempDir& d) { writeFile(d / "a.psd", psdImage(1024, 1024, true)); },
       [](const TempDir& d) { return callPaths("SwapColorsPSD", d, "a.psd", 65280, nullptr); }},
      {"RGBtoGrayscale", [](const TempDir& d) { writeFile(d / "a.psd", psdImage(1024, 1024)); },
       [](const TempDir& d) { return callPaths("RGBtoGrayscale", d, "a.psd", 20, "gray.psd"); }},
      {"MergePSDfiles",
       [](const TempDir& d) {
         writeFile(d / "top.psd", psdImage(1024, 1024));
         writeFile(d / "bottom.psd", psdImage(1024, 1024, true));
       },
       [](const TempDir& d) { return callPaths("MergePSDfiles", d, "top.psd", 0, "bottom.psd"); }},
      {"HealPSDfiles",
       [](const TempDir& d) {
         writeFile(d / "edge.psd", psdImage(1024, 1024));
         writeFile(d / "body.psd", psdImage(1024, 1024));
       },
       [](const TempDir& d) { return callPaths("HealPSDfiles", d, "edge.psd", 1, "body.psd"); }},
      {"CreateThumbnail", [](const TempDir& d) { writeFile(d / "a.psd", psdImage(1500, 1500)); },
       [](const TempDir& d) { return callPaths("CreateThumbnail", d, "a.psd", 1000, nullptr); }},
      {"CropBMPfile",
       [](const TempDir& d) {
         writeFile(d / "in.bmp", bmp(2048, 1024, [](int i, int y) { return uint8_t(i * 7 + y); }));
         writeFile(d / "out.bmp", "an earlier crop");
       },
       [](const TempDir& d) {
         call("CropBMP_SetWidth", nullptr, 1500, nullptr);
         return callPaths("CropBMPfile", d, "in.bmp", 10, "out.bmp");
       }},
  };
}

// The hidden name a replacement has for the moment between being complete
// and being renamed over its target ("" when `name` is no such name).
std::string replacementTarget(const std::string& name) {
  size_t mark = name.find(".tolvane-");
  if (name.empty() || name[0] != '.' || mark == std::string::npos) return "";
  return name.substr(1, mark - 1);
}

// Every file is as before or as a successful run leaves it; nothing else.
// A process killed outright may also leave (a) a complete replacement under
// its hidden name, if the kill fell between naming and renaming it, and
// (b) an append that stopped part-way, whose old contents are intact.
void expectWholeFiles(const Snapshot& before, const Snapshot& after, const Snapshot& done, bool killed,
                      bool appends) {
  for (const auto& [name, bytes] : after) {
    auto old = before.find(name);
    auto full = done.find(name);
    bool asBefore = old != before.end() && old->second == bytes;
    bool asDone = full != done.end() && full->second == bytes;
    if (killed && !asBefore && !asDone) {
      std::string target = replacementTarget(name);
      auto replacement = done.find(target);
      if (!target.empty() && replacement != done.end() && replacement->second == bytes) continue;
      if (appends && old != before.end() && bytes.compare(0, old->second.size(), old->second) == 0) continue;
    }
    EXPECT_TRUE(asBefore || asDone) << name << " is neither the old nor the new file (" << bytes.size()
                                    << " bytes)";
  }
  for (const auto& [name, bytes] : before) {
    if (!after.count(name)) {
      EXPECT_FALSE(done.count(name)) << name << " vanished";
    }
  }
}

class Faults : public ::testing::TestWithParam<size_t> {};

std::string caseName(const ::testing::TestParamInfo<size_t>& info) { return cases()[info.param].name; }

}  // namespace

TEST_P(Faults, AWriteStoppedByAFileSizeLimitKeepsEveryFileWhole) {
  const Case c = cases()[GetParam()];
  TempDir reference;
  c.setup(reference);
  float ok = c.run(reference);
  Snapshot done = snapshot(reference);
  size_t largest = 0;
  for (const auto& [name, bytes] : done) largest = std::max(largest, bytes.size());

  for (long limit : {0L, 4096L, long(largest / 3), long(largest - 1)}) {
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

TEST_P(Faults, AProcessKilledWhileWritingLeavesWholeFiles) {
  const Case c = cases()[GetParam()];
  TempDir reference;
  c.setup(reference);
  c.run(reference);
  Snapshot done = snapshot(reference);

  for (int delayMs : {1, 3, 8, 20}) {
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

INSTANTIATE_TEST_SUITE_P(EveryWriter, Faults, ::testing::Range<size_t>(0, cases().size()), caseName);
