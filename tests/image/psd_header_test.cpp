// The PSD header parser, the byte-order primitives and the load and
// write-back steps, on the library's own globals.
#include <gtest/gtest.h>

#include <limits>

#include "common/result_codes.h"
#include "image/psd.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

void setImage(const std::string& s) { img.assign(s.begin(), s.end()); }

TEST(PsdPrimitives, BigEndianReadsAndWritesInsideTheImageOnly) {
  setImage(std::string("\xFF\xFE\x00\x00\x01\x00\x3F\x80\x00\x00", 10));
  EXPECT_EQ(readShort(0), -2);
  EXPECT_EQ(readLong(2), 256);
  EXPECT_FLOAT_EQ(readFloatLE(6), 1.0f);  // 3F 80 00 00, first byte most significant
  EXPECT_EQ(readFloat(6), tolvane::bitsToFloat(0x0000803Fu));
  writeShort(0, 0x1234);
  writeLong(2, -2);
  EXPECT_EQ(img[0], 0x12);
  EXPECT_EQ(img[5], 0xFE);
  EXPECT_EQ(readLong(2), -2);
  EXPECT_EQ(bigEndian(), 0);
  EXPECT_EQ(littleEndian(), 1);

  setImage("\x01\x02\x03\x04\x05");
  const tolvane::Bytes before = img;
  for (int at : {-1, -4, 4, 5, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(readShort(at), 0) << at;
    EXPECT_EQ(readFloat(at), 0.0f) << at;
    writeShort(at, 0x7777);
    writeLong(at, 0x77777777);
  }
  for (int at : {2, 3, 5, -1}) EXPECT_EQ(readLong(at), 0) << at;
  EXPECT_EQ(readLong(1), 0x02030405);
  EXPECT_EQ(img, before);
}

TEST(PsdHeader, CodesInOrderAndWhereTheDataStarts) {
  Psd p = rgbPsd(3, 1, pattern);
  p.resources = std::string(7, 'r');
  p.layers = std::string(13, 'l');
  setImage(p.bytes());
  ASSERT_EQ(readPSDHeader(), tolvane::kOk);
  EXPECT_EQ(offst, 40 + 7 + 13);
  EXPECT_EQ(fHeader.width, 3);
  EXPECT_EQ(fHeader.layerMaskInfoLength, 13);

  // A later fault does not hide an earlier one.
  Psd v2 = p, indexed = p, rle = p, neg = p;
  v2.version = 2, v2.colorDataLength = 768, v2.compression = 1;
  indexed.colorDataLength = 768, indexed.compression = 1;
  rle.compression = 1;
  neg.compression = -1;  // 0xFFFF sign-extends
  std::string notPsd = p.bytes();
  notPsd[3] = 'T';
  const std::pair<std::string, float> cases[] = {
      {notPsd, -1}, {v2.bytes(), -2}, {indexed.bytes(), -3}, {rle.bytes(), -4}, {neg.bytes(), -4}};
  for (const auto& [bytes, code] : cases) {
    setImage(bytes);
    EXPECT_EQ(readPSDHeader(), code);
  }
  EXPECT_EQ(fHeader.compression, -1);
  EXPECT_EQ(offst, 38 + 20);  // indexes the compression field
}

TEST(PsdHeader, LyingSectionLengthsAreRefused) {
  std::string good = rgbPsd(2, 2, pattern).bytes();
  auto withLong = [&](size_t at, uint32_t v) {
    std::string s = good;
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(v >> (24 - 8 * i));
    return s;
  };
  for (uint32_t len : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0xFFFFFFDEu, 100u}) {
    setImage(withLong(30, len));
    EXPECT_EQ(readPSDHeader(), tolvane::kBadFile) << "resources " << len;
    setImage(withLong(34, len));
    EXPECT_EQ(readPSDHeader(), tolvane::kBadFile) << "layers " << len;
  }
  // Exactly at the end: the compression field is the last thing in the file.
  setImage(good.substr(0, 40));
  EXPECT_EQ(readPSDHeader(), tolvane::kOk);
}

TEST(PsdLoad, FailedOpenKeepsThePreviousImageAndWriteBackReproducesIt) {
  TempDir dir;
  Psd p = rgbPsd(5, 3, pattern, true);
  p.resources = "0123456789";
  writeFile(dir / "a.psd", p.bytes());
  ASSERT_EQ(tolvane::loadPSD((dir / "a.psd").c_str()), tolvane::kOk);
  EXPECT_EQ(tolvane::loadPSD((dir / "missing.psd").c_str()), -1);
  EXPECT_EQ(tolvane::loadPSD(dir.path().c_str()), -1);  // a folder
  EXPECT_EQ(tolvane::loadPSD(nullptr), -1);
  ASSERT_TRUE(tolvane::writeBack((dir / "b.psd").c_str(), img));
  EXPECT_EQ(readFile(dir / "b.psd"), p.bytes());

  Psd v2 = rgbPsd(2, 2, pattern);
  v2.version = 2;
  writeFile(dir / "v2.psd", v2.bytes());
  EXPECT_EQ(tolvane::loadPSD((dir / "v2.psd").c_str()), -2);
  EXPECT_EQ(std::string(img.begin(), img.end()), v2.bytes());  // refused, but loaded
}

// Numbers no colour has split without anything undefined (the sanitizer
// build watches); what colours paint is checked through the entry points.
TEST(PackedColour, NumbersNoColourHasSplitSafely) {
  for (float f : {1e30f, -1e30f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    tolvane::splitMatchColor(f);
    tolvane::splitPaintColor(f);
  }
}

}  // namespace
