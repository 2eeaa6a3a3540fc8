// SPDX-License-Identifier: GPL-3.0-or-later
// The services of the real desktop: message boxes and file dialogs from desktop.tsv, modal
// dialogs, the printer and fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "case_table.h"
#include "platform/platform_fonts.h"
#include "platform/qt_platform_services.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

// What a message box showed, and the answer after its button `press` was pressed. The box is
// wide enough for its whole title in a bold title-bar font beside the window's buttons.
std::string ShowBox(int style, const std::string& text, const std::string& title,
                    const QString& press) {
  std::string seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    QFont title_font = QApplication::font("QMdiSubWindowTitleBar");
    title_font.setBold(true);
    const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
    EXPECT_GE(box->width(),
              QFontMetrics(title_font).horizontalAdvance(box->windowTitle()) + 4 * bar)
        << title;
    seen = std::to_string(box->icon()) + " ";
    for (QAbstractButton* button : box->buttons())
      seen += "[" + button->text().toLatin1().toStdString() + "]";
    seen += " " + box->text().toLatin1().toStdString() + " | " +
            box->windowTitle().toLatin1().toStdString();
    for (QAbstractButton* button : box->buttons())
      if (button->text() == press) button->click();
  });
  const BoxAnswer answer =
      QtPlatformServices().ShowMessageBox(nullptr, text, static_cast<BoxStyle>(style), title);
  return seen + " -> " + std::to_string(static_cast<int>(answer));
}

// The name a file dialog hands back once `typed` is entered in the folder, under the filter
// `filter` picked from the list ("" keeps the one selected at first, the Numerella files).
QString TypeInDialog(const QString& folder, const std::string& kind, const QString& typed,
                     const QString& suffix, const std::string& filter) {
  const QStringList filters{"Tutti i File (*.*)", "File Numerella (*.nmr)"};
  QFileDialog dialog(nullptr, QString(), folder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  ConfigureFileDialog(dialog, kind == "open" ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave,
                      filters, 1, suffix);
  if (dialog.selectedNameFilter() != filters[1]) return "the filter was not selected";
  QTimer::singleShot(0, &dialog, [&] {
    if (filter == "0") QTest::keyClick(dialog.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Up);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
    // A question of the dialog's own (replace? does not exist?) would stay open: rejected.
    QTimer::singleShot(2000, &dialog, [&] {
      if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box != &dialog)
        box->close();
      dialog.reject();
    });
    static_cast<QDialog&>(dialog).accept();  // as the dialog's Open or Save button does
  });
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : "rejected";
}

TEST(DesktopPlatform, MessageBoxesAndFileDialogs) {
  QTemporaryDir dir;
  QFile(dir.filePath("esiste.nmr")).open(QIODevice::WriteOnly);
  for (const auto& row : numerella::test::ReadTable(TABLES "desktop.tsv")) {
    using numerella::test::Unescape;
    const std::string& kind = row["kind"];
    const QString text = QString::fromLatin1(Unescape(row["text"]));
    const QString suffix = QString::fromLatin1(row["suffix"]);
    QString got;
    if (kind.starts_with("box ")) {
      got =
          QString::fromLatin1(ShowBox(std::stoi(kind.substr(4)), Unescape(row["text"]),
                                      row["suffix"], QString::fromLatin1(Unescape(row["press"]))));
    } else if (kind == "name") {
      got = WithDefaultSuffix(text, suffix);
    } else {
      got = TypeInDialog(dir.path(), kind, text, suffix, row["press"]).replace(dir.path(), "$");
    }
    EXPECT_EQ(got, QString::fromLatin1(Unescape(row["expect"]))) << row.where;
  }
}

// A dialog with buttons named CmdMsg1 ... CmdMsg<n> that remembers which one was clicked.
struct ButtonDialog : QDialog {
  explicit ButtonDialog(int n) {
    for (int k = 1; k <= n; ++k) {
      auto* b = new QPushButton(QString::number(k), this);
      b->setObjectName(QStringLiteral("CmdMsg%1").arg(k));
      connect(b, &QPushButton::clicked, this, [this, k] { clicked = k, hide(); });
    }
  }
  int clicked = 0;
};

TEST(DesktopPlatform, ModalReturnsOnceHiddenNoPrinterGivesNoneAndFontsMap) {
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

}  // namespace
}  // namespace numerella
