// SPDX-License-Identifier: GPL-3.0-or-later
// A window's retained picture as the printing routine sees it: a size and a way to paint it.
#pragma once

#include <QSizeF>

class QPainter;

namespace numerella {

class WindowPicture {
 public:
  virtual ~WindowPicture() = default;
  // Width and height of the picture, in twips.
  virtual QSizeF PictureSizeTwips() const = 0;
  // Paints the picture with its top-left corner at the painter's origin, pixels_per_twip
  // device pixels to the twip (fonts follow the painter's device resolution).
  virtual void PaintPicture(QPainter& painter, double pixels_per_twip) const = 0;
};

}  // namespace numerella
