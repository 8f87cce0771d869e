// Opening a URL with the desktop's default handler.
#include <cstdint>
#include <cstdio>

#include "common/result_codes.h"
#include "files/files.h"
#include "files/platform/platform.h"

namespace tolvane {

float openUrl(const char* text) {
  platform::Url url;
  bool isUrl = text && platform::urlFromString(text, url);
  // What the script printed so far reaches the console before the browser
  // takes over.
  std::fflush(stdout);
  if (!isUrl) return kFailed;
  return float(int16_t(platform::openUrl(url)));
}

}  // namespace tolvane
