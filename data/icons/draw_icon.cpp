// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the application icon at the sizes of the hicolor theme:
//   draw_icon <output folder>   writes <folder>/<N>x<N>/apps/org.numerella.Numerella.png
// The icon is a small calculator: a blue body, a green display and a keypad with one orange
// key. It is run by hand when the picture changes; the PNGs are kept with the sources.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

void DrawKeypad(QPainter& p, double s) {
  const double left = 0.16 * s, top = 0.50 * s, width = 0.68 * s, height = 0.34 * s;
  const double gap = s >= 32 ? 0.05 * s : 0.08 * s;
  const int columns = 3, rows = 2;
  const double kw = (width - gap * (columns - 1)) / columns;
  const double kh = (height - gap * (rows - 1)) / rows;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const bool equals = r == rows - 1 && c == columns - 1;
      p.setBrush(equals ? QColor(0xf2, 0x8c, 0x28) : QColor(0xe8, 0xee, 0xf7));
      p.drawRoundedRect(QRectF(left + c * (kw + gap), top + r * (kh + gap), kw, kh), 0.03 * s,
                        0.03 * s);
    }
  }
}

void DrawDisplay(QPainter& p, double s) {
  const QRectF display(0.16 * s, 0.16 * s, 0.68 * s, 0.24 * s);
  p.setBrush(QColor(0xcf, 0xe8, 0xc4));
  p.drawRoundedRect(display, 0.04 * s, 0.04 * s);
  if (s < 32) return;  // too small for digits
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setBold(true);
  font.setPixelSize(static_cast<int>(0.18 * s));
  p.setFont(font);
  p.setPen(QColor(0x1e, 0x3a, 0x1a));
  p.drawText(display.adjusted(0.03 * s, 0, -0.04 * s, 0), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("3.14"));
  p.setPen(Qt::NoPen);
}

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  QLinearGradient body(0, 0, 0, s);
  body.setColorAt(0, QColor(0x3a, 0x6e, 0xb8));
  body.setColorAt(1, QColor(0x1b, 0x36, 0x5d));
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(0.06 * s, 0.04 * s, 0.88 * s, 0.92 * s), 0.16 * s, 0.16 * s);
  DrawDisplay(p, s);
  DrawKeypad(p, s);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_icon <output folder>\n");
    return 2;
  }
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder =
        QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    QDir().mkpath(folder);
    if (!DrawIcon(size).save(folder + QStringLiteral("/org.numerella.Numerella.png"))) {
      std::fprintf(stderr, "draw_icon: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
