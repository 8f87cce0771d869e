// Large texts compared quickly: on a difference, the sizes and first differing line, not a huge diff.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

inline ::testing::AssertionResult sameText(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  const size_t n = std::min(got.size(), want.size());
  const size_t at = size_t(std::mismatch(got.begin(), got.begin() + long(n), want.begin()).first - got.begin());
  const size_t from = at == 0 ? 0 : want.rfind('\n', at - 1) + 1;  // npos + 1 is 0
  auto line = [&](const std::string& s) { return from >= s.size() ? "" : s.substr(from, s.find('\n', from) - from).substr(0, 200); };
  return ::testing::AssertionFailure() << got.size() << " bytes, wanted " << want.size() << "; line "
                                       << std::count(want.begin(), want.begin() + long(from), '\n') + 1 << " is ["
                                       << line(got) << "], wanted [" << line(want) << "]";
}
