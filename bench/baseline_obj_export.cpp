// The reference for the export benchmark: the same OBJ text written the
// plain way (whole file read with fread, every number through fprintf).
// Kept to show what the export's speed is measured against; not used by
// the library.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

uint32_t u32(const std::vector<unsigned char>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

float f32(const std::vector<unsigned char>& b, size_t at) {
  uint32_t u = u32(b, at);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

}  // namespace

// Expects a well-formed file; returns 0 or -1.
float baselineObjExport(const char* qivPath, const char* objPath, const std::vector<uint32_t>& ids) {
  FILE* in = std::fopen(qivPath, "rb");
  if (!in) return -1;
  std::fseek(in, 0, SEEK_END);
  std::vector<unsigned char> b(size_t(std::ftell(in)));
  std::fseek(in, 0, SEEK_SET);
  size_t got = std::fread(b.data(), 1, b.size(), in);
  std::fclose(in);
  if (got != b.size()) return -1;
  FILE* out = std::fopen(objPath, "w");
  if (!out) return -1;

  uint32_t v = u32(b, 40), l1 = u32(b, 36);
  uint32_t l2 = u32(b, 36 + l1);
  std::fprintf(out, "# File exported by Modrix plugin\n#Vertex count %u\n#Face count %d\n", v,
               int32_t(u32(b, 40 + l1 + l2)));
  for (uint32_t i = 0; i < v; ++i)
    std::fprintf(out, "v %g %g %g\n", double(f32(b, 48 + 12 * i)), double(f32(b, 52 + 12 * i)),
                 double(f32(b, 56 + 12 * i)));
  size_t p = 48 + 12 * size_t(v);
  uint32_t n = u32(b, p + 8);
  std::fprintf(out,
               "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal values "
               "per vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n");
  for (uint32_t j = 0; j < n; ++j) {
    size_t r = p + 16 + 4 * size_t(j);
    if (j % 32 == 0) std::fprintf(out, "#RGB ");
    std::fprintf(out, " %02x%02x%02x", b[r + 2], b[r + 1], b[r]);
    if (j % 32 == 31) std::fprintf(out, "\n");
  }
  std::fprintf(out, "\n# End of RGB block\n");
  size_t q = p + 16 + 4 * size_t(n);
  size_t r = q + 16, e = q + u32(b, q + 4);
  for (size_t i = 0; i < ids.size() && r < e; ++i) {
    std::fprintf(out, "#FaceID %zu\n", i + 1);
    for (uint32_t k = 0; k < ids[i] && r < e; ++k, r += 16) {
      std::fprintf(out, "f %d %d %d ", int32_t(u32(b, r)) + 1, int32_t(u32(b, r + 4)) + 1,
                   int32_t(u32(b, r + 8)) + 1);
      int32_t d = int32_t(u32(b, r + 12));
      if (d + 1 > 0) std::fprintf(out, "%d", d + 1);
      std::fprintf(out, "\n");
    }
  }
  return std::fclose(out) == 0 ? 0 : -1;
}
