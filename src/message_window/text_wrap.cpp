// SPDX-License-Identifier: GPL-3.0-or-later
// Paragraph splitting, line breaking and widest-line measuring of the message window.
#include "message_window/text_wrap.h"

#include <algorithm>
#include <cmath>

namespace numerella {

namespace {

constexpr char kCarriageReturn = '\r';

// The widths of the stretches of one paragraph, from the advances of its characters summed
// once: the width of characters [from, to) is to_width(at[to] - at[from]).
class StretchWidths {
 public:
  StretchWidths(std::string_view paragraph, const CharWidths& widths)
      : to_width_(widths.to_width), at_(paragraph.size() + 1, 0.0) {
    for (std::size_t i = 0; i < paragraph.size(); ++i)
      at_[i + 1] = at_[i] + widths.advance(static_cast<unsigned char>(paragraph[i]));
  }
  double operator()(std::size_t from, std::size_t to) const {
    return to_width_(at_[to] - at_[from]);
  }

 private:
  const std::function<double(double)>& to_width_;
  std::vector<double> at_;
};

// End of the line that starts at start when no blank can be used: the longest start whose
// width stays below limit, but at least one character. Looks at no more characters than the
// line holds, plus one.
std::size_t HardBreak(std::size_t start, std::size_t size, double limit,
                      const StretchWidths& width) {
  std::size_t end = start + 1;
  while (end < size && width(start, end) < limit) ++end;
  // end is the first length that reaches limit (or the whole rest, which is wider than
  // limit); one less stays below.
  return std::max(end - 1, start + 1);
}

// End of the line that starts at start at a blank: just after the first blank (at
// first_blank), moved on to just after each next blank while the line up to and including
// it stays below limit.
std::size_t BlankBreak(std::string_view paragraph, std::size_t start, std::size_t first_blank,
                       double limit, const StretchWidths& width) {
  std::size_t end = first_blank + 1;
  while (true) {
    const std::size_t next = paragraph.find(' ', end);
    if (next == std::string_view::npos || !(width(start, next + 1) < limit)) break;
    end = next + 1;
  }
  return end;
}

}  // namespace

double CharWidths::Width(std::string_view text) const {
  double sum = 0;
  for (const char c : text) sum += advance(static_cast<unsigned char>(c));
  return to_width(sum);
}

TextMeasurer CharWidths::Measurer() const {
  return [copy = *this](std::string_view text) { return copy.Width(text); };
}

std::vector<std::string_view> SplitParagraphs(std::string_view text) {
  std::vector<std::string_view> paragraphs;
  while (!text.empty()) {
    const std::size_t cr = text.find(kCarriageReturn);
    if (cr == std::string_view::npos) {
      paragraphs.push_back(text);
      break;
    }
    paragraphs.push_back(text.substr(0, cr));
    text.remove_prefix(cr + 1);
  }
  return paragraphs;
}

std::vector<std::string_view> WrapParagraph(std::string_view paragraph, double limit,
                                            const CharWidths& widths) {
  std::vector<std::string_view> lines;
  if (paragraph.empty()) return lines;
  const StretchWidths width(paragraph, widths);
  const std::size_t size = paragraph.size();
  std::size_t start = 0;
  while (start < size && width(start, size) > limit) {
    const std::size_t blank = paragraph.find(' ', start);
    // The start before the first blank must fit for a break at a blank.
    const std::size_t end = blank == std::string_view::npos || width(start, blank) > limit
                                ? HardBreak(start, size, limit, width)
                                : BlankBreak(paragraph, start, blank, limit, width);
    lines.push_back(paragraph.substr(start, end - start));
    start = end;
  }
  if (start < size) lines.push_back(paragraph.substr(start));
  return lines;
}

std::int32_t WidestLineWidth(std::string_view text, const TextMeasurer& width) {
  double widest = 0;
  for (std::string_view line : SplitParagraphs(text)) {
    const double w = std::nearbyint(width(line));  // default rounding: halves to even
    if (w > widest) widest = w;
  }
  return static_cast<std::int32_t>(std::min(widest, 2147483647.0));
}

}  // namespace numerella
