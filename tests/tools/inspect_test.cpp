// The inspector against the library: each troublesome file, inspected then handed to the entry point,
// gets a verdict naming the very result the call returns. tolvane-call's hints are checked last.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/result_codes.h"
#include "inspect/inspect.h"
#include "support/support.h"

using namespace testsupport;
namespace ins = tolvane::inspect;

namespace {

struct Case {
  const char* what;
  std::string name, bytes;  // the file inspected and handed over
  const char* entry;
  double number = 0;
  std::string buffer;       // a file name in the same folder, or ""
  float expect = 0;         // what the entry point returns
  const char* warning = ""; // a part of a warning the report must carry
  bool idle = false;        // the verdict says nothing is written
  std::string other = "", otherBytes = "";  // a second input (the Qit of a swap)
};

Psd rgb(int w = 4, int h = 4) { return rgbPsd(w, h, pattern); }
std::string psd(void (*change)(Psd&)) {
  Psd p = rgb();
  change(p);
  return p.bytes();
}
std::string strip(int w = 64, int h = 8) { return bmp(w, h, [](int i, int y) { return uint8_t(i + y); }); }
std::string patched(std::string s, size_t at, uint32_t v) {
  std::string word;
  putU32(word, v);
  return s.replace(at, 4, word);
}
std::string faces() { return qiv(chunk(kFaceTag, 1, std::string(12, '\0') + std::string(4, '\xff'))); }
std::string mesh() {
  return qiv(vertexChunk({0, 0, 0, 1, 0, 0, 0, 1, 0}) + chunk(kColourTag, 3, std::string(12, '\x40')) +
             chunk(kFaceTag, 1, std::string(12, '\0') + std::string(4, '\xff')));
}

std::vector<Case> cases() {
  using namespace tolvane;
  const std::string cube = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  return {
      {"RLE PSD", "a.psd", psd([](Psd& p) { p.compression = 1; }), "SwapColorsPSD", 0, "", kCompressed},
      {"indexed PSD", "a.psd", psd([](Psd& p) { p.mode = 2, p.colorDataLength = 768; }), "MakeStencilPSD", 0, "", kPSDColorData},
      {"version 2", "a.psd", psd([](Psd& p) { p.version = 2; }), "CreateThumbnail", 8, "", kPSDVersion},
      {"16-bit PSD", "a.psd", psd([](Psd& p) { p.depth = 16, p.data += p.data; }), "SwapColorsPSD", 0, "", kOk, "16 bits"},
      {"CMYK PSD", "a.psd", psd([](Psd& p) { p.mode = 4; }), "RGBtoGrayscale", 0, "g.psd", kNotRGB, "CMYK"},
      {"layers", "a.psd", psd([](Psd& p) { p.layers = std::string(8, '\0'); }), "MakeStencilPSD", 0, "", kOk, "layer section"},
      {"short planes", "a.psd", psd([](Psd& p) { p.data.pop_back(); }), "CreateThumbnail", 2, "", kBadFile},
      {"thumb size", "a.psd", rgb().bytes(), "CreateThumbnail", 0, "", kOutsideImage},
      {"small edge", "a.psd", rgb().bytes(), "HealPSDfiles", 1, "b.psd", kTooSmallToHeal},
      {"text as PSD", "a.psd", "hello", "MakeStencilPSD", 0, "", kNotPSD},
      {"32-bit BMP", "a.bmp", patched(strip(), 28, 32), "CropBMPfile", 0, "b.bmp", kOk, "32 bits"},
      {"top-down BMP", "a.bmp", patched(strip(), 22, uint32_t(-8)), "CropBMPfile", 0, "b.bmp", kOutsideImage},
      {"strip past row", "a.bmp", strip(), "CropBMPfile", 20, "b.bmp", kOutsideImage},
      {"BMP cut short", "a.bmp", strip().substr(0, 100), "CropBMPfile", 0, "b.bmp", kBadFile},
      {"BMP header cut", "a.bmp", "BM1234", "CropBMPfile", 0, "b.bmp", kBadFile},
      {"o lines only", "m.obj", "o body\n" + cube + "f 1 2 3\n", "SplitOBJ", 0, "out.obj", kOk, "", true},
      {"no groups", "m.obj", cube + "f 1 2 3\n", "SplitOBJtoQiv", 0, "out.obj", kOk, "", true},
      {"CRLF", "m.obj", "g arm\r\nv 0 0 0\r\nf 1 1 1\r\n", "SplitOBJ", 0, "out.obj", kOk, "CRLF"},
      {"empty group", "m.obj", cube + "g a\nf 1 2 3\ng b\n", "SplitOBJ", 0, "out.obj", kNoVertices},
      {"face chunk first", "m.qiv", faces(), "qivtoOBJ", 0, "o.obj", float(kFaceTag)},
      {"no colours", "m.qiv", qiv(vertexChunk({1, 2, 3}) + chunk(kFaceTag, 0, "") + chunk(kUVTag, 0, "")), "qivtoOBJ", 0, "o.obj",
       float(kFaceTag)},
      {"vertex cut", "m.qiv", mesh().substr(0, 60), "qivtoOBJ", 0, "o.obj", kBadFile},
      {"whole mesh", "m.qiv", mesh(), "qivtoOBJ", 0, "o.obj", kOk},
      {"faces cut", "m.qiv", faces().substr(0, 60), "getFaceIDs", 1, "", kBadFile},
      {"colours read", "m.qiv", faces(), "outMRGB", 0, "c.txt", kOk, "colour chunk"},
      {"no vertex chunk", "m.qiv", faces().substr(0, 48 + 16), "SwapVertices_Qiv", 0, "", kNoVertexChunk},
      {"Qit of another", "m.qiv", mesh(), "SwapVertices_Qiv", 0, "", kQitMismatch, "", false, "p.Qit", qit({1, 2, 3})},
      {"Qit cut", "m.qiv", mesh(), "SwapVertices_Qiv", 0, "", kBadFile, "", false, "p.Qit",
       qit({1, 2, 3, 4, 5, 6, 7, 8, 9}).substr(0, 40)},
  };
}

std::string warnings(const ins::Report& r) {
  std::string all;
  for (const std::string& w : r.warnings) all += w + "\n";
  return all;
}

TEST(Inspect, VerdictsAreWhatTheEntryPointsReturn) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    writeFile(dir / c.name, c.bytes);
    if (!c.other.empty()) writeFile(dir / c.other, c.otherBytes);
    const std::string out = c.buffer.empty() ? "" : dir / c.buffer;
    ins::Settings s;
    s.pixelOffset = s.thumbSize = c.number;
    s.outPath = out, s.qitPath = c.other.empty() ? "" : dir / c.other;
    const ins::Report r = ins::inspectFile(dir / c.name, s);
    const ins::Verdict* v = r.find(c.entry);
    ASSERT_NE(v, nullptr) << ins::asText(r);
    EXPECT_EQ(std::pair(v->result, v->idle), std::pair(c.expect, c.idle)) << ins::asText(r);
    EXPECT_NE(warnings(r).find(c.warning), std::string::npos) << ins::asText(r);
    const std::string path = dir / c.name;
    if (c.entry == std::string("qivtoOBJ"))
      writeFile(dir / "f.qiv", faces()), call("getFaceIDs", (dir / "f.qiv").c_str(), 1, nullptr);
    const bool swap = c.entry == std::string("SwapVertices_Qiv");
    const std::string qitPath = c.other.empty() ? dir / "absent.Qit" : dir / c.other;
    const float got = swap ? call(c.entry, qitPath.c_str(), 0, path)
                           : call(c.entry, path.c_str(), c.number, out.empty() ? nullptr : &std::string(out)[0]);
    EXPECT_EQ(got, c.expect);
    // A split writes the files it names, under those names, and no other.
    for (const std::string& f : dir.list())
      if (c.name == "m.obj" && got == 0 && f != c.name) {
        EXPECT_NE(v->why.find(f), std::string::npos) << f << " not named in: " << v->why;
      }
    EXPECT_TRUE(!c.idle || dir.list() == std::vector<std::string>{c.name}) << "an idle verdict, yet files were written";
  }
}

