// SPDX-License-Identifier: GPL-3.0-or-later
// How the message window shows a text: a huge listing cut down to the screen with its text
// scrolling (also by keyboard) and only the view drawn, at the screen's device pixel ratio;
// text and icons legible in light and dark palettes, the print black on white in both; small
// messages and the card compared pixel for pixel with stored pictures (written into the folder
// NUMERELLA_WRITE_SNAPSHOTS names instead, when set).
#include <gtest/gtest.h>

#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "colours.h"
#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/msg_text_area.h"
#include "message_window/print_anywhere.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Scripted = ScriptedPlatformServices;
using Action = Scripted::ModalAction;

// A compile listing as long as the longest formula gives: 16,385 numbered lines.
std::string HugeListing() {
  std::string text;
  for (int i = 1; i <= 16385; ++i) text += " " + std::to_string(i) + " a  Operando\r";
  return text;
}

// Shows text (or, with none, the card) over owner and runs action on the window.
void Show(const Action& action, const char* text = nullptr, int icon = kIconExclamation,
          QWidget* owner = nullptr) {
  Scripted platform;
  platform.QueueModal(Action([&](QDialog& d) { action(d), Scripted::PressButton(d, 1); }));
  if (text == nullptr) return ShowFunctionList(platform, owner);
  ShowMessageWindow(platform, owner, "Numerella", text, icon, 1, {"", "&Continua"});
}

TEST(MessageWindowViewTest, HugeListingStaysOnTheScreenAndScrollsByKeyboard) {
  FrmMsg& frm = FrmMsg::Instance();
  MsgTextArea& area = frm.TextArea();
  QScrollBar* bar = area.verticalScrollBar();
  const QRect room = QApplication::primaryScreen()->availableGeometry();
  std::vector<int> scrolled;  // the vertical scroll position after each key
  QImage picture;
  QWidget* focus_after_tab = nullptr;
  const std::string listing = HugeListing();
  Show(Action([&](QDialog& d) {
         d.grab();  // painted once, as on a screen
         picture = frm.SurfaceImage();
         EXPECT_TRUE(room.contains(d.frameGeometry())) << "window beyond the screen";
         auto* button = d.findChild<QPushButton*>(QStringLiteral("CmdMsg1"));
         auto* icon = d.findChild<QLabel*>(QStringLiteral("ImgEsc"));
         EXPECT_TRUE(d.rect().contains(button->geometry()));
         EXPECT_TRUE(icon->isVisible() && d.rect().contains(icon->geometry()));
         EXPECT_LE(area.geometry().bottom(), button->geometry().top());
         EXPECT_TRUE(bar->isVisible());
         EXPECT_GT(bar->maximum(), 16385 * 10);
         EXPECT_EQ(d.focusWidget(), button);
         const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
             {Qt::Key_PageDown, {}}, {Qt::Key_End, Qt::ControlModifier},
             {Qt::Key_PageUp, {}},   {Qt::Key_Tab, {}},  // the text area takes the focus
             {Qt::Key_Home, {}},     {Qt::Key_Down, {}},
             {Qt::Key_End, {}}};
         for (const auto& [key, modifiers] : keys) {
           QTest::keyClick(d.focusWidget(), key, modifiers);
           if (key == Qt::Key_Tab) focus_after_tab = d.focusWidget();
           if (key != Qt::Key_Tab) scrolled.push_back(bar->value());
         }
         d.grab();
       }),
       listing.c_str());
  EXPECT_EQ(focus_after_tab, &area);
  const int page = bar->pageStep(), end = bar->maximum(), line = bar->singleStep();
  EXPECT_EQ(scrolled, (std::vector<int>{page, end, end - page, 0, line, end}));
  // Only the view is drawn, at the screen's ratio; nothing stays drawn once closed.
  const double ratio = frm.devicePixelRatioF();
  EXPECT_LE(picture.height(), room.height() * ratio);
  EXPECT_LE(picture.width(), room.width() * ratio);
  EXPECT_TRUE(frm.SurfaceImage().isNull());
  // Every line was drawn where the layout puts it, and the picture to print is the whole text.
  ASSERT_EQ(frm.Drawn().size(), 16385u);
  EXPECT_EQ(frm.Drawn().back().bytes, " 16385 a  Operando");
  EXPECT_GT(frm.PictureSizeTwips().height(), frm.Drawn().back().y);
  // The next small message is laid out as before: no scroll bar, no focus for the text.
  Show(Action([&](QDialog& d) {
         EXPECT_FALSE(bar->isVisible());
         EXPECT_EQ(area.focusPolicy(), Qt::NoFocus);
         EXPECT_EQ(area.geometry(), d.rect());
       }),
       "Breve");
}

