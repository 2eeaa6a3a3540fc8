// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's geometry and text layout without a window. Geometry uses the design
// sizes (buttons 972 x 372, icons 384 x 384, a cell of 96 x 192 twips); text is measured with
// a fixed-width font of 100 twips per character.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "message_window/msg_layout.h"
#include "message_window/text_wrap.h"
#include "reference_wrap.h"

namespace numerella {
namespace {

TEST(MsgLayoutTest, FiguresOfTheEdgeCasesAndPlacement) {
  const char* const kFigures[] = {"inner_w", "inner_h", "band",  "icon_left", "icon_top",
                                  "text_x",  "text_y0", "row_w", "row_span",  "first button"};
  const std::tuple<const char*, MsgContent, std::vector<double>> cases[] = {
      // buttons, icon kind, widest line, line count, text empty, frame width; the figures
      {"empty text, no icon",
       {1, 0, 0, 0, true, 0},
       {1360.8, 760.8, 0, 0, -94.8, 194.4, 0, 1360.8, 972, 194.4}},
      {"empty text with icon: icon centred, G below the top",
       {1, 2, 0, 0, true, 0},
       {1360.8, 1339.2, 578.4, 488.4, 194.4, 772.8, 0, 1360.8, 972, 194.4}},
      {"one short line with icon: the icon's band, text on its middle",
       {1, 2, 960, 1, false, 0},
       {1927.2, 1339.2, 578.4, 194.4, 194.4, 772.8, 314.4, 1360.8, 972, 477.6}},
      {"five lines with icon: the text's band, text G below the top",
       {1, 3, 960, 5, false, 0},
       {1927.2, 2251.2, 1490.4, 194.4, 650.4, 772.8, 194.4, 1360.8, 972, 477.6}},
      {"icon kind above 4 keeps the room",
       {1, 7, 960, 1, false, 0},
       {1927.2, 1339.2, 578.4, 194.4, 194.4, 772.8, 314.4, 1360.8, 972, 477.6}},
      {"no icon, wide text: width from the text",
       {2, 0, 7488, 22, false, 0},
       {7876.8, 7147.2, 6386.4, 0, 3098.4, 194.4, 194.4, 2527.2, 2138.4, 2869.2}},
      {"buttons centre on the outer width",
       {2, 0, 7488, 22, false, 120},
       {7876.8, 7147.2, 6386.4, 0, 3098.4, 194.4, 194.4, 2527.2, 2138.4, 2929.2}},
      {"three buttons, no text: width from the row",
       {3, 0, 0, 0, true, 0},
       {3693.6, 760.8, 0, 0, -94.8, 194.4, 0, 3693.6, 3304.8, 194.4}},
  };
  for (const auto& [name, content, expected] : cases) {
    SCOPED_TRACE(name);
    const MsgLayout l = ComputeMsgLayout({972, 372, 96, 192, 384, 384}, content);
    ASSERT_EQ(l.button_lefts.size(), static_cast<std::size_t>(content.button_count));
    const double figures[] = {l.inner_w,
                              l.inner_h,
                              l.band,
                              content.icon_kind != 0 ? l.icon_left : 0,
                              l.icon_top,
                              l.text_x,
                              content.text_empty ? 0 : l.text_y0,
                              l.row_w,
                              l.row_span,
                              l.button_lefts[0]};
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(figures[i], expected[i], 1e-9) << kFigures[i];
    for (std::size_t k = 1; k < l.button_lefts.size(); ++k)
      EXPECT_NEAR(l.button_lefts[k] - l.button_lefts[k - 1], 1166.4, 1e-9);
    EXPECT_NEAR(l.button_top, l.inner_h - 194.4 - 372, 1e-9);
  }
  for (const auto& [widest, column] : std::vector<std::pair<double, double>>{
           {0, 0}, {7679, 7679}, {7680, 7680}, {7681, 7680}, {100000, 7680}})
    EXPECT_EQ(TextColumnWidth(widest, 96), column) << widest;  // capped at 80 cells
  // Placing a window of 3000 x 2000 over its owner or on a screen of 19200 x 10800.
  const std::tuple<const char*, std::optional<TwipRect>, double, double> placements[] = {
      {"over the owner", TwipRect{4000, 3000, 6000, 4000}, 5500, 4000},
      {"no owner: screen centre", std::nullopt, 8100, 4400},
      {"owner near the top-left corner", TwipRect{0, 0, 1000, 1000}, 0, 0},
      {"centre at x = 0 takes the screen's", TwipRect{-500, 3000, 1000, 4000}, 8100, 4000},
      {"beyond the bottom right is left there", TwipRect{18000, 10000, 4000, 2000}, 18500, 10000},
  };
  for (const auto& [name, owner, left, top] : placements) {
    const TwipRect r = PlaceMsgWindow(owner, 19200, 10800, 3000, 2000);
    EXPECT_EQ(std::pair(r.left, r.top), std::pair(left, top)) << name;
  }
}

TEST(TextWrapTest, SplitsWrapsAndMeasures) {
  const CharWidths fixed{[](unsigned char) { return 100.0; }, [](double sum) { return sum; }};
  const auto strings = [](const std::vector<std::string_view>& v) {
    return std::vector<std::string>(v.begin(), v.end());
  };
  const std::pair<std::string, std::vector<std::string>> paragraphs[] = {
      {"", {}},
      {"abc", {"abc"}},
      {"a\rb", {"a", "b"}},
      {"\r", {""}},
      {"\r\r", {"", ""}},
      {"a\r", {"a"}},              // a trailing carriage return adds nothing
      {"a\r\rb", {"a", "", "b"}},  // two in a row give an empty paragraph
      {"a\nb", {"a\nb"}},          // a line feed is an ordinary character
  };
  for (const auto& [text, split] : paragraphs) EXPECT_EQ(strings(SplitParagraphs(text)), split);

  const std::tuple<std::string, double, std::vector<std::string>> wraps[] = {
      {"", 1000, {}},  // an empty paragraph takes no line
      {"short", 1000, {"short"}},
      {"exactly10!", 1000, {"exactly10!"}},  // at the limit: kept
      // The blank stays at the end of the broken line.
      {"aa bb cc dd ee", 1000, {"aa bb cc ", "dd ee"}},
      {"ab    cdefghij", 1000, {"ab    ", "cdefghij"}},
      // A start up to a blank that reaches the limit is not taken: "aaaa bbbb " is 1000.
      {"aaaa bbbb cccc dddd", 1000, {"aaaa ", "bbbb ", "cccc dddd"}},
      // A word wider than the limit is cut at the longest start below it.
      {"abcdefghijklmnopqrstu", 1000, {"abcdefghi", "jklmnopqr", "stu"}},
      {"abcdefghijk lm nopqrs", 1000, {"abcdefghi", "jk lm ", "nopqrs"}},
      {" abcdefghijk", 1000, {" ", "abcdefghi", "jk"}},  // a leading blank is a line of its own
      // A hard break always takes one character, even below one character's width.
      {"abc", 100, {"a", "b", "c"}},
      {"abc", 0, {"a", "b", "c"}},
      {"abc", -10, {"a", "b", "c"}},
  };
  for (const auto& [text, limit, lines] : wraps)
    EXPECT_EQ(strings(WrapParagraph(text, limit, fixed)), lines) << limit;

  const std::tuple<std::string, double, std::int32_t> widest[] = {
      // halves round to even
      {"", 100, 0},         {"abc", 100, 300}, {"a\rabcd\rab", 100, 400},
      {"abcd\r", 100, 400}, {"a", 2.5, 2},     {"a", 3.5, 4},
      {"aaa", 0.5, 2}};
  for (const auto& [text, per, width] : widest) {
    const TextMeasurer measure = [per = per](std::string_view t) { return per * t.size(); };
    EXPECT_EQ(WidestLineWidth(text, measure), width) << text << " " << per;
  }
}

// Character widths of a variable-pitch font: from 1/64 to 4 units in steps of 1/64, rounded to
// whole units at the end like the window's twips.
CharWidths VariableWidths(std::uint32_t seed) {
  auto table = std::make_shared<std::array<double, 256>>();
  std::mt19937 random(seed);
  for (double& w : *table) w = static_cast<double>(random() % 256 + 1) / 64;
  (*table)[' '] = 1;
  return {[table](unsigned char c) { return (*table)[c]; },
          [](double sum) { return std::round(sum); }};
}

TEST(TextWrapTest, SameLinesAsTheReferenceBreakingOverGeneratedParagraphs) {
  std::mt19937 random(20261207);
  const char kAlphabet[] = "aaaaabcdefgh   xyz+*()\xE2\xFD\t0123456789";
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    const CharWidths widths = VariableWidths(random());
    std::string paragraph(random() % 400, ' ');
    const std::size_t spread = random() % (sizeof kAlphabet - 1) + 1;  // from all blanks on
    for (char& c : paragraph) c = kAlphabet[random() % spread];
    if (round % 7 == 0) paragraph.insert(random() % (paragraph.size() + 1), 150, 'w');
    // Limits from below one character to beyond the whole paragraph.
    const double limit = static_cast<double>(random() % 160) - 5 + (round % 2) * 0.5;
    const auto expected = reference::WrapParagraph(paragraph, limit, widths.Measurer());
    ASSERT_EQ(WrapParagraph(paragraph, limit, widths), expected)
        << "paragraph \"" << paragraph << "\" limit " << limit;
    compared += static_cast<int>(expected.size());
  }
  EXPECT_GT(compared, 20000);  // the inputs did break into many lines
}

TEST(TextWrapTest, MeasuresEachCharacterOnceWhateverTheParagraph) {
  const std::string operand(32700, 'a');
  std::string words;
  while (words.size() < 32700) words += "parola ";
  std::string spaced(32700, ' ');
  spaced[0] = 'x';
  // Paragraph, limit; the reference's measurements grow with the square of the length.
  const std::tuple<const char*, std::string, double> cases[] = {
      {"one long operand", operand, 80 * 96},
      {"words", words, 80 * 96},
      {"blanks after one letter", spaced, 80 * 96},
      {"limit below a character", operand, 50},
      {"fits", operand, 1e9}};
  for (const auto& [name, paragraph, limit] : cases) {
    long advances = 0;
    long conversions = 0;
    const CharWidths counted{[&](unsigned char) { return ++advances, 96.0; },
                             [&](double sum) { return ++conversions, sum; }};
    const auto lines = WrapParagraph(paragraph, limit, counted);
    std::size_t covered = 0;
    for (std::string_view line : lines) covered += line.size();
    EXPECT_EQ(covered, paragraph.size()) << name;
    EXPECT_EQ(advances, static_cast<long>(paragraph.size())) << name;
    EXPECT_LE(conversions, 3 * static_cast<long>(paragraph.size()) + 2) << name;
  }
  // The reference on the long operand, for scale: about 416 lines of 79 widths of 1 ... 79.
  long measured = 0;
  const CharWidths fixed{[](unsigned char) { return 96.0; }, [](double sum) { return sum; }};
  reference::WrapParagraph(operand, 80 * 96, [&](std::string_view t) {
    measured += static_cast<long>(t.size());
    return fixed.Width(t);
  });
  EXPECT_GT(measured, 100L * static_cast<long>(operand.size()));
}

TEST(MsgLayoutTest, FitsTheScreenOrScrollsWithButtonsAndIconInView) {
  const MsgMeasures m{972, 372, 96, 192, 384, 384};
  // 16,385 listing lines with an exclamation icon, a short message, and a wide one.
  MsgContent huge{1, 2, 7680, 16385, false, 120};
  MsgContent small{1, 2, 960, 1, false, 120};
  MsgContent wide{2, 0, 7680, 3, false, 120};
  const double sb = 240;  // the scroll bar's width
  struct Case {
    const char* name;
    MsgContent content;
    double max_w, max_h;
    bool scrolls;
    double client_w, client_h, area_h;
  };
  const Case cases[] = {
      {"small on a large screen: as laid out", small, 28800, 16200, false, 1927.2, 1339.2, 1339.2},
      {"small exactly on the screen", small, 1927.2, 1339.2, false, 1927.2, 1339.2, 1339.2},
      {"huge listing: cut to the screen's height, a scroll bar wider", huge, 28800, 16200, true,
       8647.2 + sb, 16200, 16200 - 760.8},
      // Three lines: a band of 2.5 x 288 + G, and a scroll bar below it.
      {"wide text on a narrow screen: scrolls sideways", wide, 5000, 16200, true, 5000,
       914.4 + sb + 760.8, 914.4 + sb},
      {"huge listing on a tiny screen keeps the icon's band above the buttons", huge, 28800, 300,
       true, 8647.2 + sb, 578.4 + 760.8, 578.4},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    const MsgLayout l = ComputeMsgLayout(m, t.content);
    const MsgFit f = FitMsgLayout(m, t.content, l, t.max_w, t.max_h, sb);
    EXPECT_EQ(f.scrolls, t.scrolls);
    EXPECT_NEAR(f.client_w, t.client_w, 1e-6);
    EXPECT_NEAR(f.client_h, t.client_h, 1e-6);
    EXPECT_NEAR(f.area.height, t.area_h, 1e-6);
    EXPECT_EQ(std::pair(f.area.left, f.area.top), std::pair(0.0, 0.0));
    EXPECT_NEAR(f.area.width, f.client_w, 1e-9);
    EXPECT_NEAR(f.content_w, l.inner_w, 1e-9);
    EXPECT_NEAR(f.content_h, t.scrolls ? l.inner_h - l.strip_h : l.inner_h, 1e-9);
    // The buttons sit on the client area's bottom, centred; the icon in the band above them.
    EXPECT_NEAR(f.button_top, f.client_h - 194.4 - 372, 1e-9);
    const double row = l.row_span;
    EXPECT_NEAR(f.button_lefts.front() * 2 + row, f.client_w + 120, 1e-9);
    if (t.content.icon_kind != 0) {
      EXPECT_GE(f.icon_top, 0);
      EXPECT_LE(f.icon_top + 384, f.button_top);
    }
    if (!t.scrolls) {
      EXPECT_EQ(f.button_lefts, l.button_lefts);
      EXPECT_EQ(std::pair(f.icon_left, f.icon_top), std::pair(l.icon_left, l.icon_top));
    }
  }
  // Kept inside the available area: moved up and left as far as the size allows.
  const TwipRect room{0, 480, 19200, 10320};
  const std::tuple<TwipRect, TwipRect> moves[] = {
      {{100, 0, 3000, 9000}, {100, 480, 3000, 9000}},
      {{18000, 5000, 3000, 9000}, {16200, 1800, 3000, 9000}},
      {{0, 0, 20000, 12000}, {0, 480, 20000, 12000}},  // too large: top-left corner wins
  };
  for (const auto& [window, kept] : moves) EXPECT_EQ(KeepInside(window, room), kept);
}

}  // namespace
}  // namespace numerella
