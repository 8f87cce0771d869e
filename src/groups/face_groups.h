// Which group each face of an OBJ scan goes to: by the file's own group
// lines, or by the group list's face ranges. A rule is asked once per face,
// in file order (operator()), or once for a run of faces that stand together
// (span).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

// A span that holds faces of two groups or more: its faces are asked one
// by one instead.
constexpr uint32_t kMixedSpan = UINT32_MAX;

// Faces go to the group named by the last group line (group 0 before the
// first one).
struct CurrentGroup {
  const uint32_t& current;
  uint32_t operator()() const { return current; }
  uint32_t span(size_t) const { return current; }
};

// Faces go to the group list's entries by their face ranges: from the first
// entry on, face k (from 0) moves the count on to the next entry when k is
// the current entry's end number. The last entry takes every face after it.
class RangeWalk {
 public:
  explicit RangeWalk(const std::vector<int32_t>& ends) : ends_(&ends), limit_(ends.empty() ? 0 : ends[0]) {}

  uint32_t operator()() {
    ++face_;
    if (face_ == limit_ && position_ + 1 < ends_->size()) limit_ = (*ends_)[++position_];
    return position_;
  }
  // The entry of the next n faces, as if asked n times, when they all go to
  // one; kMixedSpan, having asked nothing, when they do not.
  uint32_t span(size_t n) {
    const RangeWalk before = *this;
    const uint32_t g = (*this)();  // the first may still move on
    const int64_t last = before.face_ + int64_t(n);
    // The count moves only at a face equal to the current end.
    if (limit_ > face_ && limit_ <= last && position_ + 1 < ends_->size()) {
      *this = before;
      return kMixedSpan;
    }
    face_ = last;
    return g;
  }

 private:
  const std::vector<int32_t>* ends_;
  uint32_t position_ = 0;
  int64_t limit_;
  int64_t face_ = -1;
};

}  // namespace tolvane
