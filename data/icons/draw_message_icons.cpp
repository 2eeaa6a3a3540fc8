// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the four message window icons (information, exclamation, question, stop) at 32 x 32
// and 16 x 16 pixels in the 16 standard colours and writes them as PNG files.
// The PNG files in src/message_window/icons come from this program:
//   g++ -std=c++20 -fPIC draw_message_icons.cpp -o draw_message_icons
//       $(pkg-config --cflags --libs Qt6Gui)     (one command line)
//   QT_QPA_PLATFORM=offscreen ./draw_message_icons src/message_window/icons
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <cstdio>

namespace {

// The colours used, all from the 16-colour palette.
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kGrey(128, 128, 128);

const QColor kPalette16[] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

QFont GlyphFont(int pixels, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// A filled disc with a one-pixel outline, leaving the corners transparent.
void Disc(QPainter& p, int size, const QColor& fill, const QColor& outline) {
  p.setPen(outline);
  p.setBrush(fill);
  p.drawEllipse(QRectF(0.5, 0.5, size - 2, size - 2));
}

void Information(QPainter& p, int s) {
  Disc(p, s, kNavy, kBlack);
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  const double u = s / 32.0;
  p.drawRect(QRectF(14 * u, 6 * u, 4 * u, 4 * u));    // the dot
  p.drawRect(QRectF(14 * u, 12 * u, 4 * u, 13 * u));  // the stem
  p.drawRect(QRectF(11 * u, 23 * u, 10 * u, 2 * u));  // the foot
}

void Exclamation(QPainter& p, int s) {
  Disc(p, s, kYellow, kBlack);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlack);
  const double u = s / 32.0;
  p.drawRect(QRectF(14 * u, 5 * u, 4 * u, 15 * u));
  p.drawRect(QRectF(14 * u, 22 * u, 4 * u, 4 * u));
}

void Question(QPainter& p, int s) {
  Disc(p, s, kGreen, kBlack);
  p.setPen(kWhite);
  p.setFont(GlyphFont(s * 3 / 4, true));
  p.drawText(QRect(0, 0, s - 1, s - 1), Qt::AlignCenter, QStringLiteral("?"));
}

void Stop(QPainter& p, int s) {
  QPolygonF octagon;
  const double r = (s - 1) / 2.0;
  for (int i = 0; i < 8; ++i) {
    const double a = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
    octagon << QPointF(r + r * std::cos(a), r + r * std::sin(a));
  }
  p.setPen(kGrey);
  p.setBrush(kRed);
  p.drawPolygon(octagon);
  p.setPen(kWhite);
  if (s >= 32) {
    p.setFont(GlyphFont(9, true));
    p.drawText(QRect(0, 0, s - 1, s - 1), Qt::AlignCenter, QStringLiteral("STOP"));
  } else {
    // Four letters do not fit in 16 pixels: a white band stands for the word.
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRect(QRect(3, 6, s - 7, 3));
  }
}

bool Write(const QString& folder, const char* name, int size, void (*draw)(QPainter&, int)) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter, size);
  }
  // Stored with a colour table: the 16 standard colours and a transparent entry.
  QList<QRgb> table = {qRgba(0, 0, 0, 0)};
  for (const QColor& c : kPalette16) table.append(c.rgba());
  const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
  const QString path = QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(name).arg(size));
  return indexed.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_message_icons <output folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  struct Icon {
    const char* name;
    void (*draw)(QPainter&, int);
  };
  const Icon icons[] = {{"information", Information},
                        {"exclamation", Exclamation},
                        {"question", Question},
                        {"stop", Stop}};
  for (const Icon& icon : icons) {
    for (const int size : {32, 16}) {
      if (!Write(folder, icon.name, size, icon.draw)) return 1;
    }
  }
  return 0;
}
