// Vertex number sets: the distinct vertex numbers each group's faces use,
// gathered in any order and taken out sorted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

// One bit per number from `base` on (a multiple of 64 in a NumberSet, so
// that two sets' words line up).
struct NumberBits {
  int64_t base = 0;
  std::vector<uint64_t> words;

  uint64_t span() const { return 64 * uint64_t(words.size()); }  // how many numbers the bits hold
  // Sets n's bit when n is within the bits; false when it is not.
  bool mark(int64_t n) {
    const uint64_t i = uint64_t(n - base);
    if (i >= span()) return false;
    words[i >> 6] |= uint64_t(1) << (i & 63);
    return true;
  }
  // f(n) for each number set, in ascending order.
  template <class F>
  void forEach(F&& f) const {
    for (size_t w = 0; w < words.size(); ++w)
      for (uint64_t m = words[w]; m != 0; m &= m - 1) f(base + int64_t(64 * w) + __builtin_ctzll(m));
  }
};

// The vertex numbers of one group, in any order, repeats allowed. Faces of
// a group mostly use vertices close together: numbers within the range of
// its bits only set a bit (no branch on whether they were met before, and a
// group's bits stay in the processor's cache). Numbers outside it are kept
// as they come; once enough have come, the range grows to take them in,
// provided the bits never take more memory than 4 bytes for each number
// ever kept that way.
class NumberSet {
 public:
  // Number n; numbers below 0 are dropped.
  void add(int32_t n) {
    if (!bits_.mark(n) && n >= 0) addOutside(n);
  }
  // Takes in everything `other` holds.
  void absorb(NumberSet&& other);
  // Sorted, distinct numbers in [lo, hi] (lo >= 0); the set is left empty.
  std::vector<int32_t> take(int32_t lo, int32_t hi);

 private:
  NumberBits bits_;
  std::vector<NumberBits> more_;  // bits taken in from other sets
  std::vector<int32_t> loose_;  // numbers outside the bits
  uint64_t looseEver_ = 0;  // numbers ever kept in loose_
  size_t tryAt_ = 16;  // loose_ size at which the range tries to grow

  void addOutside(int32_t n);
  bool widen(int64_t lo, int64_t hi);
  bool grow();
};

// Vertex index sets: per group the OBJ vertex numbers its faces use.
// Numbers below 0 are dropped at once; the rest are kept and checked against
// the vertex count when a set is taken.
struct VertexSets {
  std::vector<NumberSet> sets;

  NumberSet& of(uint32_t group) {
    if (group >= sets.size()) sets.resize(size_t(group) + 1);
    return sets[group];
  }
  // Sorted, distinct numbers of `group` in [lo, hi]. Groups may be taken
  // on two threads at once.
  std::vector<int32_t> take(uint32_t group, int32_t lo, int32_t hi) {
    return group < sets.size() ? sets[group].take(lo, hi) : std::vector<int32_t>();
  }
};

}  // namespace tolvane
