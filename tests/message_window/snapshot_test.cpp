// SPDX-License-Identifier: GPL-3.0-or-later
// What small messages and the reference card look like: the window as it is shown (text,
// icon, buttons) and the card as printed are compared pixel for pixel with pictures taken
// before the text surface was bounded. With NUMERELLA_WRITE_SNAPSHOTS=<folder> the pictures
// are written there instead. At a device pixel ratio of 2 (QT_SCALE_FACTOR=2) the window's
// picture is drawn at that ratio, while the print stays the same.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QImage>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/msg_text_area.h"
#include "message_window/print_anywhere.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Scripted = ScriptedPlatformServices;

// The window's client area as shown, painted as a screen would.
QImage Picture(const std::function<void(Scripted&)>& show) {
  QImage picture;
  Scripted platform;
  platform.QueueModal(Scripted::ModalAction([&](QDialog& d) {
    picture = d.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Scripted::PressButton(d, 1);
  }));
  show(platform);
  return picture;
}

// Compares picture with the stored one named name, or stores it.
void Compare(const QImage& picture, const char* name) {
  const QString file = QStringLiteral("%1.png").arg(QLatin1String(name));
  const QString out = qEnvironmentVariable("NUMERELLA_WRITE_SNAPSHOTS");
  if (!out.isEmpty()) {
    EXPECT_TRUE(picture.save(QDir(out).filePath(file)));
    return;
  }
  const QImage expected =
      QImage(QStringLiteral(NUMERELLA_SNAPSHOTS "/") + file).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(picture.size(), expected.size());
  int differing = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      differing += picture.pixel(x, y) != expected.pixel(x, y);
  EXPECT_EQ(differing, 0);
}

bool TakenWithThisFont() {
  return QFontInfo(FrmMsg::Instance().TextFont()).family() == QStringLiteral("DejaVu Sans Mono");
}

TEST(MessageSnapshotTest, CardPrintsAsBeforeAtAnyScreenScale) {
  if (!TakenWithThisFont()) GTEST_SKIP() << "the pictures were taken with DejaVu Sans Mono";
  Scripted platform;
  ShowFunctionList(platform, nullptr);  // closed with "&Continua": printed from the record
  QImage page(1300, 900, QImage::Format_RGB32);
  page.setDotsPerMeterX(qRound(120 / 0.0254));
  page.setDotsPerMeterY(qRound(120 / 0.0254));
  page.fill(Qt::white);
  ASSERT_TRUE(PrintAnywhere(FrmMsg::Instance(), page));
  if (FrmMsg::Instance().devicePixelRatioF() == 1) return Compare(page, "card-print");
  // With the screen scaled, fonts are not hinted: glyph pixels differ, but the text prints at
  // the same place and size.
  const QImage expected(QStringLiteral(NUMERELLA_SNAPSHOTS "/card-print.png"));
  const auto ink = [](const QImage& image) {
    QRect box;
    long dark = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1), ++dark;
    return std::pair(box, dark);
  };
  const auto [box, dark] = ink(page);
  const auto [expected_box, expected_dark] = ink(expected);
  EXPECT_LE((box.topLeft() - expected_box.topLeft()).manhattanLength(), 2);
  EXPECT_LE((box.bottomRight() - expected_box.bottomRight()).manhattanLength(), 2);
  EXPECT_NEAR(static_cast<double>(dark) / expected_dark, 1, 0.2);
}

TEST(MessageSnapshotTest, HiDpiPictureAtTheScreensRatio) {
  FrmMsg& frm = FrmMsg::Instance();
  if (frm.devicePixelRatioF() < 2) GTEST_SKIP() << "run with QT_SCALE_FACTOR=2";
  QImage picture;
  QSize view;
  Scripted platform;
  platform.QueueModal(Scripted::ModalAction([&](QDialog& d) {
    d.grab();
    picture = frm.SurfaceImage();
    view = frm.TextArea().viewport()->size();
    Scripted::PressButton(d, 1);
  }));
  ShowFunctionList(platform, nullptr);
  EXPECT_EQ(picture.devicePixelRatio(), frm.devicePixelRatioF());
  EXPECT_EQ(picture.size(), view * frm.devicePixelRatioF());
  // Glyph edges at the finer ratio: dark pixels with a lighter neighbour on either side in
  // twice as many rows as at ratio 1, because the text is drawn, not scaled up.
  int dark_rows = 0;
  for (int y = 0; y < picture.height(); ++y) {
    bool dark = false;
    for (int x = 0; x < picture.width() && !dark; ++x) dark = qAlpha(picture.pixel(x, y)) > 128;
    dark_rows += dark;
  }
  const double cell_px = frm.TextHeight("A") * frm.PixelsPerTwip();
  EXPECT_GT(dark_rows, 22 * cell_px);  // over 22 lines, more than one screen pixel per row
}

TEST(MessageSnapshotTest, SmallMessagesAndTheCardLookAsBefore) {
  if (!TakenWithThisFont() || FrmMsg::Instance().devicePixelRatio() != 1)
    GTEST_SKIP() << "the pictures were taken with DejaVu Sans Mono at scale 1";
  const std::pair<const char*, std::function<void(Scripted&)>> cases[] = {
      {"compile-errors",
       [](Scripted& p) {
         ShowMessageWindow(p, nullptr, "Numerella", "***Errori di Compilazione", kIconExclamation,
                           1, {"", "&Continua"});
       }},
      {"three-lines-question",
       [](Scripted& p) {
         ShowMessageWindow(p, nullptr, "Prova", "Prima riga\rSeconda \xE2 \xFD riga\r\rUltima",
                           kIconQuestion, 3, {"", "&S\xEC", "&No", "&Annulla"});
       }},
      {"card", [](Scripted& p) { ShowFunctionList(p, nullptr); }},
  };
  for (const auto& [name, show] : cases) {
    SCOPED_TRACE(name);
    const QImage picture = Picture(show);
    ASSERT_FALSE(picture.isNull());
    Compare(picture, name);
  }
}

}  // namespace
}  // namespace numerella
