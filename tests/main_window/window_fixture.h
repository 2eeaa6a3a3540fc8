// A main window over scripted platform services, with helpers to reach its controls by their
// object names and to read what it shows.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <clocale>
#include <memory>
#include <string>

#include "main_window/frm_main.h"
#include "main_window/latin1.h"
#include "platform/scripted_platform_services.h"

namespace numerella {

inline void EnsureApplication() {
  static int argc = 1;
  static char name[] = "main_window_test";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() != nullptr) return;
  new QApplication(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // as the program does after creating its application
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    window_ = std::make_unique<FrmMain>(platform_);
  }
  void TearDown() override { window_.reset(); }

  FrmMain& window() { return *window_; }
  template <typename T>
  T* Control(const QString& name) {
    T* control = window_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  QPlainTextEdit* TxtExp() { return Control<QPlainTextEdit>(QStringLiteral("TxtExp")); }
  QLabel* LblVal() { return Control<QLabel>(QStringLiteral("LblVal")); }
  QPushButton* CmdEnt() { return Control<QPushButton>(QStringLiteral("CmdEnt")); }
  QLineEdit* TxtSav(int i) { return Control<QLineEdit>(QStringLiteral("TxtSav%1").arg(i)); }
  QLabel* LblSav(int i) { return Control<QLabel>(QStringLiteral("LblSav%1").arg(i)); }
  QAction* Menu(const char* name) { return Control<QAction>(QLatin1String(name)); }
  QAction* MnuFilScr() { return Menu("MnuFilScr"); }
  QAction* MnuSerLis() { return Menu("MnuSerLis"); }

  // Types formula into the expression box and runs it as CALCOLO does.
  void Run(const std::string& formula) {
    TxtExp()->setPlainText(FromBytes(formula));
    window_->RunCalculation();
  }
  std::string Expression() { return ToBytes(TxtExp()->toPlainText()); }
  std::string Result() { return ToBytes(LblVal()->text()); }

  ScriptedPlatformServices platform_;
  std::unique_ptr<FrmMain> window_;
};

// The history of a window that has not been used yet: one blank in every control.
inline History UnusedHistory() {
  History h;
  for (HistoryRow& row : h) row = {" ", " "};
  return h;
}

}  // namespace numerella
