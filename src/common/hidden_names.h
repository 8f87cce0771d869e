// Hidden names beside a destination, ".NAME.tolvane-PID-N", for files that
// are being written (POSIX; Windows keeps its own in atomic_file_win.cpp).
#pragma once

#if !defined(_WIN32)

#include <string>

namespace tolvane {

std::string folderOf(const std::string& path);
// The hidden name ".NAME.tolvane-append" beside `path`, of the journal of an
// append in progress.
std::string journalName(const std::string& path);

// Creates a new hidden file beside `path` (exclusively: a name already taken,
// by a leftover or another writer, is passed over for a fresh one) and
// returns its descriptor, or -1; `name` receives its name. The first time a
// folder is written to, leftovers there of processes that are gone are
// removed.
int createHidden(const std::string& path, std::string& name);
// Gives the unnamed open file `fd` a fresh hidden name beside `path`, as
// createHidden chooses it; false when it could not.
bool linkHidden(int fd, const std::string& path, std::string& name);

}  // namespace tolvane

#endif  // !_WIN32
