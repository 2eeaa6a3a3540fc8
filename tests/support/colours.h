// SPDX-License-Identifier: GPL-3.0-or-later
// Colours as a reader sees them: the contrast ratio of two colours (1 to 21, as the web's
// accessibility guidelines define it) and the strongest ink of a picture.
#pragma once

#include <QImage>
#include <algorithm>
#include <cmath>

namespace numerella {

inline double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The highest contrast of any pixel of image against background: the core of its text.
inline double InkContrast(const QImage& image, const QColor& background) {
  double most = 1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      most = std::max(most, Contrast(QColor(image.pixel(x, y)), background));
  return most;
}

}  // namespace numerella
