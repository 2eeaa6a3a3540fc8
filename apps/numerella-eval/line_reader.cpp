// SPDX-License-Identifier: GPL-3.0-or-later
// Lines of a file descriptor in a buffer of fixed size.
#include "line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace numerella::cli {
namespace {

constexpr std::size_t kReadSize = 64 * 1024;

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Whether a read would return at once (data, end of input or an error are all ready).
bool Ready(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) != 0;
}

}  // namespace

LineReader::LineReader(int fd, std::size_t longest, std::function<void()> before_wait)
    : fd_(fd),
      longest_(longest),
      before_wait_(std::move(before_wait)),
      buffer_(longest + 1 + kReadSize) {}

bool LineReader::Fill() {
  if (at_end_) return false;
  if (begin_ != 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    scanned_ -= begin_;
    begin_ = 0;
  }
  if (!Ready(fd_)) before_wait_();
  ssize_t n;
  while ((n = read(fd_, buffer_.data() + end_, buffer_.size() - end_)) < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // A descriptor set to non-blocking by whoever shares it: wait for input.
      pollfd p{fd_, POLLIN, 0};
      poll(&p, 1, -1);
    } else if (errno != EINTR) {
      break;
    }
  }
  if (n <= 0) {
    at_end_ = true;
    if (n < 0) error_ = errno;
    return false;
  }
  end_ += static_cast<std::size_t>(n);
  return true;
}

LineReader::Result LineReader::Next(std::string_view& line) {
  for (;;) {
    const char* base = buffer_.data();
    const void* newline = std::memchr(base + scanned_, '\n', end_ - scanned_);
    if (newline != nullptr) {
      const std::size_t stop = static_cast<const char*>(newline) - base;
      if (stop - begin_ > longest_) break;
      line = WithoutCarriageReturn({base + begin_, stop - begin_});
      begin_ = scanned_ = stop + 1;
      return Result::kLine;
    }
    scanned_ = end_;
    if (end_ - begin_ > longest_) break;
    if (!Fill()) {
      if (error_ != 0) return Result::kError;
      if (begin_ == end_) return Result::kEnd;
      // The last line has no line end.
      line = WithoutCarriageReturn({base + begin_, end_ - begin_});
      begin_ = scanned_ = end_;
      return Result::kLine;
    }
  }
  line = {buffer_.data() + begin_, longest_};
  begin_ += longest_;
  scanned_ = begin_;
  return Result::kLongLine;
}

LineReader::Result LineReader::Rest(const std::function<void(std::string_view)>& piece) {
  bool held_return = false;  // a carriage return that ended the last piece, not yet handed
  for (;;) {
    const char* base = buffer_.data();
    const void* newline = std::memchr(base + begin_, '\n', end_ - begin_);
    if (newline != nullptr) {
      const std::size_t stop = static_cast<const char*>(newline) - base;
      const std::string_view bytes(base + begin_, stop - begin_);
      // A held carriage return right before the line end is dropped.
      if (held_return && !bytes.empty()) piece("\r");
      if (const std::string_view last = WithoutCarriageReturn(bytes); !last.empty()) piece(last);
      begin_ = scanned_ = stop + 1;
      return Result::kLine;
    }
    std::string_view bytes(base + begin_, end_ - begin_);
    if (!bytes.empty()) {
      if (held_return) piece("\r");
      held_return = bytes.back() == '\r';
      if (held_return) bytes.remove_suffix(1);
      if (!bytes.empty()) piece(bytes);
    }
    begin_ = scanned_ = end_;
    // At the end of the input a held carriage return ends the line and is dropped.
    if (!Fill()) return error_ != 0 ? Result::kError : Result::kLine;
  }
}

}  // namespace numerella::cli
