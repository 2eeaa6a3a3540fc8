// The message window's geometry and text layout without a window. Geometry uses the design
// sizes (buttons 972 x 372, icons 384 x 384, a cell of 96 x 192 twips); text is measured with
// a fixed-width font of 100 twips per character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_window/msg_layout.h"
#include "message_window/text_wrap.h"

namespace numerella {
namespace {

TEST(MsgLayoutTest, FiguresOfTheEdgeCasesAndPlacement) {
  const char* const kFigures[] = {"inner_w", "inner_h", "band",  "icon_left", "icon_top",
                                  "text_x",  "text_y0", "row_w", "row_span",  "first button"};
  const std::tuple<const char*, MsgContent, std::vector<double>> cases[] = {
      // buttons, icon kind, widest line, line count, text empty, frame width; the figures
      {"empty text, no icon", {1, 0, 0, 0, true, 0},
       {1360.8, 760.8, 0, 0, -94.8, 194.4, 0, 1360.8, 972, 194.4}},
      {"empty text with icon: icon centred, G below the top", {1, 2, 0, 0, true, 0},
       {1360.8, 1339.2, 578.4, 488.4, 194.4, 772.8, 0, 1360.8, 972, 194.4}},
      {"one short line with icon: the icon's band, text on its middle", {1, 2, 960, 1, false, 0},
       {1927.2, 1339.2, 578.4, 194.4, 194.4, 772.8, 314.4, 1360.8, 972, 477.6}},
      {"five lines with icon: the text's band, text G below the top", {1, 3, 960, 5, false, 0},
       {1927.2, 2251.2, 1490.4, 194.4, 650.4, 772.8, 194.4, 1360.8, 972, 477.6}},
      {"icon kind above 4 keeps the room", {1, 7, 960, 1, false, 0},
       {1927.2, 1339.2, 578.4, 194.4, 194.4, 772.8, 314.4, 1360.8, 972, 477.6}},
      {"no icon, wide text: width from the text", {2, 0, 7488, 22, false, 0},
       {7876.8, 7147.2, 6386.4, 0, 3098.4, 194.4, 194.4, 2527.2, 2138.4, 2869.2}},
      {"buttons centre on the outer width", {2, 0, 7488, 22, false, 120},
       {7876.8, 7147.2, 6386.4, 0, 3098.4, 194.4, 194.4, 2527.2, 2138.4, 2929.2}},
      {"three buttons, no text: width from the row", {3, 0, 0, 0, true, 0},
       {3693.6, 760.8, 0, 0, -94.8, 194.4, 0, 3693.6, 3304.8, 194.4}},
  };
  for (const auto& [name, content, expected] : cases) {
    SCOPED_TRACE(name);
    const MsgLayout l = ComputeMsgLayout({972, 372, 96, 192, 384, 384}, content);
    ASSERT_EQ(l.button_lefts.size(), static_cast<std::size_t>(content.button_count));
    const double figures[] = {l.inner_w, l.inner_h, l.band,
                              content.icon_kind != 0 ? l.icon_left : 0, l.icon_top, l.text_x,
                              content.text_empty ? 0 : l.text_y0, l.row_w, l.row_span,
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
  const auto fixed = [](std::string_view t) { return 100.0 * static_cast<double>(t.size()); };
  const auto strings = [](const std::vector<std::string_view>& v) {
    return std::vector<std::string>(v.begin(), v.end());
  };
  const std::pair<std::string, std::vector<std::string>> paragraphs[] = {
      {"", {}}, {"abc", {"abc"}}, {"a\rb", {"a", "b"}}, {"\r", {""}}, {"\r\r", {"", ""}},
      {"a\r", {"a"}},              // a trailing carriage return adds nothing
      {"a\r\rb", {"a", "", "b"}},  // two in a row give an empty paragraph
      {"a\nb", {"a\nb"}},          // a line feed is an ordinary character
  };
  for (const auto& [text, split] : paragraphs) EXPECT_EQ(strings(SplitParagraphs(text)), split);

  const std::tuple<std::string, double, std::vector<std::string>> wraps[] = {
      {"", 1000, {}},  // an empty paragraph takes no line
      {"short", 1000, {"short"}}, {"exactly10!", 1000, {"exactly10!"}},  // at the limit: kept
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
      {"abc", 100, {"a", "b", "c"}}, {"abc", 0, {"a", "b", "c"}}, {"abc", -10, {"a", "b", "c"}},
  };
  for (const auto& [text, limit, lines] : wraps)
    EXPECT_EQ(strings(WrapParagraph(text, limit, fixed)), lines) << limit;

  const std::tuple<std::string, double, std::int32_t> widest[] = {  // halves round to even
      {"", 100, 0},         {"abc", 100, 300}, {"a\rabcd\rab", 100, 400},
      {"abcd\r", 100, 400}, {"a", 2.5, 2},     {"a", 3.5, 4},  {"aaa", 0.5, 2}};
  for (const auto& [text, per, width] : widest) {
    const TextMeasurer measure = [per = per](std::string_view t) { return per * t.size(); };
    EXPECT_EQ(WidestLineWidth(text, measure), width) << text << " " << per;
  }
}

}  // namespace
}  // namespace numerella
