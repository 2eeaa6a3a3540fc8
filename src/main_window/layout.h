// SPDX-License-Identifier: GPL-3.0-or-later
// The geometry of the main window, computed in twips (1/1440 inch) from the size of one
// character of the window's font, and its conversion to device pixels.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "main_window/history.h"
#include "platform/twips.h"

namespace numerella {

struct MainWindowLayout {
  std::array<TwipRect, kHistoryRows> formula_rows;  // TxtSav(0) .. TxtSav(9)
  std::array<TwipRect, kHistoryRows> result_rows;   // LblSav(0) .. LblSav(9)
  TwipRect expression;                              // TxtExp
  TwipRect result;                                  // LblVal
  TwipRect calculate;                               // CmdEnt
  std::int32_t history_height = 0;                  // H: the ten rows stacked
  double client_width = 0;                          // the area of the controls above
  double client_height = 0;
  // ESCI, in a row of its own under CALCOLO: as wide as CALCOLO, a gap of cw above it and a
  // margin of cw below it; the drawing area grows by that row.
  TwipRect exit;           // CmdExi
  double area_height = 0;  // the drawing area with that row
};

// What the platform reports for a height once it has been set: the rows are stacked by the
// reported heights, so that they touch each other exactly on a device with coarse units.
// An empty function means the sizes are kept as set.
using ReportedHeight = std::function<double(double)>;

// Lays the window out for a "0" cw twips wide and an "A" ch twips high: a margin of cw around
// everything, the ten history rows on top, the expression box below them, the formula column
// 30 cw wide and the result column 15 cw wide with a gap of cw between them; ESCI under
// CALCOLO.
MainWindowLayout ComputeMainWindowLayout(std::int32_t cw, std::int32_t ch,
                                         const ReportedHeight& reported = {});

// A length measured in device pixels at the given dots per inch, as whole twips; halves go to
// the even neighbour.
std::int32_t PixelsToWholeTwips(double pixels, double dpi);

// A twips rectangle in whole pixels. The edges are rounded, not the sizes, so that rectangles
// that touch in twips also touch in pixels.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
PixelRect ToPixels(const TwipRect& rect, double dpi_x, double dpi_y);

}  // namespace numerella
