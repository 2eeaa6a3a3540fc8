// SPDX-License-Identifier: GPL-3.0-or-later
// File calls for tests that fail on purpose: the nth write, flush, close or rename from now on
// returns -1 with a chosen errno, as a full disk or a failing device would. Writes can also be
// cut into small pieces, so that a failure lands in the middle of the content.
#pragma once

#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/regular_files.h"

namespace numerella {

class FailingFileCalls : public FileCalls {
 public:
  enum Call { kWrite, kSync, kClose, kRename };

  // The nth call (1-based, counted from now) of that kind fails with error; 0 disarms.
  void FailAt(Call call, int nth, int error) {
    call_ = call;
    countdown_ = nth;
    error_ = error;
  }
  // No write takes more than this many bytes (0: no limit).
  void LimitWrites(std::size_t bytes) { max_write_ = bytes; }
  int count(Call call) const { return counts_[call]; }

  ssize_t Write(int fd, const char* data, std::size_t size) override {
    if (Fails(kWrite)) return -1;
    return FileCalls::Write(fd, data, max_write_ > 0 && size > max_write_ ? max_write_ : size);
  }
  int Sync(int fd) override { return Fails(kSync) ? -1 : FileCalls::Sync(fd); }
  int Close(int fd) override {
    // A failing close still releases the descriptor, as close(2) does on Linux.
    if (Fails(kClose)) {
      FileCalls::Close(fd);
      errno = error_;
      return -1;
    }
    return FileCalls::Close(fd);
  }
  int Rename(int folder, const char* from, const char* to) override {
    return Fails(kRename) ? -1 : FileCalls::Rename(folder, from, to);
  }

 private:
  bool Fails(Call call) {
    ++counts_[call];
    if (countdown_ == 0 || call != call_ || --countdown_ > 0) return false;
    errno = error_;
    return true;
  }

  Call call_ = kWrite;
  int countdown_ = 0;
  int error_ = 0;
  std::size_t max_write_ = 0;
  std::array<int, 4> counts_{};
};

}  // namespace numerella