// A scrolling window over an owner in the screen's corner is kept inside the screen; a text
// scrolled sideways (on a screen scaled by 2, narrower than 80 cells) leaves the next one
// at its left.
TEST(MessageWindowViewTest, ScrollingWindowKeptInsideAndOpenedAtTheLeft) {
  const QRect room = QApplication::primaryScreen()->availableGeometry();
  QWidget owner;
  owner.setGeometry(room.right() - 60, room.bottom() - 60, 50, 50);
  const std::string listing = HugeListing(), wide(200, 'x');
  Show(Action([&](QDialog& d) { EXPECT_TRUE(room.contains(d.frameGeometry())); }), listing.c_str(),
       kIconStop, &owner);
  std::vector<int> opened;
  QScrollBar* bar = FrmMsg::Instance().TextArea().horizontalScrollBar();
  for (int k = 0; k < 2; ++k)
    Show(Action([&](QDialog&) {
           opened.push_back(bar->value());
           bar->setValue(bar->maximum());
           opened.push_back(bar->value());
         }),
         wide.c_str());
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[1] > 0, FrmMsg::Instance().devicePixelRatioF() >= 2);  // 80 cells too wide
  EXPECT_EQ(opened[2], 0);
}

// The part of a grabbed window's picture that shows rect (logical pixels of its client area).
QImage Part(const QImage& shown, const QRect& rect) {
  const qreal r = shown.devicePixelRatio();
  return shown.copy(QRectF(QPointF(rect.topLeft()) * r, QSizeF(rect.size()) * r).toRect());
}

// Where the first line of the text shows, in the window's client area.
QRect FirstLine(QDialog& d) {
  const FrmMsg& frm = FrmMsg::Instance();
  const FrmMsg::DrawnText& line = frm.Drawn().front();
  const double ppt = frm.PixelsPerTwip();
  return QRectF(line.x * ppt, line.y * ppt, frm.TextWidth(line.bytes) * ppt,
                frm.TextHeight(line.bytes) * ppt)
      .toRect()
      .translated(d.findChild<MsgTextArea*>()->pos());
}

// The card printed on a white page of 120 dpi.
QImage PrintedCard() {
  QImage page(1300, 900, QImage::Format_RGB32);
  page.setDotsPerMeterX(qRound(120 / 0.0254));
  page.setDotsPerMeterY(page.dotsPerMeterX());
  page.fill(Qt::white);
  EXPECT_TRUE(PrintAnywhere(FrmMsg::Instance(), page));
  return page;
}

// The window takes the application's palette as it changes: the text (the card's too) is
// drawn in its window text on its window colour, at least 4.5:1, and the icon's rim stands
// out at least 3:1 from that colour. The card prints the same whatever the screen shows.
TEST(MessageWindowViewTest, LegibleInLightAndDarkPalettesAndPrintedAlike) {
  const QPalette original = QApplication::palette();
  QImage first_print;
  const QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x32, 0x32, 0x32));  // white text
  for (const QPalette& palette : {original, dark, original}) {
    QApplication::setPalette(palette);
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    QImage shown, text, icon, card;
    Show(Action([&](QDialog& d) {
           shown = d.grab().toImage();
           text = Part(shown, FirstLine(d));
           icon = Part(shown, d.findChild<QLabel*>(QStringLiteral("ImgEsc"))->geometry());
         }),
         "***Errori di Compilazione");
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(QColor(shown.pixel(1, 1)), window);
    EXPECT_GE(InkContrast(text, window), 4.5)
        << palette.color(QPalette::WindowText).name().toStdString();
    int x = 0;  // the rim: the first pixel of the icon's middle row that is not the window
    while (x + 1 < icon.width() && QColor(icon.pixel(x, icon.height() / 2)) == window) ++x;
    EXPECT_GE(Contrast(QColor(icon.pixel(x, icon.height() / 2)), window), 3.0);
    Show(Action([&](QDialog& d) { card = Part(d.grab().toImage(), FirstLine(d)); }));
    EXPECT_GE(InkContrast(card, window), 4.5);
    const QImage page = PrintedCard();
    if (first_print.isNull()) first_print = page;
    EXPECT_EQ(page, first_print);
  }
}

