// SPDX-License-Identifier: GPL-3.0-or-later
// Buffered output to a file descriptor.
#include "output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace numerella::cli {

void Output::Flush() {
  std::size_t done = 0;
  while (done < buffer_.size() && !failed_) {
    const ssize_t n = write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A descriptor set to non-blocking by whoever shares it: wait until it takes more.
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, -1);
    } else {
      // A write that takes nothing without an error would repeat for ever: report it as full.
      const int error = n < 0 ? errno : ENOSPC;
      failed_ = true;
      buffer_.clear();
      if (checked_) throw WriteFailed{error};
    }
  }
  buffer_.clear();
}

}  // namespace numerella::cli
