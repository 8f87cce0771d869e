#include "groups/number_set.h"

#include <algorithm>

namespace tolvane {
namespace {

// Sorts non-negative numbers and drops their repeats. Numbers that span a
// range not much wider than their count are sorted as one bit per number
// of the range, read back in order: far quicker than a comparison sort.
void sortDistinct(std::vector<int32_t>& v) {
  if (v.empty()) return;
  const auto [least, most] = std::minmax_element(v.begin(), v.end());
  const int32_t lo = *least;
  const uint64_t span = uint64_t(int64_t(*most) - lo) + 1;
  if (span > 16 * uint64_t(v.size()) + 4096) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return;
  }
  NumberBits bits{lo, std::vector<uint64_t>((span + 63) / 64, 0)};
  for (int32_t n : v) bits.mark(n);
  v.clear();
  bits.forEach([&](int64_t n) { v.push_back(int32_t(n)); });
}

}  // namespace

void NumberSet::addOutside(int32_t n) {
  loose_.push_back(n);
  ++looseEver_;
  if (loose_.size() >= tryAt_ && !grow()) tryAt_ = 2 * loose_.size();
}

// Widens the bits to cover [lo, hi] besides what they cover, when that
// stays within what the set may take; false, nothing changed, when it does
// not.
bool NumberSet::widen(int64_t lo, int64_t hi) {
  const int64_t base = bits_.base, end = base + int64_t(bits_.span());
  const bool none = bits_.words.empty();
  int64_t from = none ? lo : std::min(base, lo), to = none ? hi + 1 : std::max(end, hi + 1);
  from &= ~int64_t(63);
  const int64_t allowed = int64_t(std::min<uint64_t>(32 * looseEver_, uint64_t(1) << 40));
  if (to - from > allowed) return false;
  // Room on the side the numbers went, so that faces that walk through
  // their vertices widen the range a few times rather than at every step.
  const int64_t room = std::min((to - from) / 2, allowed - (to - from));
  if (none || hi >= end) to += room;
  else from = std::max<int64_t>(0, from - room) & ~int64_t(63);
  NumberBits b;
  b.base = from;
  b.words.assign(size_t((to - from + 63) / 64), 0);
  if (!none) std::copy(bits_.words.begin(), bits_.words.end(), b.words.begin() + (base - from) / 64);
  bits_ = std::move(b);
  // Widening again copies the bits: it waits for loose numbers in
  // proportion to them.
  tryAt_ = std::max<size_t>(16, bits_.words.size() / 4);
  return true;
}

// Takes every loose number into the bits, widening them when it may; false
// when they are left loose.
bool NumberSet::grow() {
  if (loose_.empty()) return true;
  const auto [least, most] = std::minmax_element(loose_.begin(), loose_.end());
  if (!widen(*least, *most)) return false;
  for (int32_t n : loose_) bits_.mark(n);
  loose_.clear();
  return true;
}

void NumberSet::absorb(NumberSet&& other) {
  if (bits_.words.empty() && loose_.empty() && more_.empty()) {
    *this = std::move(other);
    return;
  }
  looseEver_ += other.looseEver_;
  if (!other.bits_.words.empty()) {
    const int64_t otherBase = other.bits_.base, otherEnd = otherBase + int64_t(other.bits_.span());
    if ((otherBase >= bits_.base && otherEnd <= bits_.base + int64_t(bits_.span())) || widen(otherBase, otherEnd - 1)) {
      const size_t at = size_t(otherBase - bits_.base) / 64;
      for (size_t w = 0; w < other.bits_.words.size(); ++w) bits_.words[at + w] |= other.bits_.words[w];
    } else {
      more_.push_back(std::move(other.bits_));
    }
  }
  for (NumberBits& b : other.more_) more_.push_back(std::move(b));
  loose_.insert(loose_.end(), other.loose_.begin(), other.loose_.end());
  other = NumberSet();
}

std::vector<int32_t> NumberSet::take(int32_t lo, int32_t hi) {
  grow();  // loose numbers join the bits when they may
  // Everything else that falls in the bits' range joins them; the rest is
  // sorted apart and comes before or after them.
  std::vector<int32_t> rest;
  auto place = [&](int64_t n) {
    if (!bits_.mark(n)) rest.push_back(int32_t(n));
  };
  for (int32_t n : loose_) place(n);
  for (const NumberBits& b : more_) b.forEach(place);
  sortDistinct(rest);

  std::vector<int32_t> out;
  size_t count = rest.size();
  for (uint64_t w : bits_.words) count += size_t(__builtin_popcountll(w));
  out.reserve(count);
  auto keep = [&](int64_t n) {
    if (n >= lo && n <= hi) out.push_back(int32_t(n));
  };
  const auto above = std::lower_bound(rest.begin(), rest.end(), bits_.base);
  for (auto it = rest.begin(); it != above; ++it) keep(*it);
  bits_.forEach(keep);
  for (auto it = above; it != rest.end(); ++it) keep(*it);
  *this = NumberSet();
  return out;
}

}  // namespace tolvane