TEST(Inspect, SplitNamesTakenFilesWithCopy) {
  TempDir dir;
  writeFile(dir / "m.obj", "g m\nv 0 0 0\nf 1 1 1\n");
  const ins::Report r = ins::inspectFile(dir / "m.obj");
  const ins::Verdict* v = r.find("SplitOBJ");
  ASSERT_NE(v, nullptr);
  EXPECT_NE(v->why.find("m_copy1.obj"), std::string::npos) << v->why;
  EXPECT_TRUE(call("SplitOBJ", (dir / "m.obj").c_str(), 0, dir / "out.obj") == 0 && exists(dir / "m_copy1.obj"));
}

TEST(Inspect, GroupListEntriesAndTheirOBJ) {
  TempDir dir;
  writeFile(dir / "m.obj", "v 0 0 0\nf 1 1 1\nf 1 1 1\n");
  call("GroupListClear", nullptr, 0, nullptr);
  call("GroupListAdd", "arm", 2, nullptr), call("GroupListAdd", "leg", 1, nullptr);
  ASSERT_EQ(call("GroupListSave", (dir / "g.lst").c_str(), 0, nullptr), 0);
  call("GroupListClear", nullptr, 0, nullptr);
  ins::Settings s;
  s.objPath = dir / "m.obj";
  const ins::Report r = ins::inspectFile(dir / "g.lst", s);
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[1][0].value + " " + r.rows[1][1].value + " " + r.rows[1][2].value, "leg 2 3");
  EXPECT_NE(ins::asJson(r).find("\"OBJ_matches\": false"), std::string::npos) << ins::asJson(r);
}

