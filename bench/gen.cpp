// tolvane-gen: the input files of bench/run, deterministic, written into a
// data folder.
//
//   tolvane-gen mesh  DIR VERTICES   mesh.qiv (2 faces per vertex, colours,
//                                    UVs over 10 tiles), faces.qiv (face ID
//                                    source), mesh.qit (matching vertex
//                                    file), mesh.ply (the same mesh for peers)
//   tolvane-gen obj   DIR VERTICES   combined.obj in 100 groups, parts/partNN.obj,
//                                    groups.lst (its group list), verts.obj
//   tolvane-gen image DIR            a.psd, b.psd (4096 x 4096 RGB), strip.bmp
//                                    (8192 x 2048, 24 bits)
//
// The same arguments always give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gen_qiv.h"

namespace {

using benchqiv::put32;
using benchqiv::Random;
using benchqiv::writeBytes;

constexpr uint32_t kTiles = 10;

uint32_t get32(const std::string& s, size_t at) {
  uint32_t v;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}

void putFloat(std::string& s, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  put32(s, bits);
}

// UV chunk, one record per face: the first pair decides the tile (u tile
// 0..9, v tile 0), the other pairs lie close to it, now and then across a
// tile border as real islands do.
void appendUVs(std::string& s, uint32_t faces) {
  Random rnd(7);
  benchqiv::chunkHeader(s, benchqiv::kUVTag, faces, 32);
  for (uint32_t i = 0; i < faces; ++i) {
    float tile = float(uint64_t(i) * kTiles / faces);
    float u = tile + float(rnd.next() % 990 + 5) / 1000.0f, v = float(rnd.next() % 990 + 5) / 1000.0f;
    for (int k = 0; k < 4; ++k) {
      putFloat(s, u + float(k) * 0.004f);
      putFloat(s, v + float(k % 2) * 0.004f);
    }
  }
}

// The mesh as binary PLY for the peer tools: same positions, colours, faces.
std::string ply(const std::string& q) {
  uint32_t v = get32(q, 40);
  size_t colours = 48 + 12 * size_t(v) + 16;
  size_t faceChunk = colours + 4 * size_t(v);
  uint32_t f = get32(q, faceChunk + 8);
  std::string s = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(v) +
                  "\nproperty float x\nproperty float y\nproperty float z\n"
                  "property uchar red\nproperty uchar green\nproperty uchar blue\n"
                  "element face " + std::to_string(f) +
                  "\nproperty list uchar int vertex_indices\nend_header\n";
  s.reserve(s.size() + 15 * size_t(v) + 17 * size_t(f));
  for (uint32_t i = 0; i < v; ++i) {
    s.append(q, 48 + 12 * size_t(i), 12);
    const char* c = q.data() + colours + 4 * size_t(i);
    s += c[2];
    s += c[1];
    s += c[0];
  }
  for (uint32_t i = 0; i < f; ++i) {
    size_t r = faceChunk + 16 + 16 * size_t(i);
    bool quad = int32_t(get32(q, r + 12)) >= 0;
    s += char(quad ? 4 : 3);
    s.append(q, r, quad ? 16 : 12);
  }
  return s;
}

bool mesh(const std::string& dir, uint32_t v) {
  uint32_t f = 2 * v;
  std::string q = benchqiv::mesh(v, f, 0, 1);
  appendUVs(q, f);
  std::string qit;
  qit.reserve(16 + 12 * size_t(v));
  benchqiv::chunkHeader(qit, benchqiv::kVertexTag, v, 12);
  Random rnd(2);
  for (uint32_t i = 0; i < 3 * v; ++i) putFloat(qit, float(int32_t(rnd.next() % 2000001) - 1000000) / 10000.0f);
  return writeBytes(dir + "/mesh.qiv", q) && writeBytes(dir + "/faces.qiv", benchqiv::faceIdSource(f / 4)) &&
         writeBytes(dir + "/mesh.qit", qit) && writeBytes(dir + "/mesh.ply", ply(q));
}

// A coordinate as a modelling tool writes it: up to 4 decimals.
void coordinate(std::string& s, Random& rnd) {
  char b[32];
  int n = std::snprintf(b, sizeof b, " %g", double(int32_t(rnd.next() % 2000001) - 1000000) / 10000.0);
  s.append(b, size_t(n));
}

void vertexLine(std::string& s, Random& rnd) {
  s += 'v';
  for (int k = 0; k < 3; ++k) coordinate(s, rnd);
  s += '\n';
}

// 100 part files of vertices/100 vertices and twice as many faces (every
// third a triangle, corners written v/vt), the combined file AppendOBJ makes
// of them in order, its group list, and a vertex-only file of new positions.
bool obj(const std::string& dir, uint32_t vertices) {
  const uint32_t groups = 100, per = vertices / groups, faces = 2 * per;
  std::string combined, list;
  Random rnd(3);
  if (std::system(("mkdir -p '" + dir + "/parts'").c_str()) != 0) return false;
  for (uint32_t g = 0; g < groups; ++g) {
    char name[16];
    std::snprintf(name, sizeof name, "part%02u", g);
    std::string part = std::string("# ") + name + "\n";
    size_t vertexStart = part.size();
    for (uint32_t i = 0; i < per; ++i) vertexLine(part, rnd);
    combined.append(part, vertexStart, std::string::npos);
    part += "g mesh\n";
    combined += std::string("g ") + name + "\n";
    for (uint32_t i = 0; i < faces; ++i) {
      uint32_t a = rnd.next() % per + 1, corners = i % 3 == 2 ? 3 : 4, step = 1 + rnd.next() % 8;
      part += 'f';
      combined += 'f';
      for (uint32_t k = 0; k < corners; ++k) {
        uint32_t n = (a - 1 + k * step) % per + 1;
        part += ' ' + std::to_string(n) + '/' + std::to_string(n);
        combined += ' ' + std::to_string(g * per + n);
      }
      part += '\n';
      combined += " \n";
    }
    if (!writeBytes(dir + "/parts/" + name + ".obj", part)) return false;
    std::string record(128, '\0');
    std::memcpy(&record[0], name, std::strlen(name));
    put32(record, g * faces);
    put32(record, (g + 1) * faces);
    list += record;
  }
  std::string verts;
  for (uint32_t i = 0; i < groups * per; ++i) vertexLine(verts, rnd);
  return writeBytes(dir + "/combined.obj", combined) && writeBytes(dir + "/groups.lst", list) &&
         writeBytes(dir + "/verts.obj", verts);
}

void putBe(std::string& s, uint32_t v, int bytes) {
  for (int k = bytes - 1; k >= 0; --k) s += char(v >> (8 * k));
}

// Uncompressed RGB PSD: squares of white and of magenta (the key colour of
// the merge) among noisy gradients; `seed` varies the picture.
std::string psd(uint32_t w, uint32_t h, uint64_t seed) {
  std::string s = "8BPS";
  putBe(s, 1, 2);
  s.append(6, '\0');
  putBe(s, 3, 2);
  putBe(s, h, 4);
  putBe(s, w, 4);
  putBe(s, 8, 2);
  putBe(s, 3, 2);
  putBe(s, 0, 4);   // colour mode data
  putBe(s, 0, 4);   // image resources
  putBe(s, 0, 4);   // layer and mask information
  putBe(s, 0, 2);   // raw data
  size_t plane = size_t(w) * h, start = s.size();
  s.resize(start + 3 * plane);
  Random rnd(seed);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      size_t k = start + size_t(y) * w + x;
      uint32_t block = ((x >> 6) + (y >> 6) * 3 + uint32_t(seed)) % 5, noise = rnd.next() % 16;
      unsigned char r = uint8_t(x + noise), g = uint8_t(y + noise), b = uint8_t((x ^ y) + noise);
      if (block == 0) r = g = b = 255;
      if (block == 1) r = 255, g = 0, b = 255;
      s[k] = char(r);
      s[k + plane] = char(g);
      s[k + 2 * plane] = char(b);
    }
  return s;
}

