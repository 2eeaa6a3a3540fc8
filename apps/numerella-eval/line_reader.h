// SPDX-License-Identifier: GPL-3.0-or-later
// Lines of a file descriptor in bounded memory. A line longer than the reader keeps is handed
// over as its first part and then in pieces, never whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace numerella::cli {

class LineReader {
 public:
  enum class Result {
    kLine,      // a whole line, without its line end and a carriage return before it
    kLongLine,  // the first `longest` bytes of a longer line; Rest() hands over the others
    kEnd,       // the input has ended
    kError,     // reading failed: error() tells why
  };

  // Lines of up to `longest` bytes (line end excluded) are returned whole. before_wait is
  // called before every read that would have to wait for more input.
  LineReader(int fd, std::size_t longest, std::function<void()> before_wait);

  // The next line; the view stays valid until the next call.
  Result Next(std::string_view& line);

  // After kLongLine: hands the rest of the line to piece, in order, without the line end and
  // without a carriage return right before it. Returns kLine, or kError when reading failed.
  Result Rest(const std::function<void(std::string_view)>& piece);

  int error() const { return error_; }

 private:
  // Moves the unread bytes to the front and reads more. False at the end or on an error.
  bool Fill();

  int fd_;
  std::size_t longest_;
  std::function<void()> before_wait_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;    // first unread byte
  std::size_t scanned_ = 0;  // bytes before this hold no line end of the current line
  std::size_t end_ = 0;      // end of the bytes read
  bool at_end_ = false;
  int error_ = 0;
};

}  // namespace numerella::cli
