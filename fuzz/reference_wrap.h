// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's first line breaking, kept as the reference that the linear one must
// match line for line: it measures every candidate start of the rest afresh, so a paragraph
// of n characters costs up to n^2 / 2 character measurements.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

#include "message_window/text_wrap.h"

namespace numerella::reference {

inline std::size_t HardBreak(std::string_view rest, double limit, const TextMeasurer& width) {
  std::size_t k = 0;
  while (k < rest.size() && (k == 0 || width(rest.substr(0, k)) < limit)) ++k;
  if (k < rest.size() || width(rest) >= limit) --k;
  return std::max<std::size_t>(k, 1);
}

inline std::size_t BlankBreak(std::string_view rest, std::size_t first_blank, double limit,
                              const TextMeasurer& width) {
  std::size_t k = first_blank;
  while (true) {
    const std::size_t next = rest.find(' ', k);
    if (next == std::string_view::npos) break;
    const std::size_t q = next + 1;
    if (!(width(rest.substr(0, q)) < limit)) break;
    k = q;
  }
  return k;
}

inline std::vector<std::string_view> WrapParagraph(std::string_view paragraph, double limit,
                                                   const TextMeasurer& width) {
  std::vector<std::string_view> lines;
  std::string_view rest = paragraph;
  while (!rest.empty() && width(rest) > limit) {
    const std::size_t blank = rest.find(' ');
    std::size_t k = 0;
    if (blank == std::string_view::npos || width(rest.substr(0, blank)) > limit) {
      k = HardBreak(rest, limit, width);
    } else {
      k = BlankBreak(rest, blank + 1, limit, width);
    }
    lines.push_back(rest.substr(0, k));
    rest.remove_prefix(k);
  }
  if (!rest.empty()) lines.push_back(rest);
  return lines;
}

}  // namespace numerella::reference
