// SPDX-License-Identifier: GPL-3.0-or-later
// The message window through ShowMessageWindow with scripted answers, the reference card of
// functions, and PrintAnywhere onto images and PDF pages (checked on the rendered pixels).
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "message_window/cp437.h"
#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/print_anywhere.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Scripted = ScriptedPlatformServices;
using Action = Scripted::ModalAction;
const std::vector<std::string> kCaptions = {"", "&Continua", "&Stampa", "&Ripeti", "&Annulla"};

// Shows a message with n buttons, answering with the given action.
int Show(int n, const Scripted::ModalAnswer& answer, int icon = kIconNone,
         const std::string& text = "Messaggio") {
  Scripted platform;
  platform.QueueModal(answer);
  return ShowMessageWindow(platform, nullptr, "Prova", text, icon, n, kCaptions);
}

// The texts drawn on the window, line by line.
std::vector<std::string> DrawnLines() {
  std::vector<std::string> lines;
  for (const FrmMsg::DrawnText& d : FrmMsg::Instance().Drawn()) lines.push_back(d.bytes);
  return lines;
}

TEST(MessageWindowTest, ButtonsCarryTheCaptionsAndExtraOnesLastOneCall) {
  for (const auto& [n, press] : {std::pair{4, 2}, {1, 1}, {3, 3}, {2, 2}, {4, 4}}) {
    std::vector<std::string> captions;
    std::vector<int> lefts;
    std::size_t members = 0;
    const int pressed = Show(n, Action([&, press = press](QDialog& d) {
                               members = d.findChildren<QPushButton*>().size();
                               for (int k = 1; k <= 8; ++k) {
                                 auto* b =
                                     d.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(k));
                                 if (b != nullptr && b->isVisible())
                                   captions.push_back(b->text().toStdString());
                                 if (b != nullptr && b->isVisible()) lefts.push_back(b->x());
                               }
                               Scripted::PressButton(d, press);
                             }));
    SCOPED_TRACE(n);
    EXPECT_EQ(pressed, press);
    EXPECT_EQ(PressedButton(), press);
    EXPECT_EQ(members, static_cast<std::size_t>(std::max(n, 2)));  // members 2 ... n-1 added
    EXPECT_EQ(FrmMsg::Instance().findChildren<QPushButton*>().size(), 2);  // and removed
    EXPECT_EQ(captions, std::vector<std::string>(kCaptions.begin() + 1, kCaptions.begin() + n + 1));
    EXPECT_EQ(std::adjacent_find(lefts.begin(), lefts.end(), std::greater_equal<>()), lefts.end());
  }
}

TEST(MessageWindowTest, KeysAndClosingPressButtons) {
  // A key typed into the focused widget or button `to`; wait for a shortcut's press animation.
  const auto key = [](Qt::Key k, const char* to = nullptr, Qt::KeyboardModifiers m = {}) {
    return Action([=](QDialog& d) {
      QWidget* w = to ? d.findChild<QPushButton*>(to) : d.focusWidget() ? d.focusWidget() : &d;
      w->setFocus(), QTest::keyClick(w, k, m), QTest::qWait(m == Qt::NoModifier ? 0 : 300);
    });
  };
  const std::tuple<const char*, Action, int> cases[] = {
      // 0: still shown
      {"access key S", key(Qt::Key_S), 2},
      {"access key c", key(Qt::Key_C), 1},
      {"Alt+S", key(Qt::Key_S, nullptr, Qt::AltModifier), 2},
      {"X: nothing", key(Qt::Key_X), 0},
      {"Enter at first goes to the first button", key(Qt::Key_Return), 1},
      {"Enter on the focused second button", key(Qt::Key_Return, "CmdMsg2"), 2},
      {"Space on the focused second button", key(Qt::Key_Space, "CmdMsg2"), 2},
      // Closing counts as button 1, not as the press before it.
      {"Esc", key(Qt::Key_Escape), 1},
      {"title-bar close", [](QDialog& d) { d.close(); }, 1},
  };
  for (const auto& [name, action, expected] : cases) {
    ASSERT_EQ(Show(2, 2), 2);  // an earlier press of the second button
    int during = -1;
    const int result = Show(2, Action([&, &action = action](QDialog& d) {
                              action(d);
                              during = d.isVisible() ? 0 : PressedButton();
                            }));
    EXPECT_EQ(std::pair(during, expected ? result : 0), std::pair(expected, expected)) << name;
  }
}

