// Paragraph splitting, line breaking and widest-line measuring of the message window.
#include "message_window/text_wrap.h"

#include <algorithm>
#include <cmath>

namespace numerella {

namespace {

constexpr char kCarriageReturn = '\r';

// Length of the line cut from the front of rest when no blank can be used: the longest start
// whose width stays below limit, but at least one character.
std::size_t HardBreak(std::string_view rest, double limit, const TextMeasurer& width) {
  std::size_t k = 0;
  while (k < rest.size() && (k == 0 || width(rest.substr(0, k)) < limit)) ++k;
  // k is now the first length that reaches limit (or the whole rest); one less stays below.
  if (k < rest.size() || width(rest) >= limit) --k;
  return std::max<std::size_t>(k, 1);
}

// Length of the line cut from the front of rest at a blank: starts at the first blank (which
// is at length first_blank) and moves on to each next blank while the start up to and
// including that blank stays below limit.
std::size_t BlankBreak(std::string_view rest, std::size_t first_blank, double limit,
                       const TextMeasurer& width) {
  std::size_t k = first_blank;
  while (true) {
    const std::size_t next = rest.find(' ', k);  // 0-based index of the next blank after k
    if (next == std::string_view::npos) break;
    const std::size_t q = next + 1;
    if (!(width(rest.substr(0, q)) < limit)) break;
    k = q;
  }
  return k;
}

}  // namespace

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
                                            const TextMeasurer& width) {
  std::vector<std::string_view> lines;
  std::string_view rest = paragraph;
  while (!rest.empty() && width(rest) > limit) {
    const std::size_t blank = rest.find(' ');
    std::size_t k = 0;
    // b is the 1-based position of the first blank; the start before it must fit.
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

std::int32_t WidestLineWidth(std::string_view text, const TextMeasurer& width) {
  double widest = 0;
  for (std::string_view line : SplitParagraphs(text)) {
    const double w = std::nearbyint(width(line));  // default rounding: halves to even
    if (w > widest) widest = w;
  }
  return static_cast<std::int32_t>(std::min(widest, 2147483647.0));
}

}  // namespace numerella
