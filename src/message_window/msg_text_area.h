// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's text area: shows the part of the window's drawn texts that is in view
// and scrolls over the rest. Its picture of that part is kept at the screen's device pixel
// ratio and redrawn when the view moves or the texts change; nothing larger than the view is
// ever drawn, so a text of any length costs only the view's pixels.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>

namespace numerella {

class MsgTextArea : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Paints the texts that meet visible (pixels of the whole text, logical units) with the
  // painter's origin at the whole text's top-left corner.
  using PaintTexts = std::function<void(QPainter& painter, const QRectF& visible)>;
  MsgTextArea(QWidget* parent, PaintTexts paint);

  // Where the area lies in its window and the size of the whole text, in pixels. An area that
  // scrolls takes the keyboard focus by Tab and shows scroll bars as needed.
  void Place(const QRect& geometry, const QSize& content, bool scrolls);
  QSize ContentSize() const { return content_; }
  // The texts changed: the picture is drawn again at the next paint.
  void TextsChanged();
  // Frees the picture (while the window is hidden).
  void ReleasePicture();
  // The picture of the part in view, at the screen's device pixel ratio (null until painted).
  const QImage& Picture() const { return picture_; }
  // Scrolls to the top or the end of the text.
  void ScrollToEdge(bool end);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateBars();
  void DrawPicture(const QPoint& offset, qreal ratio);

  PaintTexts paint_;
  QSize content_;
  QImage picture_;
  QPoint picture_offset_;
  bool stale_ = true;
};

}  // namespace numerella
