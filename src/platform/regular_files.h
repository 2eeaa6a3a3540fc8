// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and replacing regular files with plain POSIX calls, every step checked.
//
// Reading opens without blocking and only accepts regular files, so that a FIFO without a
// writer, a terminal or a device can never freeze the window. Saving writes a temporary file
// next to the target, flushes it to the disk, closes it and renames it over the target: either
// the whole new content is in place or the target keeps every byte it held. Only regular files
// (or a new name) are replaced; symbolic links are followed to the file they name.
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
  virtual int Rename(const char* from, const char* to);

  static FileCalls& Real();
};

// Where a save stopped, and the errno it met there.
enum class SaveStep {
  kDone,
  kName,
  kNotRegular,
  kNotWritable,
  kCreate,
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

// Replaces the regular file at path (or creates it) with content as a whole. A replaced file
// keeps its permissions and, where the system allows, its owner.
SaveOutcome SaveRegularFile(const std::string& path, std::string_view content,
                            FileCalls& calls = FileCalls::Real());

}  // namespace numerella
