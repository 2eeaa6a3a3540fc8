// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over scripted platform services: the fixture of the window tests.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <memory>
#include <optional>
#include <tuple>

#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "platform/latin1.h"
#include "platform/scripted_platform_services.h"

namespace numerella {

using namespace std::string_literals;
using Path = std::optional<QString>;  // a file dialog's answer, nullopt: Cancel
using Box = std::tuple<std::string, BoxStyle, std::string>;  // a message box: text, style, title
using Screen = std::tuple<History, std::string, std::string, bool>;  // + TxtExp, LblVal, Scrittura
inline const History kUnused = [] {
  History h;
  h.fill({" ", " "});
  return h;
}();  // of a new window

inline QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
inline void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "main_window_test", *argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // as the program does after creating its application
    window_ = std::make_unique<FrmMain>(platform_);
  }
  void ShowAndActivate() {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  template <typename T = QWidget>
  T* Control(const QString& name) {
    T* control = window_->findChild<T*>(name);
    if (control == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
    return control;
  }
  QPlainTextEdit* TxtExp() { return Control<QPlainTextEdit>("TxtExp"); }
  QLabel* LblVal() { return Control<QLabel>("LblVal"); }
  QLineEdit* TxtSav(int i) { return Control<QLineEdit>(QStringLiteral("TxtSav%1").arg(i)); }
  QLabel* LblSav(int i) { return Control<QLabel>(QStringLiteral("LblSav%1").arg(i)); }
  // Types a formula into the expression box and runs it as CALCOLO does.
  void Run(std::string f) {
    TxtExp()->setPlainText(FromBytes(f));
    window_->RunCalculation();
  }
  std::string Expression() { return Control<ExpressionBox>("TxtExp")->Formula(); }
  std::string Result() { return ToBytes(LblVal()->text()); }
  HistoryRow Row(int i) { return {ToBytes(TxtSav(i)->text()), ToBytes(LblSav(i)->text())}; }
  Screen Shown() {
    const bool scrittura = Control<QAction>("MnuFilScr")->isEnabled();
    return {window_->CurrentHistory(), Expression(), Result(), scrittura};
  }
  Box LastBox() {
    const auto& b = platform_.boxes();
    return b.empty() ? Box{} : Box{b.back().text, b.back().style, b.back().title};
  }
  // The widget with the keyboard focus, where a key typed now goes.
  QWidget* Focus() { return QApplication::focusWidget(); }
  // Types keys as the keyboard does: to whatever has the focus.
  void TypeAtFocus(const QString& keys) {
    QWidget* focus = Focus();
    ASSERT_NE(focus, nullptr) << "no widget has the focus";
    QTest::keyClicks(focus, keys);
  }
  void KeyAtFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = Focus();
    ASSERT_NE(focus, nullptr) << "no widget has the focus";
    QTest::keyClick(focus, key, modifiers);
  }
  QString PathOf(const char* name) { return folder_.filePath(QLatin1String(name)); }
  void Read(Path p) {
    platform_.QueueFileAnswer(p);
    window_->ReadCalculationFileCommand();
  }
  void Write(Path p) {
    platform_.QueueFileAnswer(p);
    window_->WriteCalculationFileCommand();
  }

  QTemporaryDir folder_;
  ScriptedPlatformServices platform_;
  std::unique_ptr<FrmMain> window_;
};

}  // namespace numerella
