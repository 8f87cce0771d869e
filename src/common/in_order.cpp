#include "common/in_order.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/out_file.h"

namespace tolvane {

void TextBuffer::grow(size_t n) {
  size_t cap = cap_ < 4096 ? 4096 : cap_;
  while (cap - len_ < n) cap *= 2;
  std::unique_ptr<char[]> bigger(new char[cap]);
  if (len_ > 0) std::memcpy(bigger.get(), buf_.get(), len_);
  buf_ = std::move(bigger);
  cap_ = cap;
}

bool writeInOrder(size_t count, const std::function<bool(size_t, TextBuffer&, Bytes&)>& make,
                  const std::function<bool(const TextBuffer&)>& write) {
  std::atomic<size_t> claimed{0};
  std::mutex m;
  std::condition_variable turn;
  size_t written = 0;  // pieces written so far: the piece whose turn it is
  bool failed = false;

  auto work = [&] {
    TextBuffer text;
    Bytes in;
    for (;;) {
      const size_t i = claimed.fetch_add(1);
      if (i >= count) return;
      text.clear();
      const bool made = make(i, text, in);
      {
        std::unique_lock<std::mutex> lock(m);
        turn.wait(lock, [&] { return written == i || failed; });
        if (failed) return;
      }
      // Only the thread holding piece `written` gets here: writes never
      // overlap, and the other thread keeps making its piece meanwhile.
      const bool ok = made && write(text);
      std::lock_guard<std::mutex> lock(m);
      if (ok) ++written;
      else failed = true;
      turn.notify_all();
      if (!ok) return;
    }
  };

  std::thread helper;
  if (count > 1) {
    try {
      helper = std::thread(work);
    } catch (const std::system_error&) {
      // No second thread: this one makes and writes every piece.
    }
  }
  work();
  if (helper.joinable()) helper.join();
  return !failed;
}

Pieces writePiecesInOrder(OutFile& out, size_t count, const std::function<bool(size_t, TextBuffer&, Bytes&)>& make) {
  std::atomic<bool> readable{true};
  auto makeChecked = [&](size_t i, TextBuffer& t, Bytes& in) {
    if (make(i, t, in)) return true;
    readable = false;
    return false;
  };
  auto write = [&](const TextBuffer& t) {
    out.writeBlock(t.data(), t.size());
    return out.ok();
  };
  if (writeInOrder(count, makeChecked, write)) return Pieces::Written;
  return readable ? Pieces::Unwritten : Pieces::Unreadable;
}

}  // namespace tolvane
