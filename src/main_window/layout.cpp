// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's geometry in twips and its conversion to pixels.
#include "main_window/layout.h"

#include <cmath>

namespace numerella {

namespace {

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value) { return std::nearbyint(value); }

}  // namespace

MainWindowLayout ComputeMainWindowLayout(std::int32_t cw, std::int32_t ch,
                                         const ReportedHeight& reported) {
  const auto read_back = [&reported](double height) {
    return reported ? reported(height) : height;
  };
  MainWindowLayout layout;
  const double formula_width = 30.0 * cw;
  const double result_width = 15.0 * cw;
  const double result_left = 32.0 * cw;

  std::int32_t stacked = 0;
  for (int i = 0; i < kHistoryRows; ++i) {
    const double h = read_back(ch);
    layout.formula_rows[i] = {double(cw), cw + i * h, formula_width, h};
    stacked = static_cast<std::int32_t>(RoundHalfEven(stacked + h));
    const double h_result = read_back(ch);
    layout.result_rows[i] = {result_left, cw + i * h_result, result_width, h_result};
  }
  layout.history_height = stacked;

  const double expression_height = read_back(3.5 * ch);
  layout.expression = {double(cw), stacked + 2.0 * cw, formula_width, expression_height};
  layout.result = {result_left, layout.expression.top, result_width, read_back(1.3 * ch)};
  const double button_height = read_back(1.3 * ch);
  layout.calculate = {result_left, layout.expression.top + layout.expression.height - button_height,
                      result_width, button_height};

  layout.client_width = 48.0 * cw;
  layout.client_height = expression_height + stacked + 3.0 * cw;
  const double exit_height = read_back(1.3 * ch);
  layout.exit = {result_left, layout.expression.top + layout.expression.height + cw, result_width,
                 exit_height};
  layout.area_height = layout.client_height + exit_height + cw;
  return layout;
}

std::int32_t PixelsToWholeTwips(double pixels, double dpi) {
  return static_cast<std::int32_t>(RoundHalfEven(pixels * kTwipsPerInch / dpi));
}

PixelRect ToPixels(const TwipRect& rect, double dpi_x, double dpi_y) {
  const int left = static_cast<int>(std::lround(TwipsToPixels(rect.left, dpi_x)));
  const int top = static_cast<int>(std::lround(TwipsToPixels(rect.top, dpi_y)));
  const int right = static_cast<int>(std::lround(TwipsToPixels(rect.left + rect.width, dpi_x)));
  const int bottom = static_cast<int>(std::lround(TwipsToPixels(rect.top + rect.height, dpi_y)));
  return {left, top, right - left, bottom - top};
}

}  // namespace numerella
