// Reading a file in parts, the same on every platform: positional reads of a
// regular file, and the front of a file read as far as a reader asks.
#include "common/file_front.h"

#include <cstring>

#include "common/huge_pages.h"

namespace tolvane {

size_t SeekableFile::readAt(uint64_t pos, void* into, size_t n) {
  size_t got = 0;
  while (got < n) {
    int64_t r = readOnce(pos + got, static_cast<char*>(into) + got, n - got);
    if (r <= 0) break;
    got += size_t(r);
  }
  return got;
}

bool FileFront::open(const char* path) {
  // A pipe has no size to read up to: all of it is taken now.
  data_.clear();
  if (!file_.open(path, &data_)) return false;
  if (!file_.isOpen()) {
    size_ = data_.size();
    return true;
  }
  size_ = file_.size();
  reserveLarge(data_, size_);  // the buffer never moves
  return true;
}

ByteReader FileFront::upTo(uint64_t n) {
  uint64_t want = n < size_ ? n : size_;
  if (want > data_.size()) {  // only for a regular file: a pipe is read whole
    size_t got = data_.size();
    data_.resize(want);
    got += file_.readAt(got, &data_[got], want - got);
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
    std::memcpy(dst, data_.data() + pos, n);  // already in the front (all of a pipe)
    return true;
  }
  return file_.readAt(pos, dst, n) == n;
}

}  // namespace tolvane
