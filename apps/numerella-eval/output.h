// SPDX-License-Identifier: GPL-3.0-or-later
// Buffered output to a file descriptor that reports every failed write.
#pragma once

#include <string>

namespace numerella::cli {

// Thrown when standard output cannot be written; error is the system's errno.
struct WriteFailed {
  int error;
};

class Output {
 public:
  // With checked set a failed write throws WriteFailed; otherwise failures are dropped
  // (standard error has nowhere to report its own).
  Output(int fd, bool checked) : fd_(fd), checked_(checked) {}

  // The bytes waiting to be written; append to it freely.
  std::string& buffer() { return buffer_; }

  // Writes the waiting bytes once there are many of them.
  void FlushIfFull() {
    if (buffer_.size() >= kFlushSize) Flush();
  }
  // Writes every waiting byte.
  void Flush();

  int fd() const { return fd_; }

  static constexpr std::size_t kFlushSize = 64 * 1024;

 private:
  int fd_;
  bool checked_;
  bool failed_ = false;
  std::string buffer_;
};

}  // namespace numerella::cli
