// SPDX-License-Identifier: GPL-3.0-or-later
// How the message window shows a text: a huge listing cut down to the screen with its text
// scrolling (also by keyboard) and only the view drawn; the text offered to screen readers;
// the picture drawn at the screen's device pixel ratio while printing stays as it was; text
// and icons legible in light and dark palettes, the print black on white in both.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "colours.h"
#include "message_window/cp437.h"
#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/msg_text_area.h"
#include "message_window/print_anywhere.h"
#include "message_window/text_wrap.h"
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

int Show(const std::string& text, const Action& action, int icon = kIconExclamation) {
  Scripted platform;
  platform.QueueModal(action);
  return ShowMessageWindow(platform, nullptr, "Numerella", text, icon, 1, {"", "&Continua"});
}

TEST(MessageWindowViewTest, HugeListingStaysOnTheScreenAndScrollsByKeyboard) {
  FrmMsg& frm = FrmMsg::Instance();
  MsgTextArea& area = frm.TextArea();
  const QRect room = QApplication::primaryScreen()->availableGeometry();
  std::vector<int> scrolled;  // the vertical scroll position after each key
  QImage picture;
  QWidget* focus_after_tab = nullptr;
  const int pressed =
      Show(HugeListing(), Action([&](QDialog& d) {
             d.grab();  // painted once, as on a screen
             picture = frm.SurfaceImage();
             EXPECT_TRUE(room.contains(d.frameGeometry())) << "window beyond the screen";
             auto* button = d.findChild<QPushButton*>(QStringLiteral("CmdMsg1"));
             auto* icon = d.findChild<QLabel*>(QStringLiteral("ImgEsc"));
             EXPECT_TRUE(QRect(QPoint(), d.size()).contains(button->geometry()));
             EXPECT_TRUE(icon->isVisible() && QRect(QPoint(), d.size()).contains(icon->geometry()));
             EXPECT_LE(area.geometry().bottom(), button->geometry().top());
             QScrollBar* bar = area.verticalScrollBar();
             EXPECT_TRUE(bar->isVisible());
             EXPECT_GT(bar->maximum(), 16385 * 10);
             const auto key = [&](QWidget* to, Qt::Key k, Qt::KeyboardModifiers m = {}) {
               QTest::keyClick(to, k, m);
               scrolled.push_back(bar->value());
             };
             EXPECT_EQ(d.focusWidget(), button);
             key(button, Qt::Key_PageDown);                  // scrolls from the button
             key(button, Qt::Key_End, Qt::ControlModifier);  // to the end
             key(button, Qt::Key_PageUp);
             QTest::keyClick(button, Qt::Key_Tab);  // the text area takes the focus
             focus_after_tab = d.focusWidget();
             key(&area, Qt::Key_Home);
             key(&area, Qt::Key_Down);
             key(&area, Qt::Key_End);
             d.grab();
             QTest::keyClick(&area, Qt::Key_Return);  // from the text area: the first button
           }));
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(focus_after_tab, &area);
  ASSERT_EQ(scrolled.size(), 6u);
  const int page = area.verticalScrollBar()->pageStep(), end = area.verticalScrollBar()->maximum();
  const int line = area.verticalScrollBar()->singleStep();
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
  Show("Breve", Action([&](QDialog& d) {
         EXPECT_FALSE(area.verticalScrollBar()->isVisible());
         EXPECT_EQ(area.focusPolicy(), Qt::NoFocus);
         EXPECT_EQ(area.geometry(), QRect(QPoint(), d.size()));
         Scripted::PressButton(d, 1);
       }));
}

// A scrolling window over an owner in the screen's corner is kept inside the screen; a text
// scrolled sideways (on a screen scaled by 2, narrower than 80 cells) leaves the next one
// at its left.
TEST(MessageWindowViewTest, ScrollingWindowKeptInsideAndOpenedAtTheLeft) {
  FrmMsg& frm = FrmMsg::Instance();
  const QRect room = QApplication::primaryScreen()->availableGeometry();
  QWidget owner;
  owner.setGeometry(room.right() - 60, room.bottom() - 60, 50, 50);
  Scripted platform;
  platform.QueueModal(Action([&](QDialog& d) {
    EXPECT_TRUE(room.contains(d.frameGeometry())) << d.frameGeometry().y();
    Scripted::PressButton(d, 1);
  }));
  ShowMessageWindow(platform, &owner, "x", HugeListing(), kIconStop, 1, {"", "&Continua"});
  std::vector<int> opened;
  for (int k = 0; k < 2; ++k)
    Show(std::string(200, 'x'), Action([&](QDialog& d) {
           QScrollBar* bar = frm.TextArea().horizontalScrollBar();
           opened.push_back(bar->value());
           bar->setValue(bar->maximum());
           opened.push_back(bar->value());
           Scripted::PressButton(d, 1);
         }));
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[1] > 0, frm.devicePixelRatioF() >= 2);  // 80 cells beyond the screen's width
  EXPECT_EQ(opened[2], 0);
}

// The accessible texts of the window's parts, as a screen reader would ask for them.
QString Spoken(QObject* object, QAccessible::Text kind) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face != nullptr ? face->text(kind) : QStringLiteral("<none>");
}

