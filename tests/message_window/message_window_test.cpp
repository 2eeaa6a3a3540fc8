// SPDX-License-Identifier: GPL-3.0-or-later
// The message window and the reference card shown with scripted answers, PrintAnywhere onto
// images and PDF pages, and pictures compared pixel for pixel with stored ones.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "colours.h"
#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/msg_text_area.h"
#include "message_window/print_anywhere.h"
#include "platform/scripted_platform_services.h"
#include "table.h"

namespace numerella {
namespace {

using Scripted = ScriptedPlatformServices;
using Action = Scripted::ModalAction;
using Captions = std::vector<std::string>;
const Captions kCaptions = {"", "&Continua", "&Stampa", "&Ripeti", "&Annulla"};

std::vector<table::Row> Table(const char* name) {
  return table::Read(std::string(NUMERELLA_TABLES "/") + name);
}

// Shows a message of n buttons (with no text: the card) over owner and runs action on the
// window, then presses the first button unless the window was closed. The button pressed.
int Show(const Action& action, const std::optional<std::string>& text = "Messaggio",
         int icon = kIconExclamation, int n = 1, QWidget* owner = nullptr,
         const Captions& captions = kCaptions) {
  Scripted platform;
  platform.QueueModal(Action([&](QDialog& d) {
    action(d);
    if (d.isVisible()) Scripted::PressButton(d, 1);
  }));
  if (!text) return ShowFunctionList(platform, owner), PressedButton();
  return ShowMessageWindow(platform, owner, "Prova", *text, icon, n, captions);
}

// What a screen reader is told of object.
QString Spoken(QObject* object, QAccessible::Text kind = QAccessible::Name) {
  return QAccessible::queryAccessibleInterface(object)->text(kind);
}

// The window as it is made, before its first message (each test runs in a process of its
// own): button members 0 and 1 (CmdMsg1, CmdMsg2) exist, and each icon keeps its size
// whatever the layout does.
TEST(MessageWindowTest, AsMadeBeforeItsFirstMessage) {
  const FrmMsg& window = FrmMsg::Instance();
  EXPECT_NE(window.findChild<QPushButton*>(QStringLiteral("CmdMsg2")), nullptr);
  for (const char* name : {"ImgDom", "ImgEsc", "ImgInf", "ImgStp"}) {
    const auto* icon = window.findChild<QLabel*>(QString::fromLatin1(name));
    ASSERT_NE(icon, nullptr) << name;
    EXPECT_EQ(icon->minimumSize(), icon->maximumSize()) << name;
    EXPECT_GT(icon->minimumWidth(), 0) << name;
  }
}

// Buttons 2 ... n-1 are added for one call with their captions, and removed after it.
TEST(MessageWindowTest, KeysAndClosingPressButtons) {
  for (const table::Row& row : Table("keys.tsv")) {
    const int n = std::stoi(row[0]), expected = std::stoi(row[3]);
    const QKeyCombination key = QKeySequence(QString::fromStdString(row[1]))[0];
    const std::string to = row[2];
    // An earlier press of the second button.
    ASSERT_EQ(Show([](QDialog& d) { Scripted::PressButton(d, 2); }, "Messaggio", kIconNone, 2), 2);
    int during = -1;
    Captions captions;  // the number of members, then the captions shown
    const int result = Show(Action([&](QDialog& d) {
                              captions = {std::to_string(d.findChildren<QPushButton*>().size())};
                              for (QPushButton* b : d.findChildren<QPushButton*>())
                                if (b->isVisible()) captions.push_back(b->text().toStdString());
                              auto* b = d.findChild<QPushButton*>(QString::fromStdString(to));
                              QWidget* w = b != nullptr ? b : d.focusWidget();
                              if (to == "close")
                                d.close();
                              else
                                w->setFocus(),
                                    QTest::keyClick(w, key.key(), key.keyboardModifiers());
                              QTest::qWait(key.keyboardModifiers() ? 300 : 0);  // the press shows
                              during = d.isVisible() ? 0 : PressedButton();
                            }),
                            "Messaggio", kIconNone, n);
    EXPECT_EQ(std::pair(during, expected ? result : 0), std::pair(expected, expected)) << row[1];
    Captions expected_captions(kCaptions.begin(), kCaptions.begin() + n + 1);
    expected_captions[0] = std::to_string(std::max(n, 2));  // members 2 ... n-1 added
    EXPECT_EQ(captions, expected_captions);
    EXPECT_EQ(FrmMsg::Instance().findChildren<QPushButton*>().size(), 2);  // after the call
  }
}

TEST(MessageWindowTest, ChosenIconShownTextWrappedAtEightyCellsAndSpoken) {
  FrmMsg& frm = FrmMsg::Instance();
  const double g = 0.2 * frm.ButtonWidthTwips();
  for (const table::Row& row : Table("icons.tsv")) {
    const int kind = std::stoi(row[0]);
    const std::string text = table::Unescape(row[1]);
    QStringList told;  // the icon shown and its name, the descriptions, the parts' names
    Show(Action([&](QDialog& d) {
           for (QLabel* l : d.findChildren<QLabel*>())
             if (l->isVisible()) told << l->objectName() << Spoken(l);
           auto* area = d.findChild<MsgTextArea*>();
           told << Spoken(&d, QAccessible::Description) << Spoken(area, QAccessible::Description)
                << Spoken(area) << Spoken(d.findChild<QPushButton*>(QStringLiteral("CmdMsg1")))
                << Spoken(area->verticalScrollBar());
         }),
         text, kind);
    const QString spoken = QString::fromStdString(table::Unescape(row[4]));
    EXPECT_EQ(told.join("|"),
              (row[2] == "-" ? "" : QString::fromStdString(row[2] + "|" + row[3] + "|")) + spoken +
                  "|" + spoken + "|Testo del messaggio|Continua|Scorrimento verticale");
    const std::vector<FrmMsg::DrawnText>& d = frm.Drawn();
    std::string joined, unbroken = text;
    std::erase(unbroken, '\r');
    for (const FrmMsg::DrawnText& line : d) joined += line.bytes.size() <= 80 ? line.bytes : "!";
    EXPECT_EQ(joined, unbroken);
    EXPECT_NEAR(d[0].x, kind == kIconNone ? g : 2 * g + frm.IconWidthTwips(), 1e-9);
  }
}

TEST(FunctionCardTest, TextByteForByteShownInTwentyTwoLinesAndSpoken) {
  const std::string card = FunctionCardText();
  // FNV-1a (64 bits) of the whole card, computed independently from the entries as listed.
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : card) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  EXPECT_EQ(hash, 0x57a422db8c72d9bcu);
  QStringList told;  // all 24 entries are spoken, the empty ones too
  Show(Action([&](QDialog& d) {
         told << Spoken(&d) << Spoken(d.findChild<QPushButton*>(QStringLiteral("CmdMsg2")))
              << QString::number(Spoken(&d, QAccessible::Description).count(QLatin1Char('\n')));
       }),
       std::nullopt);
  EXPECT_EQ(told, (QStringList{"Funzioni Intrinseche della Numerella", "Stampa", "23"}));
  EXPECT_EQ(FrmMsg::Instance().Drawn().size(), 22u);  // the two empty entries take no line
}

TEST(FunctionCardTest, StampaPrintsOrOffersAPdfFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("scheda.pdf");
  for (const table::Row& row : Table("card_print_cases.tsv")) {
    SCOPED_TRACE(row[0] + " " + row[1] + " " + row[3]);
    QFile::remove(path);
    Scripted platform;
    platform.QueueModal(2);
    ShowMessageWindow(platform, nullptr, "x", "y", kIconNone, 2, {"", "a", "b"});
    if (row[1] != "-")
      platform.QueuePrinter(std::make_unique<QPdfWriter>(
          row[1] == "good" ? path : QStringLiteral("/nonexistent/dir/x.pdf")));
    platform.QueueModal(row[0] == "close" ? Scripted::ModalAnswer(Action(&QDialog::close))
                                          : std::stoi(row[0]));
    platform.QueueBoxAnswer(row[2] == "yes" ? BoxAnswer::kYes : BoxAnswer::kNo);
    platform.QueueFileAnswer(row[3] != "-" ? std::optional<QString>(path) : std::nullopt);
    if (row[3] == "fails") platform.FailNextSaves(1);
    ShowFunctionList(platform, nullptr);
    std::string boxes;
    for (const auto& box : platform.boxes())
      boxes += (boxes.empty() ? "" : "|") + box.text.substr(0, box.text.find('\r'));
    EXPECT_EQ(boxes, table::Unescape(row[4] == "-" ? "" : row[4]));
    for (const auto& box : platform.boxes())  // the first asks; a failed save only tells
      EXPECT_EQ(box.style == BoxStyle::kYesNoQuestion, &box == &platform.boxes().front());
    // A printer asked for on "&Stampa" only, the card not shown again, the file dialog on "yes".
    EXPECT_EQ(std::tuple(platform.printer_requests(), platform.modals().size(),
                         platform.file_dialogs().size()),
              std::tuple(row[0] == "2" ? 1 : 0, 2u, row[2] == "yes" ? 1u : 0u));
    QFile pdf(path);
    EXPECT_EQ(pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF", row[5] == "1");
  }
}

// The longest compile listing (16,385 lines) over an owner in the screen's corner stays inside
// the screen, scrolls by keyboard, only its view drawn; a text scrolled sideways (at scale 2,
// narrower than 80 cells) leaves the next one at its left.
TEST(MessageWindowViewTest, HugeListingKeptInsideTheScreenScrollsAndNextOpensAtTheLeft) {
  FrmMsg& frm = FrmMsg::Instance();
  MsgTextArea& area = frm.TextArea();
  QScrollBar* bar = area.verticalScrollBar();
  const QRect room = QApplication::primaryScreen()->availableGeometry();
  QWidget owner;
  owner.setGeometry(room.right() - 60, room.bottom() - 60, 50, 50);
  std::string listing;
  for (int i = 1; i <= 16385; ++i) listing += " " + std::to_string(i) + " a  Operando\r";
  std::vector<int> scrolled;  // the vertical scroll position after each key
  QImage picture;
  QSize view;
  const auto keys_and_looks = [&](QDialog& d) {
    d.grab();  // painted once, as on a screen
    picture = frm.SurfaceImage();
    view = area.viewport()->size();
    EXPECT_TRUE(room.contains(d.frameGeometry())) << "window beyond the screen";
    auto* button = d.findChild<QPushButton*>(QStringLiteral("CmdMsg1"));
    auto* icon = d.findChild<QLabel*>(QStringLiteral("ImgEsc"));
    EXPECT_TRUE(d.rect().contains(button->geometry()) && icon->isVisible() &&
                d.rect().contains(icon->geometry()) &&
                area.geometry().bottom() <= button->geometry().top());
    EXPECT_TRUE(bar->isVisible() && bar->maximum() > 16385 * 10);
    EXPECT_EQ(d.focusWidget(), button);
    for (const char* name : {"PgDown", "Ctrl+End", "PgUp", "Tab", "Home", "Down", "End"}) {
      const QKeyCombination key = QKeySequence(QString::fromLatin1(name))[0];
      QTest::keyClick(d.focusWidget(), key.key(), key.keyboardModifiers());
      EXPECT_TRUE(key.key() != Qt::Key_Tab || d.focusWidget() == &area);  // the text takes it
      if (key.key() != Qt::Key_Tab) scrolled.push_back(bar->value());
    }
    d.grab();
  };
  Show(keys_and_looks, listing, kIconExclamation, 1, &owner);
  const int page = bar->pageStep(), end = bar->maximum(), line = bar->singleStep();
  EXPECT_EQ(scrolled, (std::vector<int>{page, end, end - page, 0, line, end}));
  // Only the view is drawn, at the screen's ratio; nothing stays drawn once closed.
  EXPECT_EQ(picture.devicePixelRatio(), frm.devicePixelRatioF());
  EXPECT_EQ(picture.size(), view * frm.devicePixelRatioF());
  EXPECT_TRUE(frm.SurfaceImage().isNull());
  // Every line was drawn where the layout puts it, and the picture to print is the whole text.
  ASSERT_EQ(frm.Drawn().size(), 16385u);
  EXPECT_EQ(frm.Drawn().back().bytes, " 16385 a  Operando");
  EXPECT_GT(frm.PictureSizeTwips().height(), frm.Drawn().back().y);
  // The next messages are laid out as before: no scroll bar, no focus for the text.
  std::vector<int> opened;
  QScrollBar* across = area.horizontalScrollBar();
  for (int k = 0; k < 2; ++k)
    Show(Action([&](QDialog& d) {
           EXPECT_TRUE(k > 0 || (!bar->isVisible() && area.focusPolicy() == Qt::NoFocus &&
                                 area.geometry() == d.rect()));
           opened.push_back(across->value());
           across->setValue(across->maximum());
           opened.push_back(across->value());
         }),
         k == 0 ? "Breve" : std::string(200, 'x'));
  Show(Action([&](QDialog&) { opened.push_back(across->value()); }), std::string(200, 'x'));
  EXPECT_EQ(opened[3] > 0, frm.devicePixelRatioF() >= 2);  // 80 cells beyond the screen's width
  EXPECT_EQ(opened[4], 0);
}

// The part of a grabbed window's picture that shows rect, or the first line of its text.
QImage Part(QDialog& d, QRectF rect = {}) {
  const QImage shown = d.grab().toImage();
  const FrmMsg& frm = FrmMsg::Instance();
  const FrmMsg::DrawnText& line = frm.Drawn().front();
  const double ppt = frm.PixelsPerTwip();
  if (rect.isNull())
    rect = QRectF(line.x * ppt, line.y * ppt, frm.TextWidth(line.bytes) * ppt,
                  frm.TextHeight(line.bytes) * ppt)
               .translated(d.findChild<MsgTextArea*>()->pos());
  const double r = shown.devicePixelRatio();
  return shown.copy(QRectF(rect.topLeft() * r, rect.size() * r).toRect());
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

// As the palette changes the text (the card's too) keeps 4.5:1 on the window colour, the
// icon's rim 3:1; the card prints the same whatever the screen shows.
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
           text = Part(d);
           icon = Part(d, d.findChild<QLabel*>(QStringLiteral("ImgEsc"))->geometry());
         }),
         "***Errori di Compilazione");
    EXPECT_EQ(QColor(shown.pixel(1, 1)), window);
    EXPECT_GE(InkContrast(text, window), 4.5);
    int x = 0;  // the rim: the first pixel of the icon's middle row that is not the window
    while (x + 1 < icon.width() && QColor(icon.pixel(x, icon.height() / 2)) == window) ++x;
    EXPECT_GE(Contrast(QColor(icon.pixel(x, icon.height() / 2)), window), 3.0);
    Show(Action([&](QDialog& d) { card = Part(d); }), std::nullopt);
    EXPECT_GE(InkContrast(card, window), 4.5);
    const QImage page = PrintedCard();
    if (first_print.isNull()) first_print = page;
    EXPECT_EQ(page, first_print);
  }
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

