// Shared test helpers: the library as the host loads it, temporary folders, real write failures, inputs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#if defined(RGB)
#undef RGB  // <windows.h>'s colour macro; here RGB is a pixel
#endif

namespace testsupport {

// Entry point `name` (missing: a failure and NaN); a string buffer is copied into a writable area.
float call(const char* name, const char* text, double number, char* buffer);
float call(const char* name, const char* text, double number, const std::string& buffer);
void* library();                 // dlopen handle (HMODULE on Windows)
void* symbol(const char* name);  // exported symbol `name`, or nullptr

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> list() const;  // entry names, sorted, without "." and ".."
 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
bool makeDir(const std::string& path);
// Whether a read-only file refuses writing (not for root, nor Wine run by root).
bool readOnlyIsEnforced();
std::string example(const std::string& name);  // a file of the source tree's examples/
std::string bytePattern(size_t n);             // n bytes that rarely repeat
std::string backslashed(std::string path);     // every "/" as "\"
#if defined(_WIN32)
std::wstring wide(const std::string& utf8);
#endif

// `fn` in a child whose files may not grow beyond `limit` bytes: what it returned, or NaN if the child
// died. Windows has no fork: tests skip.
float withFileSizeLimit(long limit, const std::function<float()>& fn);
// The same with `spare` bytes of address space left (kTestRanOut: the test's own code ran out).
float withMemoryLimit(long spare, const std::function<float()>& fn);
constexpr float kTestRanOut = -99999.0f;
#if defined(_WIN32)
#define SKIP_WITHOUT_FILE_SIZE_LIMIT() GTEST_SKIP() << "the rest needs fork and a file size limit"
#else
#define SKIP_WITHOUT_FILE_SIZE_LIMIT() (void)0
#endif

// --- input files ---
void putU32(std::string& s, unsigned v);  // little-endian
void putF32(std::string& s, float v);

constexpr uint32_t kVertexTag = 10001, kFaceTag = 20001, kUVTag = 25001, kColourTag = 35001;
// A Qiv chunk: tag, length (16 + records unless given), count, reserved.
std::string chunk(uint32_t tag, uint32_t count, const std::string& records, int64_t length = -1);
std::string floats(const std::vector<float>& values);
std::string vertexChunk(const std::vector<float>& xyz);
std::string qivHeader();  // 32 bytes that are not zeros (a copy that loses them shows)
inline std::string qiv(const std::string& chunks) { return qivHeader() + chunks; }
inline std::string qit(const std::vector<float>& xyz) { return vertexChunk(xyz); }

struct RGB {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::function<RGB(int, int)> solid(RGB c) { return [c](int, int) { return c; }; }
inline RGB pattern(int x, int y) { return RGB{uint8_t(x * 7 + y), uint8_t(x + y * 13), uint8_t(x ^ y)}; }

struct Psd {
  int version = 1, channels = 3;
  int32_t height = 0, width = 0;
  int depth = 8, mode = 3;
  int32_t colorDataLength = 0;
  std::string resources, layers;  // section bytes
  int compression = 0;
  std::string data;  // image data, planes one after another
  std::string bytes() const;
  size_t dataOffset() const { return 40 + resources.size() + layers.size(); }
};
// An RGB PSD whose pixel (x, y) is pixel(x, y), with an alpha plane on request.
Psd rgbPsd(int width, int height, const std::function<RGB(int, int)>& pixel, bool withAlpha = false);
// Pixel (x, y) of the three planes of a PSD file's bytes with data at `at`.
RGB psdPixel(const std::string& file, size_t at, int width, int height, int x, int y);
// A bottom-up 24-bit BMP, byte i of stored row y value(i, y), `extra` between header and data.
std::string bmp(int width, int height, const std::function<uint8_t(int, int)>& value, const std::string& extra = "");

}  // namespace testsupport
