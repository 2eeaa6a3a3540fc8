// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over scripted platform services, with keys typed as the keyboard types them.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "platform/latin1.h"
#include "platform/scripted_platform_services.h"

namespace numerella {

inline QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
inline void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0);
}
// The last message box as "text|style|title", "-" when none was shown.
inline std::string LastBox(const ScriptedPlatformServices& p) {
  if (p.boxes().empty()) return "-";
  const auto& b = p.boxes().back();
  return b.text + "|" + std::to_string(static_cast<int>(b.style)) + "|" + b.title;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { window_ = std::make_unique<FrmMain>(platform_); }
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
  std::string Expression() { return Control<ExpressionBox>("TxtExp")->Formula(); }
  std::string Result() { return ToBytes(LblVal()->text()); }
  void Run(const std::string& formula) {
    TxtExp()->setPlainText(FromBytes(formula));
    window_->RunCalculation();
  }
  QWidget* Focus() { return QApplication::focusWidget(); }
  // Types into the focus widget: characters, and {Name} for a key, "^" before it with Ctrl,
  // "!" with Alt, "+" with Shift ({^A}, {!E}).
  void Type(const QString& keys) {
    static const QMap<QString, Qt::Key> kKeys = {
        {"Tab", Qt::Key_Tab},   {"Esc", Qt::Key_Escape},     {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down}, {"Enter", Qt::Key_Return},   {"Home", Qt::Key_Home},
        {"Pad", Qt::Key_Enter}, {"Back", Qt::Key_Backspace}, {"F1", Qt::Key_F1},
        {"End", Qt::Key_End},   {"Left", Qt::Key_Left}};
    for (qsizetype at = 0; at < keys.size();) {
      const qsizetype close = keys.indexOf('}', at);
      ASSERT_NE(Focus(), nullptr) << "no widget has the focus";
      if (keys[at] != '{' || close < 0) {
        QTest::keyClicks(Focus(), keys.mid(at++, 1));
        continue;
      }
      QString name = keys.mid(at + 1, close - at - 1);
      at = close + 1;
      int times = 1;  // {Tab*3}: three times
      if (const qsizetype star = name.indexOf('*'); star > 0)
        times = name.mid(star + 1).toInt(), name.truncate(star);
      Qt::KeyboardModifiers mods;
      for (; name.size() > 1 && QString("^!+").contains(name[0]); name.remove(0, 1))
        mods |= name[0] == '^'   ? Qt::ControlModifier
                : name[0] == '!' ? Qt::AltModifier
                                 : Qt::ShiftModifier;
      for (; times > 0; --times) {
        if (name.size() == 1) {
          QTest::keyClick(Focus(), Qt::Key(Qt::Key_A + (name[0].unicode() - 'A')), mods);
        } else if (!Special(name)) {
          ASSERT_TRUE(kKeys.contains(name)) << name.toStdString();
          QTest::keyClick(Focus(), kKeys[name], mods);
        }
      }
    }
  }
  // A {Name} of the fixture's own; true when it was one.
  virtual bool Special(const QString&) { return false; }
  QString PathOf(const QString& name) {
    return name.startsWith('/') ? name : folder_.filePath(name);
  }

  QTemporaryDir folder_;
  ScriptedPlatformServices platform_;
  std::unique_ptr<FrmMain> window_;
};

}  // namespace numerella
