// The main window's geometry in twips and its conversion to pixels.
#include "main_window/layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace numerella {
namespace {

TEST(MainWindowLayout, WorkedExampleWithSizesKeptAsSet) {
  const MainWindowLayout l = ComputeMainWindowLayout(120, 180);
  for (int i = 0; i < kHistoryRows; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(l.formula_rows[i], (TwipRect{120, 120.0 + 180 * i, 3600, 180}));
    EXPECT_EQ(l.result_rows[i], (TwipRect{3840, 120.0 + 180 * i, 1800, 180}));
  }
  EXPECT_EQ(l.formula_rows[9].top, 1740);
  EXPECT_EQ(l.history_height, 1800);
  EXPECT_EQ(l.expression, (TwipRect{120, 2040, 3600, 630}));
  EXPECT_EQ(l.result, (TwipRect{3840, 2040, 1800, 234}));
  EXPECT_EQ(l.calculate, (TwipRect{3840, 2436, 1800, 234}));
  EXPECT_EQ(l.client_width, 5760);
  EXPECT_EQ(l.client_height, 2790);
}

// What scales with the width of "0" and what with the height of "A".
struct ScalingCase {
  int cw, ch;
  double expression_width, expression_height, client_width, history_height;
};

TEST(MainWindowLayout, ScalesWithTheFont) {
  const ScalingCase cases[] = {
      {120, 180, 3600, 630, 5760, 1800},
      {240, 180, 7200, 630, 11520, 1800},  // twice as wide
      {120, 360, 3600, 1260, 5760, 3600},  // twice as high
      {240, 360, 7200, 1260, 11520, 3600},
  };
  for (const ScalingCase& c : cases) {
    SCOPED_TRACE(c.cw);
    const MainWindowLayout l = ComputeMainWindowLayout(c.cw, c.ch);
    EXPECT_EQ(l.expression.width, c.expression_width);
    EXPECT_EQ(l.formula_rows[0].width, c.expression_width);
    EXPECT_EQ(l.expression.height, c.expression_height);
    EXPECT_EQ(l.client_width, c.client_width);
    EXPECT_EQ(l.history_height, c.history_height);
  }
}

TEST(MainWindowLayout, RowsStackByTheReportedHeight) {
  // A device that only keeps whole multiples of 15 twips (one pixel at 96 dpi), rounding up.
  const auto coarse = [](double twips) { return std::ceil(twips / 15) * 15; };
  const MainWindowLayout l = ComputeMainWindowLayout(130, 251, coarse);
  for (int i = 0; i + 1 < kHistoryRows; ++i) {
    EXPECT_EQ(l.formula_rows[i].height, 255);
    EXPECT_EQ(l.formula_rows[i + 1].top, l.formula_rows[i].top + 255);  // rows touch
  }
  EXPECT_EQ(l.history_height, 2550);
  EXPECT_EQ(l.expression.top, 2550 + 260);
  EXPECT_EQ(l.expression.height, coarse(3.5 * 251));
  // The running total is rounded at each addition, halves to even: 100.5 gives 100 each time.
  EXPECT_EQ(ComputeMainWindowLayout(100, 100, [](double) { return 100.5; }).history_height, 1000);
}

struct TwipsCase {
  double pixels, dpi;
  std::int32_t twips;
};

TEST(PixelsToWholeTwips, RoundsHalvesToEven) {
  const TwipsCase cases[] = {
      {8, 96, 120},   {12, 96, 180},    {1, 96, 15},    {2.5, 1440, 2},
      {3.5, 1440, 4}, {-2.5, 1440, -2}, {7.2, 72, 144}, {0, 96, 0},
  };
  for (const TwipsCase& c : cases) {
    EXPECT_EQ(PixelsToWholeTwips(c.pixels, c.dpi), c.twips) << c.pixels << " px at " << c.dpi;
  }
}

TEST(ToPixels, TouchingRectanglesStayTouching) {
  // At 96 dpi a twip is 1/15 pixel: 100-twip rows do not land on whole pixels.
  for (const double dpi : {96.0, 120.0, 144.0, 91.0}) {
    PixelRect previous = ToPixels({100, 100, 3000, 100}, dpi, dpi);
    for (int i = 1; i < 20; ++i) {
      const PixelRect next = ToPixels({100, 100.0 + 100 * i, 3000, 100}, dpi, dpi);
      EXPECT_EQ(next.y, previous.y + previous.height) << "dpi " << dpi << " row " << i;
      previous = next;
    }
  }
}

}  // namespace
}  // namespace numerella
