// Text made in pieces on two threads and written in order.
//
// Large exports are mostly number formatting, and writing the text to the
// file is a copy that cannot overlap with it on one thread. Cut the output
// into pieces that can each be made alone (a range of records), and
// writeInOrder makes them on this thread and one helper thread, handing each
// piece's text to the writer in piece order. The machine's second core
// formats while the first writes.
//
//   writeInOrder(pieces, [&](size_t i, TextBuffer& t, Bytes& in) { /* piece i into t */ return true; },
//                [&](const TextBuffer& t) { out.write(t.data(), t.size()); return out.ok(); });
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "common/byte_reader.h"
#include "common/own_line.h"

namespace tolvane {

// Growable text with the room/advance interface of AtomicFile, for formatting
// straight into memory.
class TextBuffer {
 public:
  char* room(size_t n) {
    if (cap_ - len_ < n) grow(n);
    return buf_.get() + len_;
  }
  void advance(char* end) { len_ = size_t(end - buf_.get()); }
  void put(std::string_view s) {
    if (s.empty()) return;  // an empty buffer has no memory to copy into
    std::memcpy(room(s.size()), s.data(), s.size());
    len_ += s.size();
  }
  void put(char c) { *room(1) = c, ++len_; }

  const char* data() const { return buf_ ? buf_.get() : ""; }
  size_t size() const { return len_; }
  void clear() { len_ = 0; }

 private:
  void grow(size_t n);

  std::unique_ptr<char[]> buf_;
  size_t len_ = 0;
  size_t cap_ = 0;
};

namespace detail {
// Runs make(i, worker) for i = 0 .. count-1 on two threads (worker 0 or 1),
// and finish(i, worker) after make(i, worker), in order of i, never two at
// once; the other thread goes on making meanwhile. Stops at the first piece,
// in order, whose make or finish returns false, and returns its index; count
// when every piece was finished. Only runInOrder below calls it.
size_t runWorkers(size_t count, const std::function<bool(size_t, int)>& make,
                  const std::function<bool(size_t, int)>& finish);
}  // namespace detail

// Runs make(i, scratch) for i = 0 .. count-1 on two threads (one when a
// thread cannot be started), and finish(i, scratch) after it with the same
// scratch, in order of i, never two at once; the other thread goes on making
// meanwhile. The runner keeps one Scratch per worker, on its own cache line:
// callers never learn how many workers there are. Stops at the first piece,
// in order, whose make or finish returns false, and returns its index; count
// when every piece was finished.
//
//   runInOrder<Text>(n, [&](size_t i, Text& t) { ... }, [&](size_t i, Text& t) { ... });
template <class Scratch, class Make, class Finish>
size_t runInOrder(size_t count, Make&& make, Finish&& finish) {
  OwnLine<Scratch> scratch[2];
  return detail::runWorkers(
      count, [&](size_t i, int w) -> bool { return make(i, static_cast<Scratch&>(scratch[w])); },
      [&](size_t i, int w) -> bool { return finish(i, static_cast<Scratch&>(scratch[w])); });
}

// Makes pieces 0 .. count-1 with make(i, text, in) on two threads (one when a
// thread cannot be started; `in` is a buffer of the thread's own for the
// piece's input) and calls write(text) for each in piece order, never two at
// once. Stops at the first make or write that returns false and returns
// false; true when every piece was written.
bool writeInOrder(size_t count, const std::function<bool(size_t, TextBuffer&, Bytes&)>& make,
                  const std::function<bool(const TextBuffer&)>& write);

class BufferedWriter;

// What became of pieces written to a file.
enum class Pieces {
  Written,
  Unreadable,  // a make returned false: its input could not be read (the file shrank)
  Unwritten,   // the file could not be written
};

// writeInOrder into `out`, each piece written straight from its buffer
// (out is not committed).
Pieces writePiecesInOrder(BufferedWriter& out, size_t count,
                          const std::function<bool(size_t, TextBuffer&, Bytes&)>& make);

}  // namespace tolvane
