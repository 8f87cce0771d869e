// Keeps a second job off a file for the whole of an in-place rewrite.
//
// A rewrite reads the file, then writes a new one over it: two jobs that
// both read before either writes would each write over the other's change.
// Held from before the read until the new file has taken the name, the lock
// makes the second job read what the first one wrote.
#pragma once

#include <cstdint>

namespace tolvane {

class RewriteLock {
 public:
  // Waits until no other job holds the lock on the file at `path`, then
  // holds it until destroyed. A missing file, or one that is not a regular
  // file, is not locked: the operation then fails on it as it would alone.
  explicit RewriteLock(const char* path);
  ~RewriteLock();
  RewriteLock(const RewriteLock&) = delete;
  RewriteLock& operator=(const RewriteLock&) = delete;

 private:
  int fd_ = -1;
  uint64_t dev_ = 0, ino_ = 0;
};

// True when this thread holds a RewriteLock on the file (dev, ino): the new
// file that replaces it then needs no second lock, which would wait on the
// first one for ever.
bool rewriteLockHeld(uint64_t dev, uint64_t ino);

#if !defined(_WIN32)
// Opens `path` with open(2)'s `flags` and `mode`, and waits until no other
// job holds the lock on the file. The file returned, locked, is the one the
// path names once the lock is ours: a job that held it may have renamed a
// new file over the one first opened. -1 when it cannot be opened or locked.
int openLocked(const char* path, int flags, unsigned mode = 0);
#endif

}  // namespace tolvane
