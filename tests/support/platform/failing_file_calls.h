// SPDX-License-Identifier: GPL-3.0-or-later
// File calls for tests that fail on purpose: the nth write, flush, close or rename from now on
// returns -1 with a chosen errno, as a full disk or a failing device would (a write with errno
// 0 takes nothing instead). Writes can also be cut into small pieces, so that a failure lands
// in the middle of the content.
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
  void FailAt(Call call, int nth, int error) { call_ = call, countdown_ = nth, error_ = error; }
  // No write takes more than this many bytes (0: no limit).
  void LimitWrites(std::size_t bytes) { max_write_ = bytes; }

  ssize_t Write(int fd, const char* data, std::size_t size) override {
    if (Fails(kWrite)) return error_ == 0 ? 0 : -1;
    return FileCalls::Write(fd, data, max_write_ > 0 && size > max_write_ ? max_write_ : size);
  }
  int Sync(int fd) override { return Fails(kSync) ? -1 : FileCalls::Sync(fd); }
  int Close(int fd) override {
    if (!Fails(kClose)) return FileCalls::Close(fd);
    FileCalls::Close(fd);  // a failing close still releases the descriptor, as on Linux
    errno = error_;
    return -1;
  }
  int Rename(int folder, const char* from, const char* to) override {
    return Fails(kRename) ? -1 : FileCalls::Rename(folder, from, to);
  }

 private:
  bool Fails(Call call) {
    if (countdown_ == 0 || call != call_ || --countdown_ > 0) return false;
    errno = error_;
    return true;
  }

  Call call_ = kWrite;
  int countdown_ = 0;
  int error_ = 0;
  std::size_t max_write_ = 0;
};

}  // namespace numerella
