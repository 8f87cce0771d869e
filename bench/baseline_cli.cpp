// tolvane-baseline OP ARG...: runs one plain reference implementation, for
// bench/run to time next to the library. Exit status 0 when the reference
// reported success.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

float baselineObjExport(const char* qivPath, const char* objPath, const std::vector<uint32_t>& ids);
bool baselineFaceIDs(const char* path, std::vector<uint32_t>& ids);
float baselineColours(const char* qivPath, const char* outPath);
float baselineUVTiles(const char* qivPath, const char* outPath, bool write);
float baselineSwapQiv(const char* qivPath, const char* qitPath);
float baselineConvert(const char* path, float matchColor, float newColor, bool stencil);
float baselineGrayscale(const char* inPath, const char* outPath, int threshold);
float baselineMerge(const char* topPath, const char* bottomPath, float keyColor);
float baselineHeal(const char* edgePath, const char* bodyPath, bool columns);
float baselineThumb(const char* path, int size);
float baselineCrop(const char* inPath, const char* outPath, int skipBytes, int cropWidth);
float baselineListSplit(const char* listPath, const char* objPath, const char* folder);

namespace groupsbench {
int baselineSplitOBJ(const std::string& obj, const std::string& folder);
int baselineSplitQiv(const std::string& obj, const std::string& folder);
int baselineAppend(const std::string& part, const std::string& dest, int offset);
bool baselineSwap(const std::string& src, const std::string& dest);
}  // namespace groupsbench

namespace {

struct Op {
  const char* name;
  int args;  // negative: at least -args
  const char* usage;
  bool (*run)(char** a);
};

const Op kOps[] = {
    {"getFaceIDs", 1, "FACES.qiv",
     [](char** a) {
       std::vector<uint32_t> ids;
       return baselineFaceIDs(a[0], ids);
     }},
    {"qivtoOBJ", 3, "FACES.qiv MESH.qiv OUT.obj",
     [](char** a) {
       std::vector<uint32_t> ids;
       return baselineFaceIDs(a[0], ids) && baselineObjExport(a[1], a[2], ids) == 0;
     }},
    {"outMRGB", 2, "MESH.qiv OUT.txt", [](char** a) { return baselineColours(a[0], a[1]) == 0; }},
    {"GetUVTile", 1, "MESH.qiv", [](char** a) { return baselineUVTiles(a[0], nullptr, false) >= 0; }},
    {"GetUVsFromQiv", 2, "MESH.qiv OUT.Qiv", [](char** a) { return baselineUVTiles(a[0], a[1], true) >= 0; }},
    {"FileCopyTo", 2, "SOURCE DESTINATION",
     [](char** a) {
       FILE* in = std::fopen(a[0], "rb");
       FILE* out = in ? std::fopen(a[1], "wb") : nullptr;
       char block[BUFSIZ];
       size_t n;
       while (out && (n = std::fread(block, 1, sizeof block, in)) > 0) std::fwrite(block, 1, n, out);
       bool ok = out && !std::ferror(in) && std::fclose(out) == 0;
       if (in) std::fclose(in);
       return ok;
     }},
    {"SwapVertices_Qiv", 2, "VERTS.qit MESH.qiv", [](char** a) { return baselineSwapQiv(a[1], a[0]) == 0; }},
    {"SplitOBJ", 2, "COMBINED.obj FOLDER/", [](char** a) { return groupsbench::baselineSplitOBJ(a[0], a[1]) == 0; }},
    {"SplitOBJtoQiv", 2, "COMBINED.obj FOLDER/",
     [](char** a) { return groupsbench::baselineSplitQiv(a[0], a[1]) == 0; }},
    {"SwapVertices", 2, "SOURCE.obj DESTINATION.obj", [](char** a) { return groupsbench::baselineSwap(a[0], a[1]); }},
    // Every part in order, each at the vertex offset the previous returned.
    {"AppendOBJ", -2, "DESTINATION.obj PART.obj...",
     [](char** a) {
       int offset = 0;
       for (char** part = a + 1; *part && offset >= 0; ++part) offset = groupsbench::baselineAppend(*part, a[0], offset);
       return offset >= 0;
     }},
    {"ListSplitOBJtoQiv", 3, "GROUPS.lst COMBINED.obj FOLDER/",
     [](char** a) { return baselineListSplit(a[0], a[1], a[2]) == 0; }},
    // Image operations take the entry point's numbers as the entry point
    // converts them; stencil and swap take the colour to match first.
    {"MakeStencilPSD", 3, "MATCH PSD NEW",
     [](char** a) { return baselineConvert(a[1], float(atof(a[0])), float(atof(a[2])), true) == 0; }},
    {"SwapColorsPSD", 3, "MATCH PSD NEW",
     [](char** a) { return baselineConvert(a[1], float(atof(a[0])), float(atof(a[2])), false) == 0; }},
    {"RGBtoGrayscale", 3, "IN.psd THRESHOLD OUT.psd",
     [](char** a) { return baselineGrayscale(a[0], a[2], atoi(a[1])) == 0; }},
    {"MergePSDfiles", 3, "TOP.psd KEY BOTTOM.psd",
     [](char** a) { return baselineMerge(a[0], a[2], float(atof(a[1]))) == 0; }},
    {"HealPSDfiles", 3, "EDGE.psd COLUMNS BODY.psd",
     [](char** a) { return baselineHeal(a[0], a[2], atof(a[1]) > 0) == 0; }},
    {"CreateThumbnail", 2, "PSD SIZE", [](char** a) { return baselineThumb(a[0], atoi(a[1])) == 0; }},
    {"CropBMPfile", 4, "WIDTH IN.bmp OFFSET OUT.bmp",
     [](char** a) { return baselineCrop(a[1], a[3], 3 * atoi(a[2]), atoi(a[0])) == 0; }},
};

}  // namespace

int main(int argc, char** argv) {
  for (const Op& op : kOps) {
    bool fits = op.args >= 0 ? argc == op.args + 2 : argc >= 2 - op.args;
    if (argc >= 2 && fits && std::strcmp(argv[1], op.name) == 0) return op.run(argv + 2) ? 0 : 1;
  }
  std::fprintf(stderr, "usage: tolvane-baseline OP ARG...\n");
  for (const Op& op : kOps) std::fprintf(stderr, "  %s %s\n", op.name, op.usage);
  return 2;
}