TEST(MessageWindowTest, ChosenIconShownAndTextDrawnPastItsRoomWrappedAtEightyCells) {
  FrmMsg& frm = FrmMsg::Instance();
  const double g = 0.2 * frm.ButtonWidthTwips();
  std::string long_paragraph;
  for (int i = 0; i < 30; ++i) long_paragraph += "parola ";  // 210 characters
  const std::pair<int, const char*> cases[] = {{kIconNone, ""},
                                               {kIconQuestion, "ImgDom"},
                                               {kIconExclamation, "ImgEsc"},
                                               {kIconInformation, "ImgInf"},
                                               {kIconStop, "ImgStp"},
                                               {5, ""}};
  for (const auto& [kind, visible] : cases) {
    QStringList shown;
    Show(1, Action([&](QDialog& d) {
           for (QLabel* l : d.findChildren<QLabel*>())
             if (l->isVisible()) shown << l->objectName();
           Scripted::PressButton(d, 1);
         }),
         kind, "Prima riga\r" + long_paragraph);
    EXPECT_EQ(shown.join(""), QString::fromLatin1(visible)) << kind;
    const std::vector<std::string> lines = DrawnLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Prima riga");
    std::string joined;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      EXPECT_LE(lines[i].size(), 80u);
      joined += lines[i];
    }
    EXPECT_EQ(joined, long_paragraph);
    const std::vector<FrmMsg::DrawnText>& d = frm.Drawn();
    EXPECT_NEAR(d[0].x, kind == kIconNone ? g : 2 * g + frm.IconWidthTwips(), 1e-9);
    EXPECT_NEAR(d[1].y - d[0].y, 1.5 * frm.TextHeight("A"), 1e-9);  // paragraph to paragraph
    EXPECT_NEAR(d[2].y - d[1].y, 2 * frm.TextWidth("A"), 1e-9);     // within a paragraph
  }
}

TEST(FunctionCardTest, TextByteForByteShownInTwentyTwoLines) {
  const std::string card = FunctionCardText();
  // FNV-1a (64 bits) of the whole card, computed independently from the entries as listed.
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : card) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  EXPECT_EQ(hash, 0x57a422db8c72d9bcu);
  const QString glyphs = Cp437ToQString(card);  // bytes E2 (twice) and FD
  EXPECT_EQ(glyphs.count(QChar(0x0393)), 2);    // Γ
  EXPECT_EQ(glyphs.count(QChar(0x00B2)), 1);    // ²
  Scripted platform;
  ShowFunctionList(platform, nullptr);
  EXPECT_EQ(platform.modals().at(0).title, QStringLiteral("Funzioni Intrinseche della Numerella"));
  const FrmMsg& frm = FrmMsg::Instance();
  std::vector<std::string> entries;  // the two empty ones take no line
  for (const QByteArray& e : QByteArray::fromStdString(card).split('\r'))
    if (!e.isEmpty()) entries.push_back(e.toStdString());
  ASSERT_EQ(entries.size(), 22u);
  EXPECT_EQ(DrawnLines(), entries);
  const double g = 0.2 * frm.ButtonWidthTwips();
  for (std::size_t i = 0; i < frm.Drawn().size(); ++i) {
    EXPECT_NEAR(frm.Drawn()[i].x, g, 1e-9);
    EXPECT_NEAR(frm.Drawn()[i].y, g + 1.5 * frm.TextHeight("A") * i, 1e-9);
  }
}

