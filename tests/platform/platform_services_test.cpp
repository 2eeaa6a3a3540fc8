// SPDX-License-Identifier: GPL-3.0-or-later
// The scripted platform services (answers in order, then defaults; records) and the file,
// modal and font services of the real desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/platform_fonts.h"
#include "platform/qt_platform_services.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

// A dialog with buttons named CmdMsg1 ... CmdMsg<n> that remembers which one was clicked.
struct ButtonDialog : QDialog {
  explicit ButtonDialog(int n) {
    setWindowTitle(QStringLiteral("Prova"));
    for (int k = 1; k <= n; ++k) {
      auto* b = new QPushButton(QString::number(k), this);
      b->setObjectName(QStringLiteral("CmdMsg%1").arg(k));
      connect(b, &QPushButton::clicked, this, [this, k] { clicked = k, hide(); });
    }
  }
  int clicked = 0;
};

TEST(ScriptedPlatformTest, AnswersInOrderThenDefaults) {
  ScriptedPlatformServices p;
  p.QueueModal(3);
  p.QueueModal(ScriptedPlatformServices::ModalAction([](QDialog& d) { d.hide(); }));
  p.QueueModal(9);                          // no such button: the dialog is hidden anyway
  for (const int clicked : {3, 0, 0, 1}) {  // then button 1
    ButtonDialog dialog(3);
    p.ShowModal(dialog, nullptr);
    EXPECT_EQ(std::pair(dialog.clicked, dialog.isVisible()), std::pair(clicked, false));
  }
  EXPECT_EQ(std::pair(p.modals().at(3).title, p.modals()[3].picture.isNull()),
            std::pair(QStringLiteral("Prova"), false));
  p.QueueBoxAnswer(BoxAnswer::kNo);  // then Yes for a Yes/No box, OK for the others
  for (const auto& [style, answer] : {std::pair{BoxStyle::kYesNoQuestion, BoxAnswer::kNo},
                                      {BoxStyle::kYesNoQuestion, BoxAnswer::kYes},
                                      {BoxStyle::kOk, BoxAnswer::kOk}})
    EXPECT_EQ(p.ShowMessageBox(nullptr, "Salvare?", style, "Stampa"), answer);
  EXPECT_EQ(p.GetOpenFileName(nullptr, "Apri", {"*.nmr"}, 1, "/home"), std::nullopt);  // Cancel
}

// Both implementations write and read real files; the scripted one can be told to fail.
TEST(PlatformFilesTest, SaveReplacesWholeFilesAndFailuresKeepTheOldContent) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("storia.nmr"));
  QtPlatformServices real;
  ScriptedPlatformServices scripted;
  ASSERT_TRUE(real.SaveAtomically(path, "prima\r\n"));
  ASSERT_TRUE(real.SaveAtomically(path, "seconda\r\n"));
  scripted.FailNextSaves(1);
  EXPECT_FALSE(scripted.SaveAtomically(path, "terza\r\n"));
  EXPECT_FALSE(real.SaveAtomically(dir.filePath(QStringLiteral("manca/x.nmr")), "x"));
  const std::unique_ptr<QIODevice> file = real.OpenForReading(path.toStdString());
  EXPECT_EQ(file ? file->readAll() : "(none)", QByteArray("seconda\r\n"));
  EXPECT_EQ(real.OpenForReading(dir.filePath("nessuno.nmr").toStdString()), nullptr);
}

TEST(DesktopPlatformTest, ModalReturnsOnceHiddenNoPrinterGivesNoneAndFontsMap) {
  for (const int button : {1, 2}) {
    ButtonDialog dialog(2);
    QTimer::singleShot(0, &dialog, [&] { ScriptedPlatformServices::PressButton(dialog, button); });
    QtPlatformServices().ShowModal(dialog, nullptr);
    EXPECT_EQ(std::pair(dialog.clicked, dialog.isVisible()), std::pair(button, false));
  }
  EXPECT_TRUE(!QPrinterInfo::availablePrinters().isEmpty() ||
              QtPlatformServices().PrintPage([](QPagedPaintDevice&) { return true; }) ==
                  PrintOutcome::kNoPrinter);
  const std::tuple<const char*, double, bool> cases[] = {{"terminal", 8, true},
                                                         {"Terminal", 10.8, true},
                                                         {"TERMINAL", 8, true},
                                                         {"MS Sans Serif", 7.8, false}};
  for (const auto& [name, points, fixed_pitch] : cases) {
    const QFont font = PlatformFont(name, points);
    EXPECT_EQ(QFontInfo(font).fixedPitch(), fixed_pitch) << name;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), points) << name;
  }
  EXPECT_EQ(PlatformFont("MS Sans Serif", 7.8).family(), QApplication::font().family());
}

// Every box the program shows is wide enough for its title in a bold title-bar font beside
// the window's icon and three buttons; Enter closes it.
TEST(DesktopPlatformTest, MessageBoxesShowTheirWholeTitle) {
  const std::pair<const char*, const char*> boxes[] = {
      {"Errore di Esecuzione", "NUMERELLA"},
      {"File Inesistente", "Lettura File"},
      {"Errore di Specificazione del File", "Lettura File"},
      {"Errori nel Calcolo della Funzione", "D_X2"},
      {"Stampare su PDF?", "Funzioni Intrinseche della Numerella"}};
  QFont title_font = QApplication::font("QMdiSubWindowTitleBar");
  title_font.setBold(true);
  for (const auto& [text, title] : boxes) {
    int width = 0, needed = 0;
    QTimer::singleShot(0, [&, title = title] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr) return;
      const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
      needed = QFontMetrics(title_font).horizontalAdvance(QLatin1String(title)) + 4 * bar;
      width = box->width();
      QTest::keyClick(box, Qt::Key_Return);
    });
    QtPlatformServices().ShowMessageBox(nullptr, text, BoxStyle::kOk, title);
    EXPECT_GE(width, needed) << title;
    EXPECT_GT(needed, 0) << title;
  }
}

}  // namespace
}  // namespace numerella
