// Qiv and Qit test files built byte by byte.
#pragma once

#include <initializer_list>
#include <string>

#include "support/support.h"

namespace meshswap {

// 32 header bytes that are not zeros, so a copy that loses them shows.
inline std::string qivHeader() {
  std::string s;
  for (int i = 0; i < 32; ++i) s.push_back(char(0xA0 + i));
  return s;
}

// A chunk header and its records; the length is 16 + the records' size
// unless one is given.
inline std::string chunk(unsigned tag, unsigned count, const std::string& records, long length = -1,
                         unsigned reserved = 0) {
  std::string s;
  testsupport::putU32(s, tag);
  testsupport::putU32(s, length < 0 ? unsigned(16 + records.size()) : unsigned(length));
  testsupport::putU32(s, count);
  testsupport::putU32(s, reserved);
  return s + records;
}

inline std::string floats(std::initializer_list<float> values) {
  std::string s;
  for (float f : values) testsupport::putF32(s, f);
  return s;
}

}  // namespace meshswap
