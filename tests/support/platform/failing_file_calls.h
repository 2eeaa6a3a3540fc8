// SPDX-License-Identifier: GPL-3.0-or-later
// File calls that fail on purpose: the nth write, flush, close or rename from now on returns
// -1 with a chosen errno, as a full disk or a failing device would (a write with errno 0 takes
// nothing instead). Writes can be cut into small pieces, so that a failure lands inside the
// content.
#pragma once

#include <cerrno>

#include "platform/regular_files.h"

namespace numerella {

class FailingFileCalls : public FileCalls {
 public:
  enum Call { kWrite, kSync, kClose, kRename };

  // The nth call (1-based, counted from now) of that kind fails with error; 0 disarms.
  void FailAt(Call call, int nth, int error) { call_ = call, countdown_ = nth, error_ = error; }
  void LimitWrites(std::size_t bytes) { max_write_ = bytes; }  // 0: no limit

  ssize_t Write(int fd, const char* data, std::size_t size) override {
    if (Fails(kWrite)) return error_ == 0 ? 0 : -1;
    return FileCalls::Write(fd, data, max_write_ > 0 ? std::min(size, max_write_) : size);
  }
  int Sync(int fd) override { return Fails(kSync) ? -1 : FileCalls::Sync(fd); }
  int Close(int fd) override {  // a failing close still releases the descriptor, as on Linux
    return Fails(kClose) ? FileCalls::Close(fd), errno = error_, -1 : FileCalls::Close(fd);
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
  int countdown_ = 0, error_ = 0;
  std::size_t max_write_ = 0;
};

}  // namespace numerella