// Compares picture with the stored one named name, or stores it.
void Compare(const QImage& picture, const char* name) {
  const QString file = QStringLiteral("%1.png").arg(QLatin1String(name));
  const QString out = qEnvironmentVariable("NUMERELLA_WRITE_SNAPSHOTS");
  const QImage expected = QImage(QStringLiteral(NUMERELLA_SNAPSHOTS "/") + file);
  EXPECT_TRUE(out.isEmpty() ? picture.convertToFormat(QImage::Format_RGB32) ==
                                  expected.convertToFormat(QImage::Format_RGB32)
                            : picture.save(QDir(out).filePath(file)))
      << name;
}

bool TakenWithThisFont() {
  return QFontInfo(FrmMsg::Instance().TextFont()).family() == QStringLiteral("DejaVu Sans Mono");
}

// The smallest rectangle holding every dark pixel of image, and their number.
std::pair<QRect, long> Ink(const QImage& image) {
  QRect box;
  long dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1), ++dark;
  return {box, dark};
}

TEST(MessageSnapshotTest, CardPrintsAsBeforeAtAnyScreenScale) {
  if (!TakenWithThisFont()) GTEST_SKIP() << "the pictures were taken with DejaVu Sans Mono";
  Scripted platform;
  ShowFunctionList(platform, nullptr);  // closed with "&Continua": printed from the record
  const QImage page = PrintedCard();
  if (FrmMsg::Instance().devicePixelRatioF() == 1) return Compare(page, "card-print");
  // With the screen scaled, fonts are not hinted: glyph pixels differ, but the text prints at
  // the same place and size.
  const auto [box, dark] = Ink(page);
  const auto [expected_box, expected_dark] = Ink(QImage(NUMERELLA_SNAPSHOTS "/card-print.png"));
  EXPECT_LE((box.topLeft() - expected_box.topLeft()).manhattanLength(), 2);
  EXPECT_LE((box.bottomRight() - expected_box.bottomRight()).manhattanLength(), 2);
  EXPECT_NEAR(static_cast<double>(dark) / expected_dark, 1, 0.2);
}

TEST(MessageSnapshotTest, HiDpiPictureAtTheScreensRatio) {
  FrmMsg& frm = FrmMsg::Instance();
  if (frm.devicePixelRatioF() < 2) GTEST_SKIP() << "run with QT_SCALE_FACTOR=2";
  QImage picture;
  QSize view;
  Show(Action([&](QDialog& d) {
    d.grab();
    picture = frm.SurfaceImage();
    view = frm.TextArea().viewport()->size();
  }));
  EXPECT_EQ(picture.devicePixelRatio(), frm.devicePixelRatioF());
  EXPECT_EQ(picture.size(), view * frm.devicePixelRatioF());
  // Rows with ink in twice as many as at ratio 1, because the text is drawn, not scaled up.
  int dark_rows = 0;
  for (int y = 0; y < picture.height(); ++y) {
    bool dark = false;
    for (int x = 0; x < picture.width() && !dark; ++x) dark = qAlpha(picture.pixel(x, y)) > 128;
    dark_rows += dark;
  }
  EXPECT_GT(dark_rows, 22 * frm.TextHeight("A") * frm.PixelsPerTwip());  // over 22 lines
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
      {"card", [](Scripted& p) { ShowFunctionList(p, nullptr); }}};
  for (const auto& [name, show] : cases) {
    QImage picture;
    Scripted platform;
    platform.QueueModal(Action([&](QDialog& d) {
      picture = d.grab().toImage();
      Scripted::PressButton(d, 1);
    }));
    show(platform);
    Compare(picture, name);
  }
}

}  // namespace
}  // namespace numerella
