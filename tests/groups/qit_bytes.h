// Expected Qit vertex files, built byte by byte.
#pragma once

#include <string>
#include <vector>

#include "support/support.h"

inline std::string qit(const std::vector<float>& xyz) {
  std::string s;
  testsupport::putU32(s, 10001);
  testsupport::putU32(s, unsigned(16 + 4 * xyz.size()));
  testsupport::putU32(s, unsigned(xyz.size() / 3));
  testsupport::putU32(s, 0);
  for (float f : xyz) testsupport::putF32(s, f);
  return s;
}
