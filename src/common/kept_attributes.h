// What a rewritten file keeps of the file it replaces (not on Windows, where
// the move over the old file keeps what the system keeps).
#pragma once

#if !defined(_WIN32)

#include <sys/stat.h>

namespace tolvane {

// Gives the new file `fd` the owner, group and permission bits of `old`
// (the stat of the file at `oldPath`), and its extended attributes (ACLs
// among them). Where the owner or group cannot be kept, the set-user-ID and
// set-group-ID bits that would now speak for someone else are dropped.
void keepAttributes(int fd, const char* oldPath, const struct stat& old);

}  // namespace tolvane

#endif  // !_WIN32
