// SPDX-License-Identifier: GPL-3.0-or-later
// Owner, group, extended attributes and mode of one file given to another.
//
// The access control list travels as the extended attribute system.posix_acl_access, so that
// one copy of every attribute carries it with the others (user attributes, security labels)
// and no library beyond the C library is needed.
#include "platform/file_access.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace numerella {
namespace {

// Reads a list or a value whose size is asked first; it may grow between the two calls.
template <typename Read>
bool ReadSized(std::string& out, Read read) {
  for (;;) {
    const ssize_t size = read(nullptr, 0);
    if (size < 0) return false;
    out.resize(static_cast<std::size_t>(size));
    const ssize_t got = size == 0 ? 0 : read(out.data(), out.size());
    if (got >= 0) {
      out.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

// The attribute names of fd, each ended by a zero byte; empty where the file system has none.
bool Names(int fd, std::string& names) {
  if (ReadSized(names, [fd](char* b, std::size_t n) { return ::flistxattr(fd, b, n); }))
    return true;
  names.clear();
  return errno == ENOTSUP;
}

bool Value(int fd, const char* name, std::string& value) {
  return ReadSized(value,
                   [fd, name](char* b, std::size_t n) { return ::fgetxattr(fd, name, b, n); });
}

bool Listed(const std::string& names, const char* name) {
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1)
    if (std::strcmp(names.c_str() + at, name) == 0) return true;
  return false;
}

bool CopyAttributes(int from, int to) {
  std::string theirs, ours, value, current;
  if (!Names(from, theirs) || !Names(to, ours)) return false;
  for (std::size_t at = 0; at < ours.size(); at += std::strlen(ours.c_str() + at) + 1) {
    const char* name = ours.c_str() + at;
    if (!Listed(theirs, name) && ::fremovexattr(to, name) != 0) return false;
  }
  for (std::size_t at = 0; at < theirs.size(); at += std::strlen(theirs.c_str() + at) + 1) {
    const char* name = theirs.c_str() + at;
    if (!Value(from, name, value)) return false;
    if (Value(to, name, current) && current == value) continue;  // a label given already
    if (::fsetxattr(to, name, value.data(), value.size(), 0) != 0) return false;
  }
  return true;
}

}  // namespace

bool GiveSameAccess(int from, const struct stat& from_st, int to) {
  struct stat to_st = {};
  if (::fstat(to, &to_st) != 0) return false;
  // First the owner (giving a file away clears set-id bits and capabilities), then the
  // attributes, then the mode, whose group bits with an access control list are its mask.
  if ((to_st.st_uid != from_st.st_uid || to_st.st_gid != from_st.st_gid) &&
      ::fchown(to, from_st.st_uid, from_st.st_gid) != 0)
    return false;
  return CopyAttributes(from, to) && ::fchmod(to, from_st.st_mode & 07777) == 0;
}

}  // namespace numerella
