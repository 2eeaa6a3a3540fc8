// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in of a formula too long to keep.
#include "long_line.h"

namespace numerella::cli {

void LongLine::Keep(std::string_view bytes) {
  std::string& part = parts_[part_];
  lengths_[part_] += bytes.size();
  if (part.size() < kKept) part.append(bytes.substr(0, kKept - part.size()));
}

void LongLine::Add(std::string_view bytes) {
  if (blank_) {
    const std::size_t other = bytes.find_first_not_of(' ');
    if (other != std::string_view::npos) {
      blank_ = false;
      first_other_ = bytes[other];
    }
  }
  if (!whole_formula_) {
    Keep(bytes);
    return;
  }
  // The head and the declaration sections each end at the first "@" of what is left.
  while (part_ < 4) {
    const std::size_t at = bytes.find('@');
    Keep(bytes.substr(0, at));
    if (at == std::string_view::npos) return;
    bytes.remove_prefix(at + 1);
    ++part_;
  }
  Keep(bytes);
}

std::string LongLine::StandIn() const {
  if (!whole_formula_) {
    // A typed formula is blank or not as a whole: a kept part of blanks followed by other
    // bytes is made non-blank (its length alone then decides the outcome).
    std::string text = parts_[0];
    if (!blank_ && text.size() == kKept && text.find_first_not_of(' ') == std::string::npos) {
      text.back() = first_other_;
    }
    return text;
  }
  std::string text = parts_[0];
  for (std::size_t k = 1; k <= part_; ++k) {
    text += '@';
    text += parts_[k];
  }
  return text;
}

TextSpan LongLine::ToInput(TextSpan span) const {
  std::size_t kept_start = 0, start = 0;
  for (std::size_t k = 0; k <= part_; ++k) {
    const std::size_t kept_end = kept_start + parts_[k].size();
    if (span.offset <= kept_end || k == part_) {
      const std::size_t end = span.offset + span.length;
      const bool to_part_end = end >= kept_end && lengths_[k] > parts_[k].size();
      const std::size_t offset = start + (span.offset - kept_start);
      return {offset, to_part_end ? start + lengths_[k] - offset : span.length};
    }
    kept_start = kept_end + 1;  // past the "@"
    start += lengths_[k] + 1;
  }
  return span;
}

}  // namespace numerella::cli
