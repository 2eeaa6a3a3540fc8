// SPDX-License-Identifier: GPL-3.0-or-later
// Regular files through POSIX calls: the non-blocking reader's open and the checked save,
// by replacement or in place.
#include "platform/regular_files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>

#include "platform/file_access.h"
#include "platform/save_signals.h"

namespace numerella {

ssize_t FileCalls::Write(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}
int FileCalls::Sync(int fd) { return ::fsync(fd); }
int FileCalls::Close(int fd) { return ::close(fd); }
int FileCalls::Rename(int folder, const char* from, const char* to) {
  return ::renameat(folder, from, folder, to);
}

FileCalls& FileCalls::Real() {
  static FileCalls real;
  return real;
}

namespace {

SaveOutcome Failed(SaveStep step, int error) { return {step, error}; }

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

// The file a save writes into: open for writing, with what fstat said of it.
struct Target {
  int fd = -1;
  struct stat st = {};
  bool created = false;  // the name did not exist: the save made the file
};

// A new name, created as any new file is (0666 less the umask, or the folder's default access
// control list). A link to a name not there yet is followed as the kernel allows it.
SaveOutcome CreateTarget(const std::string& path, Target& target) {
  target.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
  struct stat link = {};
  if (target.fd < 0 && errno == EEXIST && ::lstat(path.c_str(), &link) == 0 &&
      S_ISLNK(link.st_mode)) {
    target.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
  }
  if (target.fd < 0) return Failed(SaveStep::kCreate, errno);
  target.created = true;
  if (::fstat(target.fd, &target.st) == 0 && S_ISREG(target.st.st_mode)) return {};
  ::close(target.fd);
  target.fd = -1;
  return Failed(SaveStep::kNotRegular, EINVAL);
}

// Opens the file at path for writing, as the kernel resolves the name (links included, with
// the kernel's own protections). Only a regular file that the user may write is opened; its
// kind is checked before opening, so that opening has no side effect on a device, and again on
// the opened file, in case the name was replaced in between.
SaveOutcome OpenTarget(const std::string& path, Target& target) {
  struct stat st = {};
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT ? CreateTarget(path, target) : Failed(SaveStep::kName, errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return Failed(SaveStep::kNotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  }
  target.fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (target.fd < 0) return Failed(SaveStep::kNotWritable, errno);
  if (::fstat(target.fd, &target.st) == 0 && SameFile(st, target.st)) return {};
  ::close(target.fd);
  target.fd = -1;
  return Failed(SaveStep::kName, EAGAIN);
}

// The folder and the name of an open file as the kernel knows them, whatever links led there.
// The folder is opened (for reading where allowed, so that it can be flushed), and the name
// must still lead to that file.
struct Place {
  int folder = -1;
  std::string name;
};

bool FindPlace(const Target& target, Place& place) {
  const std::string link = "/proc/self/fd/" + std::to_string(target.fd);
  std::string real(PATH_MAX, '\0');
  const ssize_t length = ::readlink(link.c_str(), real.data(), real.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= real.size() || real[0] != '/') {
    return false;
  }
  real.resize(static_cast<std::size_t>(length));
  const std::size_t slash = real.find_last_of('/');
  const std::string folder = slash == 0 ? "/" : real.substr(0, slash);
  place.name = real.substr(slash + 1);
  place.folder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (place.folder < 0) place.folder = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct stat now = {};
  if (place.folder >= 0 &&
      ::fstatat(place.folder, place.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
      SameFile(now, target.st)) {
    return true;
  }
  if (place.folder >= 0) ::close(place.folder);
  place.folder = -1;
  return false;
}

// Removes the name in the folder if it still leads to the file st.
void RemoveIfStill(const Place& place, const std::string& name, const struct stat& st) {
  struct stat now = {};
  if (::fstatat(place.folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(now, st))
    ::unlinkat(place.folder, name.c_str(), 0);
}

// The temporary file beside the target: mode 0600 whatever the umask, under a name nobody can
// guess beforehand, made only if that name is free.
int CreateTemporary(const Place& place, std::string& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    unsigned char random[12];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return -1;
    name = "." + place.name.substr(0, 64) + ".";
    for (const unsigned char r : random) name.push_back("abcdefghijklmnopqrstuvwxyz234567"[r % 32]);
    name += ".tmp";
    const int fd = ::openat(place.folder, name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// A temporary file that carries the old file's access, ready to take the content.
struct Temporary {
  int fd = -1;
  std::string name;
  struct stat st = {};
};

// Makes the temporary and arms the guard with it; false (nothing left) where no temporary
// with the old file's access can be made.
bool PrepareTemporary(const Target& target, const Place& place, SaveSignalGuard& guard,
                      Temporary& temporary) {
  const TerminationSignalsHeld held;  // no signal between creating and arming
  temporary.fd = CreateTemporary(place, temporary.name);
  if (temporary.fd < 0) return false;
  if (::fstat(temporary.fd, &temporary.st) == 0)
    guard.Arm(place.folder, temporary.name, temporary.st);
  if (GiveSameAccess(target.fd, target.st, temporary.fd)) return true;
  ::close(temporary.fd);
  temporary.fd = -1;
  ::unlinkat(place.folder, temporary.name.c_str(), 0);
  guard.Disarm();
  return false;
}

// Writes the temporary, flushes and closes it and renames it over the target, provided the
// target's name still leads to the file that was opened. On failure the temporary goes.
SaveOutcome Replace(FileCalls& calls, const Target& target, const Place& place,
                    Temporary& temporary, std::string_view content) {
  SaveOutcome outcome;
  if (!WriteAll(calls, temporary.fd, content)) outcome = Failed(SaveStep::kWrite, errno);
  if (outcome && calls.Sync(temporary.fd) != 0) outcome = Failed(SaveStep::kSync, errno);
  if (outcome) {
    const int closed = calls.Close(temporary.fd);
    temporary.fd = -1;  // closed or not, the descriptor is gone
    if (closed != 0) outcome = Failed(SaveStep::kClose, errno);
  }
  struct stat now = {};
  if (outcome && (::fstatat(place.folder, place.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
                  !SameFile(now, target.st))) {
    outcome = Failed(SaveStep::kRename, ESTALE);  // something else took the name meanwhile
  }
  if (outcome && calls.Rename(place.folder, temporary.name.c_str(), place.name.c_str()) != 0) {
    outcome = Failed(SaveStep::kRename, errno);
  }
  if (!outcome) {
    if (temporary.fd >= 0) ::close(temporary.fd);
    RemoveIfStill(place, temporary.name, temporary.st);
  }
  return outcome;
}

// Writes content over the file itself. Room for all of it is reserved first, past the end
// and without changing the size, so that a full disk is found while the old content is still
// whole; where the file system cannot reserve, the writes find out. The termination signals
// wait until the content is complete. The descriptor is closed.
SaveOutcome WriteInPlace(FileCalls& calls, int fd, std::string_view content) {
  SaveOutcome outcome;
  const auto size = static_cast<off_t>(content.size());
  if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP) {
    outcome = Failed(SaveStep::kReserve, errno);
  }
  if (outcome) {
    const TerminationSignalsHeld held;
    if (!WriteAll(calls, fd, content) || ::ftruncate(fd, size) != 0) {
      outcome = Failed(SaveStep::kWrite, errno);
    }
  }
  if (outcome && calls.Sync(fd) != 0) outcome = Failed(SaveStep::kSync, errno);
  if (!outcome) {
    ::close(fd);
    return outcome;
  }
  return calls.Close(fd) == 0 ? outcome : Failed(SaveStep::kClose, errno);
}

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
  const FileSizeSignalIgnored no_size_signal;
  SaveSignalGuard guard;
  Target target;
  Place place;
  bool placed = false;
  {
    const TerminationSignalsHeld held;  // a new file is known to the guard before a signal
    if (SaveOutcome opened = OpenTarget(path, target); !opened) return opened;
    placed = FindPlace(target, place);
    if (placed && target.created) guard.Arm(place.folder, place.name, target.st);
  }
  Temporary temporary;
  SaveOutcome outcome;
  if (!target.created && placed && PrepareTemporary(target, place, guard, temporary)) {
    ::close(target.fd);
    outcome = Replace(calls, target, place, temporary, content);
  } else {
    outcome = WriteInPlace(calls, target.fd, content);
    if (!outcome && target.created && placed) RemoveIfStill(place, place.name, target.st);
  }
  guard.Disarm();
  if (placed) {
    // The new name is on the disk once its folder is; the content already is, so a failure
    // here does not undo the save.
    if (outcome) ::fsync(place.folder);
    ::close(place.folder);
  }
  return outcome;
}

}  // namespace numerella