TEST(FunctionCardTest, StampaPrintsOrOffersAPdfFile) {
  QTemporaryDir dir;
  const char *kNone = nullptr, *kGood = "scheda.pdf", *kFailing = "/nonexistent/dir/x.pdf";
  const QString path = dir.filePath(kGood);  // a failing print job: its folder does not exist
  enum { kCancel, kPick, kPickSaveFails };   // in the file dialog
  // Press on the card, printer, answer to the question, file dialog, boxes shown, PDF written.
  const std::tuple<const char*, Scripted::ModalAnswer, const char*, BoxAnswer, int,
                   std::vector<std::string>, bool>
      cases[] = {
          {"Continua", 1, kGood, BoxAnswer::kNo, kCancel, {}, false},
          // After an earlier "&Stampa" (below), closing must not print again.
          {"closed", Action(&QDialog::close), kGood, BoxAnswer::kNo, kCancel, {}, false},
          {"printed", 2, kGood, BoxAnswer::kNo, kCancel, {}, true},
          {"no printer, declined", 2, kNone, BoxAnswer::kNo, kCancel, {kNoPrinterText}, false},
          {"file dialog cancelled", 2, kNone, BoxAnswer::kYes, kCancel, {kNoPrinterText}, false},
          {"saved", 2, kNone, BoxAnswer::kYes, kPick, {kNoPrinterText}, true},
          {"save fails",
           2,
           kNone,
           BoxAnswer::kYes,
           kPickSaveFails,
           {kNoPrinterText, kPdfFailedText},
           0},
          {"print job fails", 2, kFailing, BoxAnswer::kNo, kCancel, {kPrintFailedText}, false},
      };
  for (const auto& [name, press, printer, answer, file, boxes, written] : cases) {
    SCOPED_TRACE(name);
    QFile::remove(path);
    Scripted platform;
    platform.QueueModal(2);
    ShowMessageWindow(platform, nullptr, "x", "y", kIconNone, 2, {"", "a", "b"});
    if (printer) platform.QueuePrinter(std::make_unique<QPdfWriter>(dir.filePath(printer)));
    platform.QueueModal(press);
    platform.QueueBoxAnswer(answer);
    platform.QueueFileAnswer(file != kCancel ? std::optional<QString>(path) : std::nullopt);
    if (file == kPickSaveFails) platform.FailNextSaves(1);
    ShowFunctionList(platform, nullptr);
    EXPECT_EQ(platform.printer_requests(), written || !boxes.empty() ? 1 : 0);  // on "&Stampa"
    EXPECT_EQ(platform.modals().size(), 2u);  // the card is not shown again
    std::vector<std::string> texts;
    for (const auto& box : platform.boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, boxes);
    if (!texts.empty()) {
      EXPECT_EQ(platform.boxes().front().style, BoxStyle::kYesNoQuestion);
    }
    EXPECT_EQ(platform.file_dialogs().size(), answer == BoxAnswer::kYes ? 1u : 0u);
    QFile pdf(path);
    EXPECT_EQ(pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF", written);
  }
}

// A picture that is one black rectangle of its whole size.
struct BlockPicture : WindowPicture {
  BlockPicture(double w, double h) : size(w, h) {}
  QSizeF PictureSizeTwips() const override { return size; }
  void PaintPicture(QPainter& p, double ppt) const override {
    p.fillRect(QRectF(QPointF(), size * ppt), Qt::black);
  }
  QSizeF size;
};

// The smallest rectangle holding every dark pixel of image.
QRect DarkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(PrintAnywhereTest, CentredAtItsOwnSizeOnImagesAndOnePdfPageTurnedByTheShape) {
  const std::tuple<QSizeF, int, QRect> cases[] = {
      // picture in twips, image dpi, dark pixels
      {{6000, 4000}, 144, {200, 200, 600, 400}},
      {{4000, 6000}, 144, {300, 100, 400, 600}},
      {{2880, 1440}, 72, {428, 364, 144, 72}},
      {{10000, 8000}, 144, {0, 0, 1000, 800}}};  // exactly the image's size
  for (const auto& [picture, dpi, expected] : cases) {
    QImage image(1000, 800, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    ASSERT_TRUE(PrintAnywhere(BlockPicture(picture.width(), picture.height()), image));
    EXPECT_EQ(DarkBox(image), expected) << picture.width() << "x" << picture.height();
  }
  QPdfWriter failing("/nonexistent/dir/x.pdf");  // cannot be painted on: reported
  failing.setPageOrientation(QPageLayout::Portrait);
  EXPECT_FALSE(PrintAnywhere(BlockPicture(6000, 4000), failing));
  EXPECT_EQ(failing.pageLayout().orientation(), QPageLayout::Portrait);
  if (QProcess::execute("pdftoppm", {"-v"}) < 0) GTEST_SKIP() << "poppler-utils not installed";
  const std::tuple<double, double, QPageLayout::Orientation, bool> pages[] = {
      {6000, 4000, QPageLayout::Portrait, true},
      {4000, 6000, QPageLayout::Landscape, false},
      {5000, 5000, QPageLayout::Landscape, false},  // a square prints in portrait
      {7200, 4320, QPageLayout::Landscape, true}};
  QTemporaryDir dir;
  for (const auto& [w, h, before, landscape] : pages) {
    const QString stem = dir.filePath(QStringLiteral("%1x%2").arg(w).arg(h));
    SCOPED_TRACE(stem.toStdString());
    {
      QPdfWriter writer(stem + ".pdf");
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageMargins(QMarginsF(0, 0, 0, 0));
      writer.setPageOrientation(before);
      ASSERT_TRUE(PrintAnywhere(BlockPicture(w, h), writer));
      EXPECT_EQ(writer.pageLayout().orientation(), before);
    }
    // Each page rendered at 72 dpi (a pixel to the point) into <stem>-<page>.png.
    QProcess::execute("pdftoppm", {"-r", "72", "-png", stem + ".pdf", stem});
    EXPECT_FALSE(QFile::exists(stem + "-2.png"));
    const QImage page(stem + "-1.png");
    EXPECT_EQ(page.width() > page.height(), landscape);
    QRectF expected(0, 0, w / 20, h / 20);
    expected.moveCenter(QRectF(page.rect()).center());
    const QRectF box = DarkBox(page);
    EXPECT_LE((box.topLeft() - expected.topLeft()).manhattanLength(), 3);
    EXPECT_LE((box.bottomRight() - expected.bottomRight()).manhattanLength(), 3);
  }
}

}  // namespace
}  // namespace numerella