// A picture that is one black rectangle of its whole size.
struct BlockPicture : WindowPicture {
  explicit BlockPicture(const QSizeF& s) : size(s) {}
  QSizeF PictureSizeTwips() const override { return size; }
  void PaintPicture(QPainter& p, double ppt) const override {
    p.fillRect(QRectF(QPointF(), size * ppt), Qt::black);
  }
  QSizeF size;
};

TEST(PrintAnywhereTest, CentredAtItsOwnSizeOnImagesAndOnePdfPageTurnedByTheShape) {
  for (const table::Row& row : Table("print_pages.tsv")) {
    SCOPED_TRACE(row[1]);
    const std::vector<std::optional<double>> wh = table::Values(row[1]);
    const BlockPicture picture({*wh[0], *wh[1]});
    if (row[0] == "image") {
      QImage image(1000, 800, QImage::Format_RGB32);
      image.setDotsPerMeterX(qRound(std::stoi(row[2]) / 0.0254));
      image.setDotsPerMeterY(image.dotsPerMeterX());
      image.fill(Qt::white);
      ASSERT_TRUE(PrintAnywhere(picture, image));
      const QRect box = Ink(image).first;
      EXPECT_EQ(table::Show(table::Values(row[3])),
                table::Show({box.x(), box.y(), box.width(), box.height()}));
      continue;
    }
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    const auto before = row[2] == "portrait" ? QPageLayout::Portrait : QPageLayout::Landscape;
    {
      QPdfWriter writer(&pdf);
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageOrientation(before);
      ASSERT_TRUE(PrintAnywhere(picture, writer));
      EXPECT_EQ(writer.pageLayout().orientation(), before);
    }
    QStringList pages;  // as the file lays them out
    auto box = QRegularExpression(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+))").globalMatch(pdf.data());
    while (box.hasNext()) {
      const QRegularExpressionMatch m = box.next();
      pages << (m.captured(1).toDouble() > m.captured(2).toDouble() ? "landscape" : "portrait");
    }
    EXPECT_EQ(pages.join(" ").toStdString(), row[3]);
  }
}

