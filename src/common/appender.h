// Bytes added to the end of a file, all of them or none.
//
// The appender remembers the file's size when it is opened; a failed write,
// a failed close or abort() cuts the file back to that size, so the file
// keeps exactly what it had. The size is also kept in a small journal beside
// the file until the append is whole: an append killed part-way is cut back
// by the next one that opens the file.
#pragma once

#include <cstdint>
#include <string>

#include "common/buffered_writer.h"

namespace tolvane {

class Appender : public BufferedWriter {
 public:
  Appender() = default;
  ~Appender() { abort(); }

  // Opens `path` for appending, creating it when missing.
  bool open(const char* path);
  // Writes out what is buffered and closes the file. False when any write
  // failed or the file could not be closed; the file is then cut back.
  bool commit();
  // Cuts the file back to its size at open().
  void abort();

 private:
  void dropJournal();

  int64_t start_ = 0;  // the file's size at open()
  std::string path_;
  std::string journal_;  // empty when none was written
};

}  // namespace tolvane
