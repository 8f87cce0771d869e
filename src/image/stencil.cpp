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

// One pass over the three planes marks the pixels to paint; the output is
// then written plane after plane, each streamed once more through the mask.
bool recolourStreamed(const char* path, const Rule& rule) {
  PSDStream s;
  if (!s.open(path, 3)) return false;
  Bytes mask(maskBytes(s.plane()));
  auto mark = [&](const unsigned char* r, const unsigned char* g, const unsigned char* b, size_t k, size_t n) {
    colourMask(r, g, b, n, rule.match, rule.stencil, &mask[k / 8]);
  };
  if (!scanPlanes(s, mark)) return false;
  return writeChanged(s, kChunkPixels, path, [&](int c, unsigned char* p, size_t k, size_t n, Bytes&) {
    applyMask(p, nullptr, rule.paint[c], &mask[k / 8], n);
    return true;
  });
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