// Compares picture with the stored one named name, or stores it in NUMERELLA_WRITE_SNAPSHOTS.
void Compare(const QImage& picture, const QString& name) {
  const QString out = qEnvironmentVariable("NUMERELLA_WRITE_SNAPSHOTS"), file = name + ".png";
  if (!out.isEmpty()) return (void)picture.save(QDir(out).filePath(file));
  const QImage expected(QStringLiteral(NUMERELLA_SNAPSHOTS "/") + file);
  EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) ==
              expected.convertToFormat(QImage::Format_RGB32))
      << name.toStdString();
}

bool TakenWithThisFont() {
  return QFontInfo(FrmMsg::Instance().TextFont()).family() == QStringLiteral("DejaVu Sans Mono");
}

TEST(MessageSnapshotTest, CardPrintsAsBeforeAtAnyScreenScale) {
  if (!TakenWithThisFont()) GTEST_SKIP() << "the pictures were taken with DejaVu Sans Mono";
  Show([](QDialog&) {}, std::nullopt);  // closed with "&Continua": printed from the record
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

TEST(MessageSnapshotTest, SmallMessagesAndTheCardLookAsBefore) {
  if (!TakenWithThisFont() || FrmMsg::Instance().devicePixelRatio() != 1)
    GTEST_SKIP() << "the pictures were taken with DejaVu Sans Mono at scale 1";
  const Captions yes_no = {"", "&S\xEC", "&No", "&Annulla"};
  const std::tuple<const char*, std::optional<std::string>, int, Captions> cases[] = {
      {"compile-errors", "***Errori di Compilazione", kIconExclamation, {"", "&Continua"}},
      {"three-lines-question", "Prima riga\rSeconda \xE2 \xFD riga\r\rUltima", kIconQuestion,
       yes_no},
      {"card", std::nullopt, 0, {}}};
  for (const auto& [name, text, icon, captions] : cases) {
    QImage picture;
    Show([&](QDialog& d) { picture = d.grab().toImage(); }, text, icon,
         static_cast<int>(captions.size()) - 1, nullptr, captions);
    Compare(picture, name);
  }
}

}  // namespace
}  // namespace numerella
