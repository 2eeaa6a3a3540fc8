// SPDX-License-Identifier: GPL-3.0-or-later
// The message window's scrolling text area and its picture of the texts in view.
#include "message_window/msg_text_area.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace numerella {

MsgTextArea::MsgTextArea(QWidget* parent, PaintTexts paint)
    : QAbstractScrollArea(parent), paint_(std::move(paint)) {
  setObjectName(QStringLiteral("AreMsg"));
  setAccessibleName(QStringLiteral("Testo del messaggio"));
  verticalScrollBar()->setAccessibleName(QStringLiteral("Scorrimento verticale"));
  horizontalScrollBar()->setAccessibleName(QStringLiteral("Scorrimento orizzontale"));
  // The window's own background shows through, as under text drawn on the window itself.
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(false);
  viewport()->setAutoFillBackground(false);
  setFocusPolicy(Qt::NoFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void MsgTextArea::Place(const QRect& geometry, const QSize& content, bool scrolls) {
  const Qt::ScrollBarPolicy bars = scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  setHorizontalScrollBarPolicy(bars);
  setVerticalScrollBarPolicy(bars);
  setFocusPolicy(scrolls ? Qt::StrongFocus : Qt::NoFocus);
  content_ = content;
  setGeometry(geometry);
  UpdateBars();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  TextsChanged();
}

void MsgTextArea::TextsChanged() {
  stale_ = true;
  viewport()->update();
}

void MsgTextArea::ReleasePicture() {
  picture_ = QImage();
  stale_ = true;
}

void MsgTextArea::ScrollToEdge(bool end) {
  verticalScrollBar()->setValue(end ? verticalScrollBar()->maximum() : 0);
}

void MsgTextArea::UpdateBars() {
  const QSize view = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, content_.width() - view.width()));
  horizontalScrollBar()->setPageStep(std::max(1, view.width()));
  verticalScrollBar()->setRange(0, std::max(0, content_.height() - view.height()));
  verticalScrollBar()->setPageStep(std::max(1, view.height()));
  const int line = std::max(1, fontMetrics().height());
  horizontalScrollBar()->setSingleStep(line);
  verticalScrollBar()->setSingleStep(line);
}

void MsgTextArea::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateBars();
}

// The view changes size also when a scroll bar comes or goes.
bool MsgTextArea::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) UpdateBars();
  return QAbstractScrollArea::viewportEvent(event);
}

void MsgTextArea::DrawPicture(const QPoint& offset, qreal ratio) {
  const QSize pixels(static_cast<int>(std::ceil(viewport()->width() * ratio)),
                     static_cast<int>(std::ceil(viewport()->height() * ratio)));
  if (picture_.size() != pixels.expandedTo(QSize(1, 1))) {
    picture_ = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  }
  // The window's resolution, so that fonts in points come out as on the window.
  const int dots_per_meter = static_cast<int>(std::lround(logicalDpiX() / 0.0254));
  picture_.setDotsPerMeterX(dots_per_meter);
  picture_.setDotsPerMeterY(dots_per_meter);
  picture_.setDevicePixelRatio(ratio);
  picture_.fill(Qt::transparent);
  QPainter painter(&picture_);
  painter.translate(-offset);
  paint_(painter, QRectF(offset, viewport()->size()));
  picture_offset_ = offset;
  stale_ = false;
}

void MsgTextArea::paintEvent(QPaintEvent* /*event*/) {
  const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const qreal ratio = viewport()->devicePixelRatioF();
  if (stale_ || picture_.isNull() || offset != picture_offset_ ||
      picture_.devicePixelRatio() != ratio ||
      picture_.deviceIndependentSize().toSize() != viewport()->size()) {
    DrawPicture(offset, ratio);
  }
  QPainter painter(viewport());
  painter.drawImage(0, 0, picture_);
}

void MsgTextArea::keyPressEvent(QKeyEvent* event) {
  const bool home = event->key() == Qt::Key_Home;
  if (home || event->key() == Qt::Key_End) {
    ScrollToEdge(!home);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace numerella
