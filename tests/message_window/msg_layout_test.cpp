// The message window's geometry from the design sizes: buttons 972 x 372, icons 384 x 384,
// and a terminal cell of 96 x 192 twips (so LH = 288).
#include "message_window/msg_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace numerella {
namespace {

constexpr double kEps = 1e-9;
const MsgMeasures kDesign{972, 372, 96, 192, 384, 384};

TEST(MsgLayoutTest, ButtonRowFigures) {
  struct Case {
    int buttons;
    double row_w;
    double row_span;
  };
  const Case cases[] = {
      {1, 1360.8, 972},
      {2, 2527.2, 2138.4},
      {3, 3693.6, 3304.8},
  };
  for (const Case& c : cases) {
    const MsgLayout l = ComputeMsgLayout(kDesign, {c.buttons, 0, 0, 0, true, 0});
    EXPECT_NEAR(l.gap, 194.4, kEps);
    EXPECT_NEAR(l.strip_h, 760.8, kEps);
    EXPECT_NEAR(l.row_w, c.row_w, kEps) << c.buttons;
    EXPECT_NEAR(l.row_span, c.row_span, kEps) << c.buttons;
    ASSERT_EQ(l.button_lefts.size(), static_cast<std::size_t>(c.buttons));
    for (int k = 1; k < c.buttons; ++k) {
      EXPECT_NEAR(l.button_lefts[k] - l.button_lefts[k - 1], 1166.4, kEps);
    }
    // The row is centred: as much room left of the first button as right of the last.
    EXPECT_NEAR(l.button_lefts.front(), l.inner_w - (l.button_lefts.back() + 972), kEps);
  }
}

TEST(MsgLayoutTest, WindowShapesOfTheEdgeCases) {
  struct Case {
    std::string name;
    MsgContent content;
    double inner_w, inner_h, band, icon_left, icon_top, text_x, text_y0;
  };
  // content: buttons, icon kind, widest line, line count, text empty, frame width
  const Case cases[] = {
      {"empty text, no icon", {1, 0, 0, 0, true, 0}, 1360.8, 760.8, 0, 488.4, -94.8, 194.4, 0},
      {"empty text with icon: icon centred, G below the top",
       {1, 2, 0, 0, true, 0},
       1360.8,
       1339.2,
       578.4,
       488.4,
       194.4,
       772.8,
       386.4},
      {"one short line with icon: the icon's band, text on its middle",
       {1, 2, 960, 1, false, 0},
       1927.2,
       1339.2,
       578.4,
       194.4,
       194.4,
       772.8,
       314.4},
      {"five lines with icon: the text's band, text G below the top",
       {1, 3, 960, 5, false, 0},
       1927.2,
       2251.2,
       1490.4,
       194.4,
       650.4,
       772.8,
       194.4},
      {"icon kind above 4 keeps the room",
       {1, 7, 960, 1, false, 0},
       1927.2,
       1339.2,
       578.4,
       194.4,
       194.4,
       772.8,
       314.4},
      {"no icon, wide text: width from the text",
       {2, 0, 7488, 22, false, 0},
       7876.8,
       7147.2,
       6386.4,
       194.4,
       3098.4,
       194.4,
       194.4},
  };
  for (const Case& c : cases) {
    const MsgLayout l = ComputeMsgLayout(kDesign, c.content);
    EXPECT_NEAR(l.inner_w, c.inner_w, kEps) << c.name;
    EXPECT_NEAR(l.inner_h, c.inner_h, kEps) << c.name;
    EXPECT_NEAR(l.band, c.band, kEps) << c.name;
    EXPECT_NEAR(l.icon_top, c.icon_top, kEps) << c.name;
    EXPECT_NEAR(l.text_x, c.text_x, kEps) << c.name;
    if (c.content.icon_kind != 0) {
      EXPECT_NEAR(l.icon_left, c.icon_left, kEps) << c.name;
    }
    if (!c.content.text_empty) {
      EXPECT_NEAR(l.text_y0, c.text_y0, kEps) << c.name;
    }
    EXPECT_NEAR(l.button_top, l.inner_h - 194.4 - 372, kEps) << c.name;
  }
}

TEST(MsgLayoutTest, TextColumnIsCappedAtEightyCells) {
  struct Case {
    double widest, column;
  };
  const Case cases[] = {{0, 0}, {7679, 7679}, {7680, 7680}, {7681, 7680}, {100000, 7680}};
  for (const Case& c : cases) EXPECT_EQ(TextColumnWidth(c.widest, 96), c.column) << c.widest;
}

TEST(MsgLayoutTest, ButtonsCentreOnTheOuterWidth) {
  // With a frame 120 twips wider than the client area the row moves right by half of it.
  const MsgLayout framed = ComputeMsgLayout(kDesign, {2, 0, 7488, 22, false, 120});
  const MsgLayout bare = ComputeMsgLayout(kDesign, {2, 0, 7488, 22, false, 0});
  EXPECT_NEAR(bare.button_lefts[0], 2869.2, kEps);
  EXPECT_NEAR(bare.button_lefts[1], 4035.6, kEps);
  EXPECT_NEAR(framed.button_lefts[0], 2929.2, kEps);
}

TEST(PlaceMsgWindowTest, CentresOverOwnerOrScreenAndClampsTopLeft) {
  struct Case {
    std::string name;
    std::optional<TwipsRect> owner;
    double left, top;
  };
  // Screen 19200 x 10800, window 3000 x 2000.
  const Case cases[] = {
      {"over the owner", TwipsRect{4000, 3000, 6000, 4000}, 5500, 4000},
      {"no owner: screen centre", std::nullopt, 8100, 4400},
      {"owner near the top-left corner", TwipsRect{0, 0, 1000, 1000}, 0, 0},
      {"owner centred on x = 0 takes the screen's x", TwipsRect{-500, 3000, 1000, 4000}, 8100,
       4000},
      {"beyond the bottom right is left there", TwipsRect{18000, 10000, 4000, 2000}, 18500, 10000},
  };
  for (const Case& c : cases) {
    const TwipsRect r = PlaceMsgWindow(c.owner, 19200, 10800, 3000, 2000);
    EXPECT_NEAR(r.left, c.left, kEps) << c.name;
    EXPECT_NEAR(r.top, c.top, kEps) << c.name;
  }
}

}  // namespace
}  // namespace numerella
