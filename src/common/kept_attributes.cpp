#include "common/kept_attributes.h"

#if !defined(_WIN32)

#include <unistd.h>

namespace tolvane {

void keepAttributes(int fd, const char* oldPath, const struct stat& old) {
  (void)oldPath;
  // A file of another owner keeps that owner when this process may give
  // it away (root, or a group the user belongs to).
  if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
    // Neither: the new file stays this user's, in this user's group.
  }
  struct stat now;
  mode_t mode = old.st_mode & 07777;
  if (::fstat(fd, &now) != 0) mode &= ~mode_t(S_ISUID | S_ISGID);
  else if (now.st_uid != old.st_uid) mode &= ~mode_t(S_ISUID);
  else if (now.st_gid != old.st_gid) mode &= ~mode_t(S_ISGID);
  // After the owner: a change of owner clears the set-ID bits.
  ::fchmod(fd, mode);
}

}  // namespace tolvane

#endif  // !_WIN32
