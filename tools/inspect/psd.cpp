// PSD files: the header as the image operations parse it, what each
// operation will return, and what they accept without meaning to.
#include <algorithm>

#include "common/file_front.h"
#include "common/result_codes.h"
#include "host/entry.h"
#include "image/psd.h"
#include "inspect/inspect.h"

namespace tolvane::inspect {
namespace {

const char* modeName(int mode) {
  switch (mode) {
    case 0: return "bitmap";
    case 1: return "grayscale";
    case 2: return "indexed";
    case 3: return "RGB";
    case 4: return "CMYK";
    case 7: return "multichannel";
    case 8: return "duotone";
    case 9: return "Lab";
  }
  return "unknown";
}

// ImageMagick alone keeps 16-bit channels and a layer copy of the picture;
// through a PPM and examples/flat_psd.py the file comes out as the tools take it.
const char* kFlatten =
    "save it as an uncompressed 8-bit RGB PSD without layers, e.g. `convert 'in.psd[0]' -alpha off -colorspace sRGB "
    "-depth 8 ppm:- | python3 examples/flat_psd.py out.psd`";

// The header's refusal in plain words, and its usual fix.
void headerWords(float code, const PSDHeader& h, std::string& why, std::string& fix) {
  if (code == kNotPSD) {
    why = "the file does not start with 8BPS: it is not a PSD file";
    fix = "save the image in PSD format";
  } else if (code == kPSDVersion) {
    why = "PSD version " + std::to_string(h.version) + ": only version 1 is read (2 is the large-document format)";
    fix = "save it as a plain PSD, not a large document";
  } else if (code == kPSDColorData && h.mode == 2) {
    why = "the image is indexed: its palette is colour mode data, which the operations refuse";
    fix = kFlatten;
  } else if (code == kPSDColorData) {
    why = "the file has colour mode data (" + std::string(modeName(h.mode)) + " mode), which the operations refuse";
    fix = kFlatten;
  } else if (code == kCompressed && h.compression == 1) {
    why = "the image data is RLE-compressed, as most painting programs write it";
    fix = kFlatten;
  } else if (code == kCompressed) {
    why = "the image data is compressed (method " + std::to_string(h.compression) + ")";
    fix = kFlatten;
  } else if (code == kBadFile) {
    why = "the file ends inside its header, or a section length points past its end";
    fix = "save the file again; it was cut short or damaged";
  }
}

// The header parsed from as much of the file's front as it needs: the
// section lengths are checked against the bytes read, so a refusal for
// lack of bytes is asked again with more of the file.
float readHeader(FileFront& front, PSDHeader& h, int32_t& dataAt) {
  uint64_t n = 1 << 16;
  for (;;) {
    const float code = parsePSDHeader(front.upTo(n), h, dataAt);
    if (code != kBadFile || n >= front.size()) return code;
    n = std::min<uint64_t>(front.size(), n * 16);
  }
}

void addFacts(Report& r, const PSDHeader& h) {
  r.fact("version", (long long)h.version);
  r.fact("channels", (long long)h.channels);
  r.fact("width", (long long)h.width);
  r.fact("height", (long long)h.height);
  r.fact("depth", (long long)h.depth);
  r.fact("mode", std::to_string(h.mode) + " " + modeName(h.mode));
  r.fact("compression", (long long)h.compression);
  r.fact("colour mode data length", (long long)h.colorModeDataLength);
  r.fact("resources length", (long long)h.imageResourcesLength);
  r.fact("layer section length", (long long)h.layerMaskInfoLength);
}

void addWarnings(Report& r, const PSDHeader& h) {
  if (h.depth != 8)
    r.warnings.push_back(std::to_string(h.depth) + " bits per channel: accepted, but every byte is taken as one "
                         "8-bit pixel, so the pixels come out meaningless; save it with 8 bits per channel");
  if (h.mode != 3)
    r.warnings.push_back(std::string(modeName(h.mode)) + " mode: the recolours, merges and thumbnail accept it, "
                         "but take channels 0, 1, 2 as red, green, blue; convert it to RGB");
  if (h.layerMaskInfoLength > 0)
    r.warnings.push_back("a layer section: only the merged image is changed, and programs that show the layers "
                         "will still show the old picture; flatten the image before saving");
}

}  // namespace

void inspectPsd(Report& r, const Settings& s) {
  FileFront front;
  if (!front.open(r.path.c_str())) return;
  PSDHeader h;
  int32_t dataAt = 0;
  const float header = readHeader(front, h, dataAt);
  if (header == kPSDVersion) r.fact("version", (long long)h.version);
  else if (header != kNotPSD) addFacts(r, h);
  std::string why, fix;
  headerWords(header, h, why, fix);

  const int64_t plane = planeBytes(h);
  const bool fits = plane >= 0 && front.holds(uint64_t(dataAt), 3 * uint64_t(plane));
  const std::string shortWhy = "the image data is shorter than three " + std::to_string(h.width) + " x " +
                               std::to_string(h.height) + " planes";
  const std::string shortFix = "save the file again; it was cut short or damaged";
  auto planes = [&](const char* entry, bool pair) {
    if (!fits) r.verdict(entry, kBadFile, shortWhy, shortFix);
    else r.verdict(entry, kOk, pair ? "accepted as either file, when the other has the same size and sections" : "accepted");
  };
  auto single = [&](const char* entry, bool rgbOnly, bool heal) {
    if (header != kOk) r.verdict(entry, header, why, fix);
    else if (rgbOnly && h.mode != 3)
      r.verdict(entry, kNotRGB, std::string(modeName(h.mode)) + " mode is not RGB", "convert it to RGB first");
    else if (heal && (h.height < 100 || h.width < 100))
      r.verdict(entry, kTooSmallToHeal, "the edge image is below 100 x 100 pixels", "use a larger edge image");
    else planes(entry, std::string(entry) == "MergePSDfiles" || heal);
  };
  single("MakeStencilPSD", false, false);
  single("SwapColorsPSD", false, false);
  single("RGBtoGrayscale", true, false);
  single("MergePSDfiles", false, false);
  single("HealPSDfiles", false, true);
  const int32_t size = truncateNumber(s.thumbSize);
  if (size < 1 || size > 16384)
    r.verdict("CreateThumbnail", kOutsideImage, "a thumbnail size of " + std::to_string(size) + " is outside 1..16384");
  else single("CreateThumbnail", false, false);
  if (header == kOk) addWarnings(r, h);
  if (header == kOk) r.fact("image data at", (long long)dataAt);
}

}  // namespace tolvane::inspect
