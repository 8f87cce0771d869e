// Stencil and colour swap: recolour an RGB PSD in place by one colour rule.
#include "common/result_codes.h"
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

// Each chunk of the three planes is read once, marked and painted.
bool recolourStreamed(const char* path, const Rule& rule) {
  PSDStream s;
  OutFile out;
  if (!s.open(path, 3) || !out.create(path)) return false;
  Bytes mask[2];
  auto paint = [&](unsigned char* r, unsigned char* g, unsigned char* b, size_t, size_t n, int w) {
    mask[w].resize(maskBytes(kChunkPixels));
    colourMask(r, g, b, n, rule.match, rule.stencil, mask[w].data());
    unsigned char* planes[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) applyMask(planes[c], nullptr, rule.paint[c], mask[w].data(), n);
    return true;
  };
  return rewriteRGB(s, out, paint) && finish(out, s);
}

}  // namespace
}  // namespace tolvane

float convertPSD(const char* path, float matchColor, float newColor, bool stencil) {
  using namespace tolvane;
  const Rule rule = ruleOf(matchColor, newColor, stencil);
  if (recolourStreamed(path, rule)) return kOk;

  // Refusals and failed writes: the whole file in `img`, recoloured there.
  float loaded = loadPSD(path);
  if (loaded != kOk) return loaded;
  if (!planesFit(3)) return kBadFile;
  size_t plane = size_t(planeBytes());
  unsigned char* red = img.data() + offst;
  Bytes mask(maskBytes(plane));
  colourMask(red, red + plane, red + 2 * plane, plane, rule.match, rule.stencil, mask.data());
  for (int c = 0; c < 3; ++c) applyMask(red + size_t(c) * plane, nullptr, rule.paint[c], mask.data(), plane);

  if (!writeBack(path, img)) return kOutputNotWritable;
  emptyImage(img);
  return kOk;
}
