// SPDX-License-Identifier: GPL-3.0-or-later
// Regular files through POSIX calls: the non-blocking reader's open and the checked save.
#include "platform/regular_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>

namespace numerella {

ssize_t FileCalls::Write(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}
int FileCalls::Sync(int fd) { return ::fsync(fd); }
int FileCalls::Close(int fd) { return ::close(fd); }
int FileCalls::Rename(const char* from, const char* to) { return ::rename(from, to); }

FileCalls& FileCalls::Real() {
  static FileCalls real;
  return real;
}

namespace {

// The folder part of a path ("." for a bare name, "/" for a name in the root).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links at the end of path to the file they finally name (which need not
// exist yet). Fills st when that file exists; false with errno set on a loop or an error.
bool FollowLinks(std::string& path, struct stat& st, bool& exists) {
  for (int hops = 0; hops < 40; ++hops) {
    if (::lstat(path.c_str(), &st) != 0) {
      exists = false;
      return errno == ENOENT;
    }
    exists = true;
    if (!S_ISLNK(st.st_mode)) return true;
    std::string target(static_cast<std::size_t>(std::max<off_t>(st.st_size, 255)) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return false;
    if (static_cast<std::size_t>(length) == target.size()) {  // grew meanwhile: look again
      continue;
    }
    target.resize(static_cast<std::size_t>(length));
    if (target.front() != '/') target.insert(0, FolderOf(path) + '/');
    path = target;
  }
  errno = ELOOP;
  return false;
}

// A name for the temporary file beside the target that no other save uses at the same time.
std::string TemporaryName(const std::string& target) {
  static std::atomic<std::uint64_t> counter{0};
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t mix = (static_cast<std::uint64_t>(::getpid()) << 40) ^
                      static_cast<std::uint64_t>(now.tv_nsec) ^
                      (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
  std::string suffix;
  for (int i = 0; i < 8; ++i, mix /= 32)
    suffix.push_back("abcdefghijklmnopqrstuvwxyz234567"[mix % 32]);
  const std::size_t slash = target.find_last_of('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  // The target's name, shortened so that the temporary name stays within the name limit.
  return FolderOf(target) + "/." + name.substr(0, 64) + "." + suffix + ".tmp";
}

// Writes all of content, going on after short writes and interruptions.
bool WriteAll(FileCalls& calls, int fd, std::string_view content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const std::size_t step = std::min<std::size_t>(content.size() - done, std::size_t{1} << 30);
    const ssize_t written = calls.Write(fd, content.data() + done, step);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {  // no progress: the disk takes nothing more
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// A write past the file size limit fails with EFBIG instead of ending the program.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    saved_ = ::sigaction(SIGXFSZ, &ignore, &before_) == 0;
  }
  ~FileSizeSignalIgnored() {
    if (saved_) ::sigaction(SIGXFSZ, &before_, nullptr);
  }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  struct sigaction before_ = {};
  bool saved_ = false;
};

// Creates the temporary file; it gets the target's permissions (and owner where allowed), or
// for a new file the usual ones of a new file under the umask.
int CreateTemporary(const std::string& target, const struct stat* existing, std::string& name) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    name = TemporaryName(target);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    if (existing != nullptr) {
      // Only root may give a file away; a failure here leaves the saving user as the owner.
      if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      }
      if (::fchmod(fd, existing->st_mode & 07777) != 0) {
      }
    }
    return fd;
  }
  errno = EEXIST;
  return -1;
}

SaveOutcome Failed(SaveStep step, int error) { return {step, error}; }

}  // namespace

int OpenRegularForReading(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    errno = ENOENT;
    return -1;
  }
  // The kind is checked before opening, so that opening has no side effect on a device, and
  // again on the opened file, in case the name was replaced in between.
  struct stat st = {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  if (!S_ISREG(st.st_mode)) {
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

SaveOutcome SaveRegularFile(const std::string& path, std::string_view content, FileCalls& calls) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    return Failed(SaveStep::kName, ENOENT);
  }
  std::string target = path;
  struct stat st = {};
  bool exists = false;
  if (!FollowLinks(target, st, exists)) return Failed(SaveStep::kName, errno);
  if (exists && !S_ISREG(st.st_mode)) {
    return Failed(SaveStep::kNotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  }
  // Writing replaces the file only where the user could have written into it.
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return Failed(SaveStep::kNotWritable, errno);
  }
  std::string temporary;
  int fd = CreateTemporary(target, exists ? &st : nullptr, temporary);
  if (fd < 0) return Failed(SaveStep::kCreate, errno);

  SaveOutcome outcome;
  {
    const FileSizeSignalIgnored no_signal;
    if (!WriteAll(calls, fd, content)) outcome = Failed(SaveStep::kWrite, errno);
  }
  if (outcome && calls.Sync(fd) != 0) outcome = Failed(SaveStep::kSync, errno);
  if (outcome) {
    const int closed = calls.Close(fd);
    fd = -1;  // closed or not, the descriptor is gone
    if (closed != 0) outcome = Failed(SaveStep::kClose, errno);
  }
  if (outcome && calls.Rename(temporary.c_str(), target.c_str()) != 0) {
    outcome = Failed(SaveStep::kRename, errno);
  }
  if (!outcome) {
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    return outcome;
  }
  // The new name is on the disk once its folder is; the content already is, so a failure
  // here does not undo the save.
  const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return outcome;
}

}  // namespace numerella
