// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's line breaking with a variable-width font, at the sizes the calculator
// produces (a listing line of up to 32,767 characters), with the cost of a real font's
// measuring: every character measured costs a little work, so a breaking that measures the
// rest of the paragraph again for every line runs into the time limit.
// Input: two bytes of width limit, then a seed for the font's widths, then the paragraph's
// pattern, repeated up to a length between a power of two and twice it (cut to 32,767): the
// fourth byte's low four bits give the power, at most 2^9 unless its high four bits are all
// set. Most inputs stay short and quick, so that a campaign runs millions of them, while one in
// 128 is over 16,000 characters long: there a breaking that measures again for every line
// measures hundreds of times more and runs out of time.
// Short paragraphs are also compared line by line with the reference breaking.
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "message_window/text_wrap.h"
#include "reference_wrap.h"
#include "require.h"

namespace {

// What measuring one character costs a font: a shaping step over a few glyph tables. Not the
// code under test, so left out of the coverage tracing that would multiply its cost.
__attribute__((no_sanitize("coverage"))) double CostlyAdvance(const std::array<double, 256>& table,
                                                              unsigned char c) {
  volatile double sum = 0;
  for (int i = 0; i < 4; ++i) sum = sum + table[(c + i) & 0xFF] * 0;
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
  const unsigned power_bits = data[3] & 0x0Fu;
  const bool long_input = (data[3] >> 4) == 0x0F;
  const std::size_t power = std::size_t{1} << (long_input ? power_bits : std::min(power_bits, 9u));
  const std::size_t length = std::min<std::size_t>(32767, power + random() % power);
  const std::string_view pattern(reinterpret_cast<const char*>(data + 4), size - 4);
  std::string paragraph(length, ' ');
  for (std::size_t k = 0; k < length; ++k) {
    const char c = pattern[k % pattern.size()];
    if (c != '\r') paragraph[k] = c;  // one paragraph
  }

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
  if (paragraph.size() <= 64) {
    fuzz::Require(lines == reference::WrapParagraph(paragraph, limit, widths.Measurer()),
                  "the same lines as the reference breaking");
  }
  return 0;
}
