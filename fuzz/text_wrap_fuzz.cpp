// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's wrapping with a fixed-width measurer: every character is 96 twips wide
// (an 8-point fixed-pitch cell). The first two bytes choose the width limit; the rest is the
// message. Checks that the lines of a paragraph cover it exactly, in order, that every line
// makes progress, and that a line wider than the limit is a single character.
#include <cstdint>
#include <string>
#include <string_view>

#include "message_window/text_wrap.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  using namespace numerella;
  constexpr double kCell = 96;
  const double limit = (data[0] | (data[1] << 8)) % 12000;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const CharWidths widths{[](unsigned char) { return kCell; }, [](double sum) { return sum; }};
  const TextMeasurer width = widths.Measurer();

  std::size_t widest = 0;
  for (std::string_view paragraph : SplitParagraphs(text)) {
    fuzz::Require(paragraph.find('\r') == std::string_view::npos, "paragraphs hold no CR");
    const auto lines = WrapParagraph(paragraph, limit, widths);
    fuzz::Require(paragraph.empty() == lines.empty(), "only an empty paragraph has no lines");
    std::size_t at = 0;
    for (std::string_view line : lines) {
      fuzz::Require(!line.empty(), "every line makes progress");
      fuzz::Require(line.data() == paragraph.data() + at, "lines follow each other");
      fuzz::Require(width(line) < limit || line.size() == 1 || line.back() == ' ' ||
                        at + line.size() == paragraph.size(),
                    "a line too wide is one character, ends at a blank, or is the last");
      at += line.size();
    }
    fuzz::Require(at == paragraph.size(), "the lines cover the paragraph");
    widest = std::max(widest, paragraph.size());
  }
  const std::int32_t w = WidestLineWidth(text, width);
  fuzz::Require(w >= 0 && w <= static_cast<std::int64_t>(kCell * (text.size() + 1)),
                "the widest line is within the text");
  return 0;
}
