// The message window's text layout without any window: splitting a message into paragraphs,
// breaking a paragraph into lines against a width limit, and finding the widest line. Widths
// come from a caller-supplied measurer, so this runs (and can be fuzzed) without Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace numerella {

// Width of a text, in twips.
using TextMeasurer = std::function<double(std::string_view)>;

// The paragraphs of a message: the parts between carriage returns (13). A trailing carriage
// return adds no paragraph; two consecutive ones give an empty paragraph.
std::vector<std::string_view> SplitParagraphs(std::string_view text);

// Breaks paragraph into lines no wider than limit. While the rest is wider than limit, a line
// ends at the last blank (kept at the line's end) whose start stays below limit; when even
// the first word is too wide, the line is the longest start below limit, and never less than
// one character, so every line makes progress. An empty paragraph gives no lines.
std::vector<std::string_view> WrapParagraph(std::string_view paragraph, double limit,
                                            const TextMeasurer& width);

// The width of the widest carriage-return-separated line, rounded to a whole number (halves
// to the even number); 0 for an empty text.
std::int32_t WidestLineWidth(std::string_view text, const TextMeasurer& width);

}  // namespace numerella
