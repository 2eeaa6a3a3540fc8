// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's text layout without any window: splitting a message into paragraphs,
// breaking a paragraph into lines against a width limit, and finding the widest line. Widths
// come from caller-supplied character widths, so this runs (and can be fuzzed) without Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace numerella {

// Width of a text, in twips.
using TextMeasurer = std::function<double(std::string_view)>;

// How the window's fixed-pitch font measures a text: every byte has an advance of its own
// (in the font's units), the advance of a text is the sum of its bytes' advances, and its
// width in twips is to_width of that sum. The advances must be exact in binary fractions
// (a font's advances are multiples of 1/64 pixel), so that sums do not depend on their order.
struct CharWidths {
  std::function<double(unsigned char)> advance;
  std::function<double(double)> to_width;

  // The width of text, measured character by character.
  double Width(std::string_view text) const;
  TextMeasurer Measurer() const;
};

// The paragraphs of a message: the parts between carriage returns (13). A trailing carriage
// return adds no paragraph; two consecutive ones give an empty paragraph.
std::vector<std::string_view> SplitParagraphs(std::string_view text);

// Breaks paragraph into lines no wider than limit. While the rest is wider than limit, a line
// ends at the last blank (kept at the line's end) whose start stays below limit; when even
// the first word is too wide, the line is the longest start below limit, and never less than
// one character, so every line makes progress. An empty paragraph gives no lines.
// Each character's advance is asked for once, so the cost grows with the paragraph's length.
std::vector<std::string_view> WrapParagraph(std::string_view paragraph, double limit,
                                            const CharWidths& widths);

// The width of the widest carriage-return-separated line, rounded to a whole number (halves
// to the even number); 0 for an empty text.
std::int32_t WidestLineWidth(std::string_view text, const TextMeasurer& width);

}  // namespace numerella
