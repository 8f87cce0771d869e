#include <algorithm>

#include "common/bytes.h"

namespace tolvane {

bool FileFront::open(const char* path) {
  if (opened_) return false;
  if (file_.open(path)) {
    size_ = file_.size();
    // The buffer never moves, so readers handed out earlier stay valid.
    data_.reserve(size_);
    if (size_ >= (uint64_t(4) << 20)) preferHugePages(data_.data(), size_);
  } else {
    // Pipes and devices have no size to read up to: take all of it now.
    if (!loadFile(path, data_)) return false;
    size_ = data_.size();
  }
  opened_ = true;
  return true;
}

ByteReader FileFront::upTo(uint64_t n) {
  const uint64_t want = std::min(n, size_);
  if (want > data_.size()) {
    size_t got = data_.size();
    data_.resize(size_t(want));
    got += file_.readAt(got, &data_[got], size_t(want) - got);
    // Shorter now than when it was opened (or unreadable): what was read is
    // all there is.
    if (got < want) size_ = got;
    data_.resize(got);
  }
  return ByteReader(data_.data(), data_.size());
}

bool FileFront::readAt(uint64_t pos, void* dst, size_t n) {
  if (!holds(pos, n)) return false;
  if (pos + n <= data_.size()) {
    std::memcpy(dst, data_.data() + pos, n);  // already in the front
    return true;
  }
  return file_.readAt(pos, dst, n) == n;
}

}  // namespace tolvane
