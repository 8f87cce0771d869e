// What the PSD image globals hold once an operation has ended.
//
// The operations read their files in pieces, but the globals must end as a
// run that loads each file whole leaves them: after a refusal `img` holds the
// refused file and `fHeader` as much of its header as was parsed, after a
// success `img` is empty. This is the one place that sets them.
#include <cstring>

#include "common/file_front.h"
#include "common/result_codes.h"
#include "host/frozen.h"
#include "image/planes.h"

namespace tolvane {
namespace {

// Load step: reads the file at `path` into `img` and parses its header.
// -1 when it cannot be opened (`img` untouched), else the header's result.
float loadPSD(const char* path) {
  Bytes data;
  if (!loadFile(path, data)) return kFailed;
  img.swap(data);
  return parsePSDHeader(ByteReader(img), fHeader, offst);
}

// `img` empty and the header of `s` (accepted) in `fHeader`; `reserved` is
// never parsed and keeps what it held.
void keepHeader(const PSDStream& s) {
  Bytes().swap(img);
  PSDHeader h = s.header();
  std::memcpy(h.reserved, fHeader.reserved, sizeof h.reserved);
  fHeader = h;
  offst = s.dataOffset();
}

// What `img` holds after each result.
enum class Left { Header, Files, EditedFile };

Left leftAfter(float code, bool edited) {
  if (code == kOk || code == kSizeMismatch || code == kTooSmallToHeal || code == kSectionsDiffer) return Left::Header;
  if (code == kOutputNotWritable) return edited ? Left::EditedFile : Left::Header;
  return Left::Files;
}

}  // namespace

float endPSD(float code, std::initializer_list<const PSDStream*> files, const UnwrittenEdit& unwritten) {
  const PSDStream* last = nullptr;
  for (const PSDStream* s : files)
    if (s->tried()) last = s;
  switch (leftAfter(code, bool(unwritten))) {
    case Left::Header:
      keepHeader(*last);
      break;
    case Left::Files:  // a file after a refused one was never tried
      for (const PSDStream* s : files)
        if (s->tried()) loadPSD(s->path());
      break;
    case Left::EditedFile:
      if (loadPSD(last->path()) == kOk) {
        const int64_t plane = planeBytes(fHeader);
        if (plane >= 0 && ByteReader(img).has(uint64_t(offst), 3 * uint64_t(plane)))
          unwritten(img.data(), size_t(offst), size_t(plane));
      }
      break;
  }
  return code;
}

}  // namespace tolvane
