// Paragraph splitting, line breaking and the widest line, measured with a fixed-width font of
// 100 twips per character (so a limit of 1000 holds fewer than 10 characters below it).
#include "message_window/text_wrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace numerella {
namespace {

double Fixed(std::string_view text) { return 100.0 * static_cast<double>(text.size()); }

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return {views.begin(), views.end()};
}

TEST(SplitParagraphsTest, CarriageReturnsSeparate) {
  struct Case {
    std::string text;
    std::vector<std::string> paragraphs;
  };
  const Case cases[] = {
      {"", {}},
      {"abc", {"abc"}},
      {"a\rb", {"a", "b"}},
      {"a\r", {"a"}},              // a trailing carriage return adds nothing
      {"a\r\rb", {"a", "", "b"}},  // two in a row give an empty paragraph
      {"\r", {""}},
      {"\r\r", {"", ""}},
      {"a\nb", {"a\nb"}},  // a line feed is an ordinary character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Strings(SplitParagraphs(c.text)), c.paragraphs) << c.text;
  }
}

TEST(WrapParagraphTest, BreaksAtBlanksAndHard) {
  struct Case {
    std::string paragraph;
    double limit;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", 1000, {}},  // an empty paragraph takes no line
      {"short", 1000, {"short"}},
      {"exactly10!", 1000, {"exactly10!"}},  // as wide as the limit: not broken
      // The blank stays at the end of the broken line.
      {"aaaa bbbb cccc", 1000, {"aaaa ", "bbbb cccc"}},
      {"aa bb cc dd ee", 1000, {"aa bb cc ", "dd ee"}},
      // A start up to a blank that reaches the limit is not taken: "aaaa bbbb " is 1000.
      {"aaaa bbbb cccc dddd", 1000, {"aaaa ", "bbbb ", "cccc dddd"}},
      // One word wider than the limit is cut at the longest start below it.
      {"abcdefghijklmnop", 1000, {"abcdefghi", "jklmnop"}},
      {"abcdefghijklmnopqrstu", 1000, {"abcdefghi", "jklmnopqr", "stu"}},
      // The first word too wide, then blanks: hard break first, blank breaks after.
      {"abcdefghijk lm nopqrs", 1000, {"abcdefghi", "jk lm ", "nopqrs"}},
      // A leading blank makes a line of its own blank.
      {" abcdefghijk", 1000, {" ", "abcdefghi", "jk"}},
      // Several blanks in a row.
      {"ab    cdefghij", 1000, {"ab    ", "cdefghij"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Strings(WrapParagraph(c.paragraph, c.limit, Fixed)), c.lines) << c.paragraph;
  }
}

TEST(WrapParagraphTest, HardBreakAlwaysTakesOneCharacter) {
  // Limits narrower than one character: the text must still be consumed, one by one.
  struct Case {
    double limit;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {50, {"a", "b", "c"}},
      {0, {"a", "b", "c"}},
      {-10, {"a", "b", "c"}},
      {100, {"a", "b", "c"}},  // one character is as wide as the limit, not below it
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Strings(WrapParagraph("abc", c.limit, Fixed)), c.lines) << c.limit;
  }
}

TEST(WrapParagraphTest, EightyCellCapWrapsLongLines) {
  // A 100-character line against the 80-cell cap (80 x 100 twips).
  std::string words;
  for (int i = 0; i < 20; ++i) words += "abcd ";  // 100 characters, blanks every 5
  const std::vector<std::string> lines = Strings(WrapParagraph(words, 8000, Fixed));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 75u);  // 80 would reach the limit, so the blank at 75 is taken
  EXPECT_EQ(lines[0].back(), ' ');
  EXPECT_EQ(lines[0] + lines[1], words);
}

TEST(WrapParagraphTest, LinesReassembleTheParagraphAndFitTheLimit) {
  const std::string paragraphs[] = {
      "Errore: parentesi non chiusa alla posizione 17 della formula SUM(1,2",
      "x          y",
      "supercalifragilistichespiralidoso e altre parole",
  };
  for (const std::string& p : paragraphs) {
    std::string joined;
    for (const std::string& line : Strings(WrapParagraph(p, 700, Fixed))) {
      EXPECT_FALSE(line.empty());
      // Only a line's final blank may stick out past the limit.
      const std::string_view visible =
          line.back() == ' ' ? std::string_view(line).substr(0, line.size() - 1) : line;
      EXPECT_TRUE(Fixed(visible) <= 700 || line.size() == 1) << line;
      joined += line;
    }
    EXPECT_EQ(joined, p);
  }
}

TEST(WidestLineWidthTest, WidestOfTheLinesRoundedHalfToEven) {
  struct Case {
    std::string text;
    double per_char;
    std::int32_t widest;
  };
  const Case cases[] = {
      {"", 100, 0},         {"abc", 100, 300}, {"a\rabcd\rab", 100, 400},
      {"abcd\r", 100, 400}, {"a", 2.5, 2},  // 2.5 rounds to 2
      {"a", 3.5, 4},                        // 3.5 rounds to 4
      {"aaa", 0.5, 2},                      // 1.5 rounds to 2
  };
  for (const Case& c : cases) {
    const double per = c.per_char;
    const TextMeasurer width = [per](std::string_view t) {
      return per * static_cast<double>(t.size());
    };
    EXPECT_EQ(WidestLineWidth(c.text, width), c.widest) << c.text;
  }
}

}  // namespace
}  // namespace numerella