std::string bmp(uint32_t w, uint32_t h) {
  uint32_t row = (3 * w + 3) / 4 * 4, size = row * h;
  std::string s = "BM";
  put32(s, 54 + size);
  put32(s, 0);
  put32(s, 54);
  put32(s, 40);
  put32(s, w);
  put32(s, h);
  put32(s, 1 | 24 << 16);  // planes, bits per pixel
  put32(s, 0);             // no compression
  put32(s, size);
  put32(s, 2835);
  put32(s, 2835);
  put32(s, 0);
  put32(s, 0);
  Random rnd(5);
  s.reserve(s.size() + size);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint32_t n = rnd.next() % 8;
      s += char(x + n);
      s += char(y + n);
      s += char((x >> 4) + n);
    }
    s.append(row - 3 * w, '\0');
  }
  return s;
}

bool image(const std::string& dir) {
  return writeBytes(dir + "/a.psd", psd(4096, 4096, 1)) && writeBytes(dir + "/b.psd", psd(4096, 4096, 2)) &&
         writeBytes(dir + "/strip.bmp", bmp(8192, 2048));
}

}  // namespace

int main(int argc, char** argv) {
  std::string kind = argc > 2 ? argv[1] : "", dir = argc > 2 ? argv[2] : "";
  long n = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 0;
  bool ok;
  if (kind == "mesh" && n >= 100 && n <= 50000000)
    ok = mesh(dir, uint32_t(n));
  else if (kind == "obj" && n >= 100 && n <= 50000000)
    ok = obj(dir, uint32_t(n));
  else if (kind == "image" && argc == 3)
    ok = image(dir);
  else {
    std::fprintf(stderr, "usage: tolvane-gen mesh|obj DIR VERTICES | tolvane-gen image DIR\n");
    return 2;
  }
  if (!ok) std::fprintf(stderr, "tolvane-gen: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