TEST(Inspect, DamagedAndForeignFilesGetPlainAnswers) {
  TempDir dir;
  writeFile(dir / "x", std::string("\0\1\2", 3));
  EXPECT_EQ(ins::inspectFile(dir / "x").kind, "unknown");
  for (const std::string& path : {dir / "absent.psd", dir.path()}) EXPECT_EQ(ins::inspectFile(path).kind, "unreadable");
  for (size_t n : {0, 20, 33, 47, 50}) {
    writeFile(dir / "m.qiv", mesh().substr(0, n));
    const ins::Report r = ins::inspectFile(dir / "m.qiv");
    EXPECT_EQ(r.find("qivtoOBJ")->result, tolvane::kBadFile) << n;
    EXPECT_EQ(ins::asJson(r).front(), '{');
  }
}

std::string runCall(const std::string& args) {
  std::string out;
  FILE* p = popen((std::string(TOLVANE_CALL_PATH) + " " + args + " 2>&1").c_str(), "r");
  char buf[4096];
  for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  if (p) pclose(p);
  return out;
}

TEST(Inspect, TolvaneCallPrintsHintsAndReports) {
  TempDir dir;
  writeFile(dir / "a.psd", psd([](Psd& p) { p.compression = 1; }));
  writeFile(dir / "m.obj", "o body\nv 0 0 0\nf 1 1 1\n");
  const std::string out = runCall("-k MakeStencilPSD " + dir / "a.psd" + " 0 -- SplitOBJ " + dir / "m.obj" + " " +
                                  dir / "o.obj");
  EXPECT_NE(out.find("= -4 (failed: compressed)\n  hint: the image data is RLE-compressed"), std::string::npos) << out;
  EXPECT_NE(out.find("SplitOBJ = 0 (ok)\n  hint: the OBJ has no g lines, only o lines (1)"), std::string::npos) << out;
  EXPECT_EQ(runCall("-q MakeStencilPSD " + dir / "a.psd" + " 0"), "");
  EXPECT_NE(runCall("--inspect " + dir / "a.psd").find("MakeStencilPSD: returns -4 (compressed)"), std::string::npos);
  EXPECT_NE(runCall("--inspect --json " + dir / "m.obj").find("\"writes_nothing\": true"), std::string::npos);
}

}  // namespace
