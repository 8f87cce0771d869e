// The PSD globals after each outcome of the PSD operations, as a run that loads each file whole leaves
// them; called by their C++ names, so the globals seen are the ones they set.
#include <gtest/gtest.h>

#include <cstring>

#include "host/frozen.h"
#include "support/support.h"

using namespace testsupport;

namespace {

std::string text(const tolvane::Bytes& b) { return std::string(b.begin(), b.end()); }

// Globals a previous call left, to tell "as it was" from "set".
void setBefore() {
  img.assign(3, 'x');
  fHeader = PSDHeader();
  std::memcpy(fHeader.reserved, "kept!", 6);  // never parsed: always kept
  fHeader.version = fHeader.channels = -77, fHeader.width = offst = -77;
}

enum Img { Before, Empty, First, Second };

}  // namespace

TEST(ImageGlobals, EachPsdOutcome) {
  TempDir dir;
  const std::string a = dir / "a.psd", b = dir / "b.psd";
  Psd first = rgbPsd(4, 4, pattern), second = rgbPsd(4, 4, solid(RGB{1, 2, 3}), true);
  first.resources = "aa", second.resources = "bb";  // same lengths, other bytes
  Psd v2 = first, colours = first, packed = first, gray = first, wide = rgbPsd(5, 4, pattern), sections = second,
      cut = first;
  // A later fault of the header does not hide an earlier one; 0xFFFF is a compression too.
  v2.version = 2, v2.colorDataLength = colours.colorDataLength = 768, v2.compression = colours.compression = 1;
  packed.compression = -1, gray.mode = 1, wide.resources = "bb", sections.resources = "bbbb";
  cut.data.pop_back();
  const std::string F = first.bytes(), S = second.bytes(), V2 = v2.bytes(), C = cut.bytes();
  std::function<float()> stencil = [&] { return convertPSD(a.c_str(), 0, 0x010203, true); },
                         grayscale = [&] { return GrayscalePSD(a.c_str(), (dir / "g.psd").c_str(), 0); },
                         merge = [&] { return mergePSD(a.c_str(), b.c_str(), 0); },
                         heal = [&] { return mergeSeamlessPSD(a.c_str(), b.c_str(), false); },
                         thumb = [&] { return createThumb(a.c_str(), 2); },
                         noThumb = [&] { return createThumb(a.c_str(), 0); },
                         grayToFolder = [&] { return GrayscalePSD(a.c_str(), dir.path().c_str(), 0); };
  const struct {
    std::function<float()>& op;
    std::string x, y;  // the files a.psd and b.psd; "": missing
    float code;
    Img img;
    int version, channels, width, offst;  // fHeader.version, .channels, .width and offst after
  } cases[] = {
      {stencil, "", "", -1, Before, -77, -77, -77, -77},
      {stencil, "8BPT" + F.substr(4), "", -1, First, -77, -77, -77, 0},
      {stencil, V2, "", -2, First, 2, -77, -77, 0},  // parsed up to the version
      {stencil, colours.bytes(), "", -3, First, 1, 3, 4, 0},
      {stencil, packed.bytes(), "", -4, First, 1, 3, 4, 40},  // at the compression field
      {stencil, C, "", -1761, First, 1, 3, 4, 42},
      {stencil, F, "", 0, Empty, 1, 3, 4, 42},
      {grayscale, gray.bytes(), "", -3, First, 1, 3, 4, 42},
      {grayscale, F, "", 0, Empty, 1, 3, 4, 42},
      {grayToFolder, F, "", -5, Empty, 1, 3, 4, 42},
      {merge, "", S, -1, Before, -77, -77, -77, -77},
      {merge, F, "", -1, First, 1, 3, 4, 42},
      {merge, C, S, -1761, First, 1, 3, 4, 42},
      {merge, F, V2, -2, Second, 2, 3, 4, 0},
      {merge, F, C, -1761, Second, 1, 3, 4, 42},
      {merge, F, wide.bytes(), -6, Empty, 1, 3, 5, 42},
      {merge, F, sections.bytes(), -1771, Empty, 1, 4, 4, 44},
      {merge, F, S, 0, Empty, 1, 4, 4, 42},
      {heal, rgbPsd(100, 99, pattern).bytes(), S, -9, Empty, 1, 3, 100, 40},
      {heal, rgbPsd(99, 100, pattern).bytes(), S, -9, Empty, 1, 3, 99, 40},
      {noThumb, F, "", -1770, Before, -77, -77, -77, -77},
      {thumb, F, "", 0, Empty, 1, 3, 4, 42},
  };
  for (const auto& c : cases) {
    const std::string &x = c.x, &y = c.y, want[] = {"xxx", "", x, y};
    std::remove(a.c_str()), std::remove(b.c_str());
    if (!x.empty()) writeFile(a, x);
    if (!y.empty()) writeFile(b, y);
    setBefore();
    SCOPED_TRACE(&c - cases);
    ASSERT_EQ(c.op(), c.code);
    EXPECT_TRUE(text(img) == want[c.img]);
    EXPECT_EQ(std::vector<int>({fHeader.version, fHeader.channels, fHeader.width, offst}),
              std::vector<int>({c.version, c.channels, c.width, c.offst}));
    EXPECT_STREQ(fHeader.reserved, "kept!");
    EXPECT_TRUE(c.code == 0 || (readFile(a) == x && readFile(b) == y));
  }
}

// A failed write leaves the file as it was and no other; the stencil keeps the recoloured file loaded,
// the thumbnail the file with the thumbnail's size in its header, the merge nothing.
TEST(ImageGlobals, FailedPsdWrites) {
  SKIP_WITHOUT_FILE_SIZE_LIMIT();
  TempDir dir;
  const std::string a = dir / "a.psd", b = dir / "b.psd", big = rgbPsd(300, 300, pattern).bytes();  // 270 KB
  writeFile(a, big);
  ASSERT_EQ(convertPSD(a.c_str(), 0, 0x010203, true), 0);
  const std::string recoloured = readFile(a);
  std::string thumbHeader = big.substr(0, 40);
  thumbHeader.replace(14, 8, std::string("\0\0\0\xC8\0\0\0\xC8", 8));  // 200 x 200
  writeFile(b, big);
  const std::pair<std::function<float()>, std::function<bool()>> cases[] = {
      {[&] { return convertPSD(a.c_str(), 0, 0x010203, true); }, [&] { return text(img) == recoloured; }},
      {[&] { return createThumb(a.c_str(), 200); },
       [&] { return text(img) == thumbHeader + big.substr(40) && fHeader.height == 300; }},
      {[&] { return mergePSD(a.c_str(), b.c_str(), 0); }, [&] { return img.empty() && offst == 40; }},
  };
  for (const auto& [op, left] : cases) {
    writeFile(a, big);
    EXPECT_EQ(withFileSizeLimit(64 * 1024, [&] { return op() == -5 && left() ? 1.0f : 0.0f; }), 1.0f);
    EXPECT_TRUE(readFile(a) == big && dir.list() == (std::vector<std::string>{"a.psd", "b.psd"}));
  }
}
