#include "common/buffered_writer.h"

#include <cstdint>
#include <cstdlib>
#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#endif

namespace tolvane {
namespace {

constexpr size_t kBufferSize = size_t(1) << 20;

#if defined(_WIN32)
void holdSizeLimitSignal() {}
void releaseSizeLimitSignal() {}
#else
// A write past the file size limit (ulimit -f) raises SIGXFSZ, whose default
// action ends the process: the host would die with the user's work. While
// any of our files is open, a default disposition becomes "ignore", so the
// write fails with EFBIG instead; a host's own handler is left alone, and
// the host's disposition is put back when the last file is closed.
std::mutex signalLock;
int filesOpen = 0;
struct sigaction hostDisposition;
bool ignoring = false;  // whether we set "ignore" in place of the default

void holdSizeLimitSignal() {
  std::lock_guard<std::mutex> hold(signalLock);
  if (filesOpen++ > 0) return;
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ignoring = sigaction(SIGXFSZ, nullptr, &hostDisposition) == 0 && !(hostDisposition.sa_flags & SA_SIGINFO) &&
             hostDisposition.sa_handler == SIG_DFL && sigaction(SIGXFSZ, &ignore, nullptr) == 0;
}

void releaseSizeLimitSignal() {
  std::lock_guard<std::mutex> hold(signalLock);
  if (--filesOpen > 0) return;
  struct sigaction now;
  // Put back only what we changed: a host that set its own meanwhile keeps it.
  if (ignoring && sigaction(SIGXFSZ, nullptr, &now) == 0 && !(now.sa_flags & SA_SIGINFO) && now.sa_handler == SIG_IGN)
    sigaction(SIGXFSZ, &hostDisposition, nullptr);
  ignoring = false;
}
#endif

}  // namespace

#if defined(_WIN32)
bool BufferedWriter::isOpen() const { return handle_ != nullptr; }

bool BufferedWriter::writeOut(const void* from, size_t n) {
  const char* p = static_cast<const char*>(from);
  while (n > 0) {
    DWORD chunk = n > 0x40000000u ? 0x40000000u : DWORD(n);
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    n -= written;
  }
  return true;
}
#else
bool BufferedWriter::isOpen() const { return fd_ >= 0; }

bool BufferedWriter::writeOut(const void* from, size_t n) {
  const char* p = static_cast<const char*>(from);
  while (n > 0) {
    ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= size_t(w);
  }
  return true;
}
#endif

bool BufferedWriter::start(intptr_t file) {
  buf_ = static_cast<char*>(std::malloc(kBufferSize));
  if (!buf_) return false;
  holdSizeLimitSignal();
#if defined(_WIN32)
  handle_ = reinterpret_cast<void*>(file);
#else
  fd_ = int(file);
#endif
  cap_ = kBufferSize;
  len_ = 0;
  failed_ = false;
  return true;
}

void BufferedWriter::flush() {
  if (isOpen() && len_ != 0 && !failed_ && !writeOut(buf_, len_)) failed_ = true;
  len_ = 0;
}

void BufferedWriter::writeBlock(const void* p, size_t n) {
  flush();
  if (isOpen() && !failed_ && !writeOut(p, n)) failed_ = true;
}

void BufferedWriter::writeSlow(const void* p, size_t n) {
  if (n >= cap_) {
    writeBlock(p, n);
    return;
  }
  flush();
  std::memcpy(buf_, p, n);
  len_ = n;
}

void BufferedWriter::release() {
  if (buf_) releaseSizeLimitSignal();
  std::free(buf_);
  buf_ = nullptr;
  len_ = cap_ = 0;
#if defined(_WIN32)
  handle_ = nullptr;
#else
  fd_ = -1;
#endif
}

}  // namespace tolvane
