// The PSD header parser, the byte-order primitives and the load and
// write-back steps, on the library's own globals.
#include <gtest/gtest.h>

#include "common/result_codes.h"
#include "image/psd.h"
#include "image_files.h"
#include "support/support.h"

using namespace imagetest;
using testsupport::TempDir;

namespace {

void setImage(const std::string& s) { img.assign(s.begin(), s.end()); }

TEST(PsdPrimitives, BigEndianReadsAndWrites) {
  setImage(std::string("\xFF\xFE\x00\x00\x01\x00\x3F\x80\x00\x00", 10));
  EXPECT_EQ(readShort(0), -2);
  EXPECT_EQ(readLong(2), 256);
  EXPECT_EQ(readShort(4), 256);
  EXPECT_FLOAT_EQ(readFloatLE(6), 1.0f);  // 3F 80 00 00, first byte most significant
  EXPECT_EQ(readFloat(6), tolvane::bitsToFloat(0x0000803Fu));

  writeShort(0, 0x1234);
  writeLong(2, -2);
  EXPECT_EQ(img[0], 0x12);
  EXPECT_EQ(img[1], 0x34);
  EXPECT_EQ(readLong(2), -2);
  EXPECT_EQ(img[2], 0xFF);
  EXPECT_EQ(img[5], 0xFE);
  EXPECT_EQ(bigEndian(), 0);
  EXPECT_EQ(littleEndian(), 1);
}

TEST(PsdPrimitives, IndicesOutsideTheImageReadZeroAndWriteNothing) {
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

TEST(PsdHeader, CodesInOrder) {
  Psd p = rgbPsd(2, 2, pattern);
  std::string good = p.bytes();
  setImage(good);
  EXPECT_EQ(readPSDHeader(), tolvane::kOk);
  EXPECT_EQ(offst, 40);
  EXPECT_EQ(fHeader.width, 2);
  EXPECT_EQ(fHeader.channels, 3);

  std::string notPsd = good;
  notPsd[3] = 'T';
  setImage(notPsd);
  EXPECT_EQ(readPSDHeader(), -1);
  EXPECT_EQ(std::string(fHeader.signature, 4), "8BPT");

  // A later fault does not hide an earlier one.
  Psd v2 = p;
  v2.version = 2;
  v2.colorDataLength = 768;
  v2.compression = 1;
  setImage(v2.bytes());
  EXPECT_EQ(readPSDHeader(), -2);
  Psd indexed = p;
  indexed.colorDataLength = 768;
  indexed.compression = 1;
  setImage(indexed.bytes());
  EXPECT_EQ(readPSDHeader(), -3);
  Psd rle = p;
  rle.compression = 1;
  rle.resources = "abcd";
  setImage(rle.bytes());
  EXPECT_EQ(readPSDHeader(), -4);
  EXPECT_EQ(offst, 38 + 4);  // indexes the compression field
  Psd neg = p;
  neg.compression = -1;  // 0xFFFF sign-extends
  setImage(neg.bytes());
  EXPECT_EQ(readPSDHeader(), -4);
  EXPECT_EQ(fHeader.compression, -1);
}

TEST(PsdHeader, SectionLengthsMoveTheImageData) {
  Psd p = rgbPsd(3, 1, pattern);
  p.resources = std::string(7, 'r');
  p.layers = std::string(13, 'l');
  setImage(p.bytes());
  ASSERT_EQ(readPSDHeader(), tolvane::kOk);
  EXPECT_EQ(offst, 40 + 7 + 13);
  EXPECT_EQ(fHeader.imageResourcesLength, 7);
  EXPECT_EQ(fHeader.layerMaskInfoLength, 13);
  EXPECT_EQ(img[size_t(offst)], pattern(0, 0).r);
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
  EXPECT_EQ(offst, 40);
}

TEST(PsdHeader, EveryTruncationIsRefusedCleanly) {
  Psd p = rgbPsd(2, 2, pattern);
  p.resources = "res";
  p.layers = "lay";
  std::string good = p.bytes();
  for (size_t n = 0; n < p.dataOffset(); ++n) {
    setImage(good.substr(0, n));
    float r = readPSDHeader();
    EXPECT_TRUE(r == (n < 4 ? -1.0f : tolvane::kBadFile)) << n << " gives " << r;
  }
}

TEST(PsdLoad, FailedOpenKeepsThePreviousImageAndRefusalsKeepTheNewOne) {
  TempDir dir;
  std::string first = rgbPsd(2, 2, pattern).bytes();
  testsupport::writeFile(dir / "a.psd", first);
  ASSERT_EQ(tolvane::loadPSD((dir / "a.psd").c_str()), tolvane::kOk);
  EXPECT_EQ(img.size(), first.size());
  EXPECT_EQ(tolvane::loadPSD((dir / "missing.psd").c_str()), -1);
  EXPECT_EQ(tolvane::loadPSD(dir.path().c_str()), -1);  // a folder
  EXPECT_EQ(tolvane::loadPSD(nullptr), -1);
  EXPECT_EQ(std::string(img.begin(), img.end()), first);

  Psd v2 = rgbPsd(2, 2, pattern);
  v2.version = 2;
  testsupport::writeFile(dir / "v2.psd", v2.bytes());
  EXPECT_EQ(tolvane::loadPSD((dir / "v2.psd").c_str()), -2);
  EXPECT_EQ(std::string(img.begin(), img.end()), v2.bytes());
}

TEST(PsdLoad, WriteBackOfAnUnchangedImageReproducesTheFile) {
  TempDir dir;
  Psd p = rgbPsd(5, 3, pattern, true);
  p.resources = "0123456789";
  testsupport::writeFile(dir / "a.psd", p.bytes());
  ASSERT_EQ(tolvane::loadPSD((dir / "a.psd").c_str()), tolvane::kOk);
  ASSERT_TRUE(tolvane::writeBack((dir / "b.psd").c_str(), img));
  EXPECT_EQ(testsupport::readFile(dir / "b.psd"), p.bytes());
}

TEST(PackedColour, MatchAndPaintSplits) {
  using tolvane::splitMatchColor;
  using tolvane::splitPaintColor;
  auto parts = [](tolvane::ColorParts c) { return std::vector<int64_t>{c.r, c.g, c.b}; };
  EXPECT_EQ(parts(splitMatchColor(16777215.0f)), (std::vector<int64_t>{255, 255, 255}));
  EXPECT_EQ(parts(splitMatchColor(0x123456)), (std::vector<int64_t>{0x12, 0x34, 0x56}));
  EXPECT_EQ(parts(splitMatchColor(-1.0f)), (std::vector<int64_t>{0, 0, -1}));
  EXPECT_EQ(parts(splitMatchColor(-0.5f)), (std::vector<int64_t>{0, 0, 0}));  // matches black
  // 2^24 + 1 is not a float: it rounds to 2^24, not "256, 0, 1".
  EXPECT_EQ(parts(splitMatchColor(float(16777217.0))), (std::vector<int64_t>{256, 0, 0}));
  // The paint split keeps G whole; only its low byte is painted.
  EXPECT_EQ(parts(splitPaintColor(0x123456)), (std::vector<int64_t>{0x12, 0x1234, 0x56}));
  EXPECT_EQ(parts(splitPaintColor(-1.0f)), (std::vector<int64_t>{0, 0, -1}));
  EXPECT_EQ(parts(splitPaintColor(-65536.0f)), (std::vector<int64_t>{-1, -256, 0}));
  // Nothing undefined for numbers no colour has.
  for (float f : {1e30f, -1e30f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    splitMatchColor(f);
    splitPaintColor(f);
  }
}

}  // namespace
