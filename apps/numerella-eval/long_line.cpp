// The stand-in of a formula too long to keep.
#include "long_line.h"

namespace numerella::cli {

void LongLine::Keep(std::string_view bytes) {
  std::string& part = parts_[part_];
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

}  // namespace numerella::cli
