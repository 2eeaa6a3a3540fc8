// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's geometry and text layout without a window, from tables. Geometry uses
// buttons of 1000 x 400, a cell of 100 x 200 and icons of 400 x 400 twips, a scroll bar of
// 200; text is measured with a fixed-width font of 100 twips a character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_window/msg_layout.h"
#include "message_window/text_wrap.h"
#include "table.h"

namespace numerella {
namespace {

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> out;
  for (const auto& v : table::Values(text)) out.push_back(v.value_or(-1));
  return out;
}

std::string Joined(const std::vector<double>& values) {
  std::string out;
  for (double v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
  return out;
}

// kind, name, inputs, every figure computed from them.
TEST(MsgLayoutTest, FiguresFromTheTable) {
  const MsgMeasures m{1000, 400, 100, 200, 400, 400};
  const auto rows = table::Read(NUMERELLA_TABLES "/layout.tsv");
  ASSERT_GT(rows.size(), 20u);
  for (const table::Row& r : rows) {
    const std::vector<double> in = Numbers(r.at(2));
    std::vector<double> got;
    if (r[0] == "layout" || r[0] == "fit") {
      const MsgContent c{int(in[0]), int(in[1]), in[2], int(in[3]), in[4] != 0, in[5]};
      const MsgLayout l = ComputeMsgLayout(m, c);
      got = {l.gap,       l.row_w,    l.strip_h, l.text_width, l.content_w, l.inner_w,
             l.line_h,    l.text_h,   l.band,    l.inner_h,    l.row_span,  l.button_top,
             l.icon_left, l.icon_top, l.text_x,  l.text_y0};
      std::vector<double> lefts = l.button_lefts;
      if (r[0] == "fit") {
        const MsgFit f = FitMsgLayout(m, c, l, in[6], in[7], 200);
        got = {double(f.scrolls), f.client_w,  f.client_h,  f.area.left,  f.area.top,  f.area.width,
               f.area.height,     f.content_w, f.content_h, f.button_top, f.icon_left, f.icon_top};
        lefts = f.button_lefts;
      }
      got.insert(got.end(), lefts.begin(), lefts.end());
    } else if (r[0] == "column") {
      got = {TextColumnWidth(in[0], 100)};
    } else if (r[0] == "place") {
      std::optional<TwipRect> owner;
      if (in.size() == 4) owner = TwipRect{in[0], in[1], in[2], in[3]};
      const TwipRect p = PlaceMsgWindow(owner, 19200, 10800, 3000, 2000);
      got = {p.left, p.top, p.width, p.height};
    } else {
      const TwipRect k = KeepInside({in[0], in[1], in[2], in[3]}, {0, 480, 19200, 10320});
      got = {k.left, k.top, k.width, k.height};
    }
    const std::vector<double> expected = Numbers(r.at(3));
    bool same = got.size() == expected.size();
    for (std::size_t i = 0; same && i < got.size(); ++i)
      same = std::abs(got[i] - expected[i]) < 1e-6;
    EXPECT_TRUE(same) << r[0] << " " << r[1] << ": " << Joined(got);
  }
}

// kind, text, limit or twips per character, each line in brackets or the width.
TEST(TextWrapTest, LinesFromTheTable) {
  const CharWidths fixed{[](unsigned char) { return 100.0; }, [](double sum) { return sum; }};
  const auto rows = table::Read(NUMERELLA_TABLES "/wrap.tsv");
  ASSERT_GT(rows.size(), 20u);
  for (const table::Row& r : rows) {
    const std::string text = table::Unescape(r.at(1));
    const double number = std::stod(r.at(2));
    std::string got;
    if (r[0] == "widest") {
      got = std::to_string(
          WidestLineWidth(text, [&](std::string_view t) { return number * t.size(); }));
    } else {
      const auto lines =
          r[0] == "split" ? SplitParagraphs(text) : WrapParagraph(text, number, fixed);
      for (std::string_view line : lines) got += "[" + std::string(line) + "]";
    }
    EXPECT_EQ(got, table::Unescape(r.at(3))) << r[0] << " \"" << r[1] << "\" " << r[2];
  }
}

// Each character is measured once and the conversions stay linear, whatever the paragraph.
TEST(TextWrapTest, MeasuresEachCharacterOnce) {
  std::string words, spaced(32700, ' ');
  while (words.size() < 32700) words += "parola ";
  spaced[0] = 'x';
  for (const std::string& paragraph : {std::string(32700, 'a'), words, spaced}) {
    for (double limit : {7680.0, 50.0, 1e9}) {
      long advances = 0, conversions = 0;
      const CharWidths counted{[&](unsigned char) { return ++advances, 96.0; },
                               [&](double sum) { return ++conversions, sum; }};
      std::size_t covered = 0;
      for (std::string_view line : WrapParagraph(paragraph, limit, counted)) covered += line.size();
      EXPECT_EQ(covered, paragraph.size());
      EXPECT_EQ(advances, long(paragraph.size()));
      EXPECT_LE(conversions, 3 * long(paragraph.size()) + 2);
    }
  }
}

}  // namespace
}  // namespace numerella
