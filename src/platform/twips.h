// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' unit of length: the twip, 1/1440 inch. Geometry is computed in twips and turned
// into device pixels only where it is applied to a screen or a printer. No Qt here, so the
// layout arithmetic that uses it stays testable without a screen.
#pragma once

namespace numerella {

inline constexpr double kTwipsPerInch = 1440.0;

struct TwipRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;

  friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// A twips length in device pixels at the given dots per inch (not rounded).
inline double TwipsToPixels(double twips, double dpi) { return twips * dpi / kTwipsPerInch; }

}  // namespace numerella