TEST(MessageWindowViewTest, ScreenReadersGetTheWholeTextAndItalianNames) {
  const std::string card = FunctionCardText();
  QString expected_card = QString::fromUtf8(
      "  GAM(x) Gamma di x (\u0393(x)=(x-1)!)     LNGAM(x) Logaritmo naturale di \u0393(x)\n");
  const std::tuple<std::string, int, QString, QString> cases[] = {
      {"***Errori di Compilazione", kIconExclamation, "***Errori di Compilazione", "Attenzione"},
      {"Prima\r\rdopo \xFD\xE9 \xE0", kIconStop,
       QString::fromUtf8("Prima\n\ndopo \u00B2\u0398 \u03B1"), "Errore"},
      {"?", kIconQuestion, "?", "Domanda"},
      {"i", kIconInformation, "i", "Informazione"},
  };
  for (const auto& [text, icon, spoken, icon_name] : cases) {
    QStringList names;
    QString description, area_description, icon_spoken;
    Show(text, Action([&](QDialog& d) {
           description = Spoken(&d, QAccessible::Description);
           area_description = Spoken(d.findChild<MsgTextArea*>(), QAccessible::Description);
           names << Spoken(d.findChild<MsgTextArea*>(), QAccessible::Name)
                 << Spoken(d.findChild<QPushButton*>(QStringLiteral("CmdMsg1")), QAccessible::Name)
                 << Spoken(d.findChild<MsgTextArea*>()->verticalScrollBar(), QAccessible::Name);
           for (QLabel* l : d.findChildren<QLabel*>())
             if (l->isVisible()) icon_spoken = Spoken(l, QAccessible::Name);
           Scripted::PressButton(d, 1);
         }),
         icon);
    EXPECT_EQ(description, spoken);
    EXPECT_EQ(area_description, spoken);
    EXPECT_EQ(names, (QStringList{"Testo del messaggio", "Continua", "Scorrimento verticale"}));
    EXPECT_EQ(icon_spoken, icon_name);
  }
  QString card_spoken, title, print_name;
  Scripted platform;
  platform.QueueModal(Action([&](QDialog& d) {
    card_spoken = Spoken(&d, QAccessible::Description);
    title = Spoken(&d, QAccessible::Name);
    print_name = Spoken(d.findChild<QPushButton*>(QStringLiteral("CmdMsg2")), QAccessible::Name);
    Scripted::PressButton(d, 1);
  }));
  ShowFunctionList(platform, nullptr);
  EXPECT_EQ(title, QStringLiteral("Funzioni Intrinseche della Numerella"));
  EXPECT_EQ(print_name, QStringLiteral("Stampa"));
  EXPECT_TRUE(card_spoken.contains(expected_card)) << card_spoken.toStdString();
  EXPECT_TRUE(card_spoken.contains(QString::fromUtf8("  Del X\u00B2 o di Pearson")));
  EXPECT_EQ(card_spoken.count(QLatin1Char('\n')), 23);  // all 24 entries, the empty ones too
}

// The window's measure adds up the characters' advances: the same as the font measures whole
// lines, for every glyph the card and the listings use.
TEST(MessageWindowViewTest, CharacterWidthsAddUpToTheFontsLineWidths) {
  FrmMsg& frm = FrmMsg::Instance();
  frm.SetFontName("terminal");
  frm.SetFontSize(8);
  std::string all_glyphs;
  for (int byte = 32; byte < 256; ++byte) all_glyphs += static_cast<char>(byte);
  std::vector<std::string> lines = {all_glyphs, std::string(32700, 'a'), "  12 a+a+(a*a)^2"};
  const std::string card = FunctionCardText();  // the paragraphs are views into it
  for (std::string_view entry : SplitParagraphs(card)) lines.emplace_back(entry);
  const QFontMetricsF metrics(frm.TextFont(), &frm);
  for (const std::string& line : lines) {
    const double advance = metrics.horizontalAdvance(Cp437ToQString(line));
    EXPECT_EQ(frm.TextWidth(line), std::round(advance / frm.PixelsPerTwip())) << line;
  }
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
    Show("***Errori di Compilazione", Action([&](QDialog& d) {
           shown = d.grab().toImage();
           text = Part(shown, FirstLine(d));
           icon = Part(shown, d.findChild<QLabel*>(QStringLiteral("ImgEsc"))->geometry());
           Scripted::PressButton(d, 1);
         }));
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(QColor(shown.pixel(1, 1)), window);
    EXPECT_GE(InkContrast(text, window), 4.5)
        << palette.color(QPalette::WindowText).name().toStdString();
    int x = 0;  // the rim: the first pixel of the icon's middle row that is not the window
    while (x + 1 < icon.width() && QColor(icon.pixel(x, icon.height() / 2)) == window) ++x;
    EXPECT_GE(Contrast(QColor(icon.pixel(x, icon.height() / 2)), window), 3.0);

    Scripted platform;
    platform.QueueModal(Action([&](QDialog& d) {
      card = Part(d.grab().toImage(), FirstLine(d));
      Scripted::PressButton(d, 1);
    }));
    ShowFunctionList(platform, nullptr);
    EXPECT_GE(InkContrast(card, window), 4.5);
    QImage page(1300, 900, QImage::Format_RGB32);
    page.fill(Qt::white);
    ASSERT_TRUE(PrintAnywhere(FrmMsg::Instance(), page));
    if (first_print.isNull()) first_print = page;
    EXPECT_EQ(page, first_print);
  }
}

}  // namespace
}  // namespace numerella
