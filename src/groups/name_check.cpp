// Unique names: the wanted name once, then numbered "_copy" variants.
#include <cstdio>

#include "common/numfmt.h"
#include "groups/groups.h"

namespace tolvane {

std::string checkName(const char* wanted) {
  std::string name = wanted ? wanted : "";
  if (nameSet.insert(name).second) return name;
  size_t copy = name.find("_copy");
  std::string base = copy == std::string::npos ? name + "_copy" : name.substr(0, copy + 5);
  for (uint64_t attempt = 1;; ++attempt) {
    char digits[kNumberRoom];
    char* end = formatUint(digits, attempt);
    // The host's console shows every attempt.
    std::fwrite(digits, 1, size_t(end - digits), stdout);
    std::fputc('\n', stdout);
    std::string candidate = base + std::string(digits, end);
    if (nameSet.insert(candidate).second) return candidate;
  }
}

}  // namespace tolvane
