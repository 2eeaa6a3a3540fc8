// The scripted platform services (answers in order, defaults, records) and the file and font
// services of the real desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/platform_fonts.h"
#include "platform/qt_platform_services.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

// A dialog with buttons named CmdMsg1 ... CmdMsg<n> that remembers which one was clicked.
class ButtonDialog : public QDialog {
 public:
  explicit ButtonDialog(int n) {
    setWindowTitle(QStringLiteral("Prova"));
    for (int k = 1; k <= n; ++k) {
      auto* b = new QPushButton(QString::number(k), this);
      b->setObjectName(QStringLiteral("CmdMsg%1").arg(k));
      connect(b, &QPushButton::clicked, this, [this, k] {
        clicked = k;
        hide();
      });
    }
  }
  int clicked = 0;
};

TEST(ScriptedPlatformTest, ModalAnswersInOrderThenButtonOne) {
  ScriptedPlatformServices platform;
  platform.QueueModal(3);
  platform.QueueModal(ScriptedPlatformServices::ModalAction([](QDialog& d) { d.hide(); }));
  platform.QueueModal(9);  // no such button: the dialog is hidden anyway
  const int expected[] = {3, 0, 0, 1, 1};
  for (const int clicked : expected) {
    ButtonDialog dialog(3);
    platform.ShowModal(dialog, nullptr);
    EXPECT_EQ(dialog.clicked, clicked);
    EXPECT_FALSE(dialog.isVisible());
  }
  ASSERT_EQ(platform.modals().size(), 5u);
  EXPECT_EQ(platform.modals()[0].title, QStringLiteral("Prova"));
  EXPECT_FALSE(platform.modals()[0].picture.isNull());
}

TEST(ScriptedPlatformTest, MessageBoxesAreRecordedAndAnswered) {
  ScriptedPlatformServices platform;
  platform.QueueBoxAnswer(kAnswerNo);
  struct Case {
    std::string text;
    int style;
    std::string title;
    int answer;
  };
  const Case cases[] = {
      {"Salvare?", kBoxYesNoQuestion, "Stampa", kAnswerNo},   // the queued answer
      {"Salvare?", kBoxYesNoQuestion, "Stampa", kAnswerYes},  // default for Yes/No
      {"File Inesistente", kBoxOkExclamation, "Lettura File", kAnswerOk},
      {"Errore di Esecuzione", kBoxOk, "NUMERELLA", kAnswerOk},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform.ShowMessageBox(nullptr, c.text, c.style, c.title), c.answer) << c.text;
  }
  ASSERT_EQ(platform.boxes().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(platform.boxes()[i].text, cases[i].text);
    EXPECT_EQ(platform.boxes()[i].style, cases[i].style);
    EXPECT_EQ(platform.boxes()[i].title, cases[i].title);
  }
}

TEST(ScriptedPlatformTest, FileDialogsAnswerPathsOrCancelAndRecordTheirArguments) {
  ScriptedPlatformServices platform;
  platform.QueueFileAnswer(QStringLiteral("/tmp/a.nmr"));
  platform.QueueFileAnswer(std::nullopt);
  const QStringList filters = {QStringLiteral("Calcoli (*.nmr)"), QStringLiteral("Tutti (*)")};
  EXPECT_EQ(platform.GetOpenFileName(nullptr, "Apri", filters, 1, "/home"),
            std::optional<QString>(QStringLiteral("/tmp/a.nmr")));
  EXPECT_EQ(platform.GetSaveFileName(nullptr, "Salva", filters, 0, "/work"), std::nullopt);
  EXPECT_EQ(platform.GetSaveFileName(nullptr, "Salva", filters, 0, "/work"), std::nullopt);
  ASSERT_EQ(platform.file_dialogs().size(), 3u);
  const auto& open = platform.file_dialogs()[0];
  EXPECT_FALSE(open.save);
  EXPECT_EQ(open.title, QStringLiteral("Apri"));
  EXPECT_EQ(open.filters, filters);
  EXPECT_EQ(open.selected_filter, 1);
  EXPECT_EQ(open.folder, QStringLiteral("/home"));
  EXPECT_TRUE(platform.file_dialogs()[1].save);
}

TEST(ScriptedPlatformTest, PrintersAreHandedOutOnceThenNone) {
  ScriptedPlatformServices platform;
  QTemporaryDir dir;
  platform.QueuePrinter(std::make_unique<QPdfWriter>(dir.filePath(QStringLiteral("p.pdf"))));
  platform.QueuePrinter(nullptr);
  EXPECT_NE(platform.OpenPrinter(), nullptr);
  EXPECT_EQ(platform.OpenPrinter(), nullptr);
  EXPECT_EQ(platform.OpenPrinter(), nullptr);
  EXPECT_EQ(platform.printer_requests(), 3);
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
  std::unique_ptr<QIODevice> file = real.OpenForReading(path);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->readAll(), QByteArray("seconda\r\n"));
  EXPECT_TRUE(scripted.SaveAtomically(path, "quarta"));
  EXPECT_EQ(scripted.saved_paths(), std::vector<QString>{path});
  scripted.FailNextReads(1);
  EXPECT_EQ(scripted.OpenForReading(path), nullptr);
  ASSERT_NE(scripted.OpenForReading(path), nullptr);
  EXPECT_EQ(real.OpenForReading(dir.filePath(QStringLiteral("nessuno.nmr"))), nullptr);
}

TEST(QtPlatformTest, ShowModalReturnsOnceTheDialogIsHidden) {
  for (const int button : {1, 2}) {
    ButtonDialog dialog(2);
    QTimer::singleShot(
        0, &dialog, [&dialog, button] { ScriptedPlatformServices::PressButton(dialog, button); });
    QtPlatformServices().ShowModal(dialog, nullptr);
    EXPECT_EQ(dialog.clicked, button);
    EXPECT_FALSE(dialog.isVisible());
  }
}

TEST(QtPlatformTest, NoPrinterInstalledGivesNone) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
  EXPECT_EQ(QtPlatformServices().OpenPrinter(), nullptr);
}

TEST(PlatformFontTest, NamesMapToDesktopFonts) {
  struct Case {
    std::string name;
    double points;
    bool fixed_pitch;
  };
  const Case cases[] = {
      {"terminal", 8, true},
      {"Terminal", 10.8, true},
      {"TERMINAL", 8, true},
      {"MS Sans Serif", 7.8, false},
  };
  for (const Case& c : cases) {
    const QFont font = PlatformFont(c.name, c.points);
    EXPECT_EQ(QFontInfo(font).fixedPitch(), c.fixed_pitch) << c.name;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), c.points) << c.name;
  }
  EXPECT_EQ(PlatformFont("MS Sans Serif", 7.8).family(), QApplication::font().family());
}

}  // namespace
}  // namespace numerella
