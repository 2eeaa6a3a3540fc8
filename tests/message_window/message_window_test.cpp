// SPDX-License-Identifier: GPL-3.0-or-later
// The message window through ShowMessageWindow with scripted answers, the reference card of
// functions, and PrintAnywhere onto images and PDF pages (checked on the rendered pixels).
#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "message_window/cp437.h"
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
const std::vector<std::string> kCaptions = {"", "&Continua", "&Stampa", "&Ripeti", "&Annulla"};

std::vector<table::Row> Table(const char* name) {
  return table::Read(std::string(NUMERELLA_TABLES "/") + name);
}

// Shows a message with n buttons, answering with the given action.
int Show(int n, const Scripted::ModalAnswer& answer, int icon = kIconNone,
         const std::string& text = "Messaggio") {
  Scripted platform;
  platform.QueueModal(answer);
  return ShowMessageWindow(platform, nullptr, "Prova", text, icon, n, kCaptions);
}

// What a screen reader is told of object.
QString Spoken(QObject* object, QAccessible::Text kind = QAccessible::Name) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face != nullptr ? face->text(kind) : QStringLiteral("<none>");
}

TEST(MessageWindowTest, ButtonsCarryTheCaptionsAndExtraOnesLastOneCall) {
  for (const auto& [n, press] : {std::pair{4, 2}, {1, 1}, {3, 3}, {2, 2}, {4, 4}}) {
    std::vector<std::string> captions;
    std::vector<int> lefts;
    std::size_t members = 0;
    const int pressed =
        Show(n, Action([&, press = press](QDialog& d) {
               members = d.findChildren<QPushButton*>().size();
               for (int k = 1; k <= 8; ++k)
                 if (auto* b = d.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(k));
                     b != nullptr && b->isVisible())
                   captions.push_back(b->text().toStdString()), lefts.push_back(b->x());
               Scripted::PressButton(d, press);
             }));
    SCOPED_TRACE(n);
    EXPECT_EQ(std::pair(pressed, PressedButton()), std::pair(press, press));
    EXPECT_EQ(members, static_cast<std::size_t>(std::max(n, 2)));  // members 2 ... n-1 added
    EXPECT_EQ(FrmMsg::Instance().findChildren<QPushButton*>().size(), 2);  // and removed
    EXPECT_EQ(captions, std::vector<std::string>(kCaptions.begin() + 1, kCaptions.begin() + n + 1));
    EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end(), std::less_equal<>()));
  }
}

TEST(MessageWindowTest, KeysAndClosingPressButtons) {
  for (const table::Row& row : Table("keys.tsv")) {
    const QKeyCombination key = QKeySequence(QString::fromStdString(row[0]))[0];
    const std::string to = row[1];
    ASSERT_EQ(Show(2, 2), 2);  // an earlier press of the second button
    int during = -1;
    const int result = Show(2, Action([&](QDialog& d) {
                              QWidget* w = to == "-" ? d.focusWidget() : &d;
                              if (to == "close") d.close();
                              if (to.starts_with("Cmd"))
                                w = d.findChild<QPushButton*>(QString::fromStdString(to));
                              if (to != "close")
                                w->setFocus(),
                                    QTest::keyClick(w, key.key(), key.keyboardModifiers());
                              QTest::qWait(key.keyboardModifiers() ? 300 : 0);  // the press shows
                              during = d.isVisible() ? 0 : PressedButton();
                            }));
    const int expected = std::stoi(row[2]);
    EXPECT_EQ(std::pair(during, expected ? result : 0), std::pair(expected, expected)) << row[0];
  }
}

TEST(MessageWindowTest, ChosenIconShownTextWrappedAtEightyCellsAndSpoken) {
  FrmMsg& frm = FrmMsg::Instance();
  const double g = 0.2 * frm.ButtonWidthTwips();
  for (const table::Row& row : Table("icons.tsv")) {
    const int kind = std::stoi(row[0]);
    const std::string text = table::Unescape(row[1]);
    QString shown, icon_name, description, area_description;
    QStringList names;
    Show(1, Action([&](QDialog& d) {
           for (QLabel* l : d.findChildren<QLabel*>())
             if (l->isVisible()) shown += l->objectName(), icon_name = Spoken(l);
           auto* area = d.findChild<MsgTextArea*>();
           description = Spoken(&d, QAccessible::Description);
           area_description = Spoken(area, QAccessible::Description);
           names << Spoken(area) << Spoken(d.findChild<QPushButton*>(QStringLiteral("CmdMsg1")))
                 << Spoken(area->verticalScrollBar());
           Scripted::PressButton(d, 1);
         }),
         kind, text);
    SCOPED_TRACE(row[1]);
    const auto none = [](const std::string& s) {
      return QString::fromStdString(s == "-" ? "" : s);
    };
    EXPECT_EQ(shown, none(row[2]));
    EXPECT_EQ(icon_name, none(row[3]));
    EXPECT_EQ(description, QString::fromStdString(table::Unescape(row[4])));
    EXPECT_EQ(area_description, description);
    EXPECT_EQ(names, (QStringList{"Testo del messaggio", "Continua", "Scorrimento verticale"}));
    const std::vector<FrmMsg::DrawnText>& d = frm.Drawn();
    std::string joined, unbroken = text;
    std::erase(unbroken, '\r');
    for (const FrmMsg::DrawnText& line : d) joined += line.bytes.size() <= 80 ? line.bytes : "!";
    EXPECT_EQ(joined, unbroken);
    EXPECT_NEAR(d[0].x, kind == kIconNone ? g : 2 * g + frm.IconWidthTwips(), 1e-9);
    if (d.size() < 3) continue;
    EXPECT_NEAR(d[1].y - d[0].y, 1.5 * frm.TextHeight("A"), 1e-9);  // paragraph to paragraph
    EXPECT_NEAR(d[2].y - d[1].y, 2 * frm.TextWidth("A"), 1e-9);     // within a paragraph
  }
}

