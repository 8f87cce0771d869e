#include "common/kept_attributes.h"

#if !defined(_WIN32)

#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace tolvane {
namespace {

// The names of the extended attributes of `path`, each ended by a zero.
std::vector<char> attributeNames(const char* path) {
  std::vector<char> names;
  for (int tries = 0; tries < 4; ++tries) {
    ssize_t n = ::listxattr(path, nullptr, 0);
    if (n <= 0) break;
    names.resize(size_t(n));
    n = ::listxattr(path, names.data(), names.size());
    if (n >= 0) {
      names.resize(size_t(n));
      return names;
    }
    // ERANGE: attributes were added since the size was asked for.
  }
  names.clear();
  return names;
}

// Copies the extended attributes (ACLs, labels, a user's own notes) of
// `path` to `fd`. One that cannot be set (a security label this process
// may not give) is skipped: the bytes matter more.
void copyAttributes(const char* path, int fd) {
  std::vector<char> names = attributeNames(path), value;
  for (size_t at = 0; at < names.size(); at += std::strlen(&names[at]) + 1) {
    const char* name = &names[at];
    ssize_t n = ::getxattr(path, name, nullptr, 0);
    if (n < 0) continue;
    value.resize(size_t(n) + 1);
    n = ::getxattr(path, name, value.data(), value.size());
    if (n >= 0) ::fsetxattr(fd, name, value.data(), size_t(n), 0);
  }
}

}  // namespace

void keepAttributes(int fd, const char* oldPath, const struct stat& old) {
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
  // After the mode: an access ACL refines the group bits the mode set.
  copyAttributes(oldPath, fd);
}

}  // namespace tolvane

#endif  // !_WIN32
