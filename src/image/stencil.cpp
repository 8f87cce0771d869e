// Stencil and colour swap: recolour an RGB PSD in place by one colour rule.
#include "common/atomic_file.h"
#include "common/result_codes.h"
#include "common/rewrite_lock.h"
#include "image/planes.h"
#include "image/psd.h"

namespace tolvane {
namespace {

// The rule: a pixel is painted when it matches and this is a swap, or when
// it does not and this is a stencil.
struct Rule {
  ColorParts match;
  uint8_t paint[3];
  bool stencil;
};

Rule ruleOf(float matchColor, float newColor, bool stencil) {
  ColorParts p = splitPaintColor(newColor);
  return Rule{splitMatchColor(matchColor), {uint8_t(p.r), uint8_t(p.g), uint8_t(p.b)}, stencil};
}

// Marks and paints pixels 0 .. n - 1 of the three planes.
void recolour(const Rule& rule, unsigned char* r, unsigned char* g, unsigned char* b, size_t n, Bytes& mask) {
  mask.resize(maskBytes(n));
  colourMask(r, g, b, n, rule.match, rule.stencil, mask.data());
  unsigned char* planes[3] = {r, g, b};
  for (int c = 0; c < 3; ++c) applyMask(planes[c], nullptr, rule.paint[c], mask.data(), n);
}

}  // namespace

// Each chunk of the three planes is read once, marked and painted.
float recolourPSD(const char* path, float matchColor, float newColor, bool stencil) {
  const RewriteLock lock(path);
  const Rule rule = ruleOf(matchColor, newColor, stencil);
  PSDStream s;
  float code = s.open(path);
  if (code == kOk && !s.holds(3)) code = kBadFile;
  AtomicFile out;
  if (code == kOk && !out.create(path, AtomicFile::Mode::Rewrite)) code = kOutputNotWritable;
  if (code == kOk) {
    auto paint = [&](unsigned char* r, unsigned char* g, unsigned char* b, size_t, size_t n, Bytes& mask) {
      recolour(rule, r, g, b, n, mask);
      return true;
    };
    code = rewriteRGB<Bytes>(s, out, paint);
  }
  // A file left unwritten stays loaded, recoloured.
  auto unwritten = [&](unsigned char* file, size_t data, size_t plane) {
    Bytes mask;
    unsigned char* red = file + data;
    recolour(rule, red, red + plane, red + 2 * plane, plane, mask);
  };
  return endPSD(finish(code, out, s), {&s}, unwritten);
}

}  // namespace tolvane