TEST(FunctionCardTest, TextByteForByteShownInTwentyTwoLinesAndSpoken) {
  const std::string card = FunctionCardText();
  // FNV-1a (64 bits) of the whole card, computed independently from the entries as listed.
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : card) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  EXPECT_EQ(hash, 0x57a422db8c72d9bcu);
  QString spoken, print_name;
  Scripted platform;
  platform.QueueModal(Action([&](QDialog& d) {
    spoken = Spoken(&d, QAccessible::Description);
    print_name = Spoken(d.findChild<QPushButton*>(QStringLiteral("CmdMsg2")));
    Scripted::PressButton(d, 1);
  }));
  ShowFunctionList(platform, nullptr);
  EXPECT_EQ(platform.modals().at(0).title, QStringLiteral("Funzioni Intrinseche della Numerella"));
  EXPECT_EQ(print_name, QStringLiteral("Stampa"));
  // Bytes E2 (twice) and FD are Γ and ²; all 24 entries are spoken, the empty ones too.
  EXPECT_TRUE(
      spoken.contains(QString::fromUtf8("  GAM(x) Gamma di x (\u0393(x)=(x-1)!)     "
                                        "LNGAM(x) Logaritmo naturale di \u0393(x)\n")));
  EXPECT_TRUE(spoken.contains(QString::fromUtf8("  Del X\u00B2 o di Pearson")));
  EXPECT_EQ(spoken.count(QLatin1Char('\n')), 23);
  const FrmMsg& frm = FrmMsg::Instance();
  std::vector<std::string> entries;  // the two empty ones take no line
  for (const QByteArray& e : QByteArray::fromStdString(card).split('\r'))
    if (!e.isEmpty()) entries.push_back(e.toStdString());
  ASSERT_EQ(entries.size(), 22u);
  ASSERT_EQ(frm.Drawn().size(), 22u);
  const double g = 0.2 * frm.ButtonWidthTwips();
  for (std::size_t i = 0; i < 22; ++i) {
    EXPECT_EQ(frm.Drawn()[i].bytes, entries[i]);
    EXPECT_NEAR(frm.Drawn()[i].x, g, 1e-9);
    EXPECT_NEAR(frm.Drawn()[i].y, g + 1.5 * frm.TextHeight("A") * i, 1e-9);
  }
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
    EXPECT_EQ(platform.printer_requests(), row[0] == "2" ? 1 : 0);  // on "&Stampa"
    EXPECT_EQ(platform.modals().size(), 2u);                        // the card is not shown again
    EXPECT_EQ(platform.file_dialogs().size(), row[2] == "yes" ? 1u : 0u);
    QFile pdf(path);
    EXPECT_EQ(pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF", row[5] == "1");
  }
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

// The smallest rectangle holding every dark pixel of image.
QRect DarkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(PrintAnywhereTest, CentredAtItsOwnSizeOnImagesAndOnePdfPageTurnedByTheShape) {
  QPdfWriter failing("/nonexistent/dir/x.pdf");  // cannot be painted on: reported
  failing.setPageOrientation(QPageLayout::Portrait);
  EXPECT_FALSE(PrintAnywhere(BlockPicture({6000, 4000}), failing));
  EXPECT_EQ(failing.pageLayout().orientation(), QPageLayout::Portrait);
  const bool poppler = QProcess::execute("pdftoppm", {"-v"}) >= 0;
  QTemporaryDir dir;
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
      const QRect box = DarkBox(image);
      EXPECT_EQ(table::Show(table::Values(row[3])),
                table::Show({box.x(), box.y(), box.width(), box.height()}));
      continue;
    }
    if (!poppler) continue;  // poppler-utils not installed
    const QString stem = dir.filePath(QString::fromStdString(row[1]));
    const auto before = row[2] == "portrait" ? QPageLayout::Portrait : QPageLayout::Landscape;
    {
      QPdfWriter writer(stem + ".pdf");
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageMargins(QMarginsF(0, 0, 0, 0));
      writer.setPageOrientation(before);
      ASSERT_TRUE(PrintAnywhere(picture, writer));
      EXPECT_EQ(writer.pageLayout().orientation(), before);
    }
    // Each page rendered at 72 dpi (a pixel to the point) into <stem>-<page>.png.
    QProcess::execute("pdftoppm", {"-r", "72", "-png", stem + ".pdf", stem});
    EXPECT_FALSE(QFile::exists(stem + "-2.png"));
    const QImage page(stem + "-1.png");
    EXPECT_EQ(page.width() > page.height(), row[3] == "landscape");
    QRectF expected(QPointF(), picture.size / 20);
    expected.moveCenter(QRectF(page.rect()).center());
    const QRectF box = DarkBox(page);
    EXPECT_LE((box.topLeft() - expected.topLeft()).manhattanLength(), 3);
    EXPECT_LE((box.bottomRight() - expected.bottomRight()).manhattanLength(), 3);
  }
}

}  // namespace
}  // namespace numerella
