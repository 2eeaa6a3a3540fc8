// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and replacing regular files with plain POSIX calls, every step checked.
//
// Reading opens without blocking and only accepts regular files, so that a FIFO without a
// writer, a terminal or a device can never freeze the window.
//
// Saving opens the target through the kernel's own path resolution (links are followed as the
// kernel allows, and only to a regular file the user may write). An existing file is replaced
// by a temporary file made beside it: created with mode 0600 under an unpredictable name, given
// the old file's owner, group, extended attributes (its access control list among them) and
// mode, written, flushed, closed and renamed over it, so that either the whole new content is
// in place or the target keeps every byte it held. Where no such temporary can be made (the
// folder takes no new file, or the old owner, group or attributes cannot be given to it), the
// file is written in place: room for the new content is reserved first, so that a full disk
// is found before a byte changes. A new name is created as any new file and written directly;
// a failed save removes it again. SIGTERM, SIGINT and SIGHUP during a save remove the file
// it made before they end the program.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace numerella {

// The system calls a save goes through. The real ones by default; tests derive from this to
// make a chosen call fail.
class FileCalls {
 public:
  virtual ~FileCalls() = default;
  virtual ssize_t Write(int fd, const char* data, std::size_t size);
  virtual int Sync(int fd);
  virtual int Close(int fd);
  // Renames from to to, both names in the open folder.
  virtual int Rename(int folder, const char* from, const char* to);

  static FileCalls& Real();
};

// Where a save stopped, and the errno it met there.
enum class SaveStep {
  kDone,
  kName,
  kNotRegular,
  kNotWritable,
  kCreate,
  kReserve,  // writing in place: the disk has no room for the new content
  kWrite,
  kSync,
  kClose,
  kRename
};

struct SaveOutcome {
  SaveStep step = SaveStep::kDone;
  int error = 0;
  explicit operator bool() const { return step == SaveStep::kDone; }
};

// Opens path for reading without blocking; -1 (errno set) unless it names a regular file.
// The descriptor is close-on-exec and stays non-blocking.
int OpenRegularForReading(const std::string& path);

// Replaces the regular file at path (or creates it) with content. The file keeps its owner,
// group, mode, access control list and extended attributes.
SaveOutcome SaveRegularFile(const std::string& path, std::string_view content,
                            FileCalls& calls = FileCalls::Real());

}  // namespace numerella
