#include "common/in_order.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/buffered_writer.h"

namespace tolvane {

void TextBuffer::grow(size_t n) {
  size_t cap = cap_ < 4096 ? 4096 : cap_;
  while (cap - len_ < n) cap *= 2;
  std::unique_ptr<char[]> bigger(new char[cap]);
  if (len_ > 0) std::memcpy(bigger.get(), buf_.get(), len_);
  buf_ = std::move(bigger);
  cap_ = cap;
}

namespace {

// How long a thread waits for its turn before it sleeps.
constexpr std::chrono::microseconds kSpinBeforeSleep{50};

// Waits until ready() or kSpinBeforeSleep has passed; ready() then.
template <class F>
bool spinFor(F ready) {
  const auto until = std::chrono::steady_clock::now() + kSpinBeforeSleep;
  for (;;) {
    for (int k = 0; k < 16; ++k) {
      if (ready()) return true;
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
    if (std::chrono::steady_clock::now() >= until) return ready();
  }
}

// A piece that throws (out of memory) is a piece that failed: nothing may
// leave a thread by an exception.
template <class F>
bool attempt(F f) noexcept {
  try {
    return f();
  } catch (...) {
    return false;
  }
}

}  // namespace

size_t detail::runWorkers(size_t count, const std::function<bool(size_t, int)>& make,
                          const std::function<bool(size_t, int)>& finish) {
  std::atomic<size_t> claimed{0};
  std::mutex m;
  std::condition_variable turn;
  std::atomic<size_t> finished{0};  // pieces finished so far: the piece whose turn it is
  std::atomic<bool> failed{false};
  size_t sleeping = 0;  // threads waiting on `turn` (under m)

  auto myTurn = [&](size_t i) { return finished.load(std::memory_order_acquire) == i || failed.load(); };
  auto work = [&](int worker) {
    for (;;) {
      const size_t i = claimed.fetch_add(1);
      if (i >= count) return;
      const bool made = attempt([&] { return make(i, worker); });
      // The wait is usually the other thread writing one piece, a few tens
      // of microseconds: sleeping and being woken costs more than that (and
      // the wake-up comes late on a virtual machine), so it is waited out
      // first and slept only when it drags on.
      if (!spinFor([&] { return myTurn(i); })) {
        std::unique_lock<std::mutex> lock(m);
        ++sleeping;
        turn.wait(lock, [&] { return myTurn(i); });
        --sleeping;
      }
      if (failed) return;
      // Only the thread holding piece `finished` gets here: finishes never
      // overlap, and the other thread keeps making its piece meanwhile.
      const bool ok = made && attempt([&] { return finish(i, worker); });
      std::lock_guard<std::mutex> lock(m);
      if (ok) finished.store(i + 1, std::memory_order_release);
      else failed = true;
      if (sleeping > 0) turn.notify_all();
      if (!ok) return;
    }
  };

  std::thread helper;
  if (count > 1) {
    try {
      helper = std::thread(work, 1);
    } catch (const std::system_error&) {
      // No second thread: this one makes and finishes every piece.
    }
  }
  work(0);
  if (helper.joinable()) helper.join();
  return finished;
}

bool writeInOrder(size_t count, const std::function<bool(size_t, TextBuffer&, Bytes&)>& make,
                  const std::function<bool(const TextBuffer&)>& write) {
  struct Piece {
    TextBuffer text;
    Bytes in;
  };
  return runInOrder<Piece>(
             count, [&](size_t i, Piece& p) { return p.text.clear(), make(i, p.text, p.in); },
             [&](size_t, Piece& p) { return write(p.text); }) == count;
}

Pieces writePiecesInOrder(BufferedWriter& out, size_t count,
                          const std::function<bool(size_t, TextBuffer&, Bytes&)>& make) {
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
