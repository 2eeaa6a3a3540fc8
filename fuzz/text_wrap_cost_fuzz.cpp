// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's line breaking with a variable-width font, at the sizes the calculator
// produces (a listing line of up to 32,767 characters), with the cost of a real font's
// measuring: every character measured costs a little work, so a breaking that measures the
// rest of the paragraph again for every line runs into the time limit.
// Input: two bytes of width limit, then a seed for the font's widths, then the paragraph's
// pattern, repeated up to the length given by the fourth byte (in steps of 128 characters).
// Short paragraphs are also compared line by line with the reference breaking.
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "../tests/message_window/reference_wrap.h"
#include "message_window/text_wrap.h"
#include "require.h"

namespace {

// What measuring one character costs a font: a shaping step over a few glyph tables.
double CostlyAdvance(const std::array<double, 256>& table, unsigned char c) {
  volatile double sum = 0;
  for (int i = 0; i < 64; ++i) sum = sum + table[(c + i) & 0xFF] * 0;
  return table[c] + sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  using namespace numerella;
  const double limit = (data[0] | (data[1] << 8)) % 12000;
  std::array<double, 256> table{};
  std::mt19937 random(data[2]);
  for (double& w : table) w = static_cast<double>(random() % 512 + 1) / 4;  // up to 128 twips
  const std::size_t length = std::min<std::size_t>(32767, (data[3] + 1) * 128u);
  const std::string_view pattern(reinterpret_cast<const char*>(data + 4), size - 4);
  std::string paragraph;
  while (paragraph.size() < length) paragraph += pattern;
  paragraph.resize(length);
  for (char& c : paragraph) c = c == '\r' ? ' ' : c;  // one paragraph

  long measured = 0;
  const CharWidths widths{[&](unsigned char c) { return ++measured, CostlyAdvance(table, c); },
                          [](double sum) { return std::round(sum); }};
  const auto lines = WrapParagraph(paragraph, limit, widths);
  fuzz::Require(measured == static_cast<long>(paragraph.size()), "each character is measured once");
  std::size_t at = 0;
  for (std::string_view line : lines) {
    fuzz::Require(!line.empty() && line.data() == paragraph.data() + at, "lines follow each other");
    at += line.size();
  }
  fuzz::Require(at == paragraph.size(), "the lines cover the paragraph");
  if (paragraph.size() <= 512) {
    fuzz::Require(lines == reference::WrapParagraph(paragraph, limit, widths.Measurer()),
                  "the same lines as the reference breaking");
  }
  return 0;
}
