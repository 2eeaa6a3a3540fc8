// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services that answer every question at once and keep no record: each modal dialog
// gets button 1 pressed, each message box is closed, each file dialog picks one given path.
// Files are real. For long unattended runs (the soak test, the window benchmark), where a
// record of thousands of dialogs would itself be the memory that grows.
#pragma once

#include <QApplication>
#include <QDialog>

#include "platform/qt_platform_services.h"
#include "platform/scripted_platform_services.h"

namespace numerella {

class UnattendedPlatformServices : public QtPlatformServices {
 public:
  explicit UnattendedPlatformServices(QString path = QString()) : path_(std::move(path)) {}

  void ShowModal(QDialog& dialog, QWidget* /*owner*/) override {
    ++modals_;
    dialog.show();
    ScriptedPlatformServices::PressButton(dialog, 1);
    if (dialog.isVisible()) dialog.hide();
  }
  BoxAnswer ShowMessageBox(QWidget*, const std::string&, BoxStyle, const std::string&) override {
    ++boxes_;
    return BoxAnswer::kOk;
  }
  std::optional<QString> GetOpenFileName(QWidget*, const QString&, const QStringList&, int,
                                         const QString&) override {
    return path_;
  }
  std::optional<QString> GetSaveFileName(QWidget*, const QString&, const QStringList&, int,
                                         const QString&, const QString& = QString()) override {
    return path_;
  }
  PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>&) override {
    return PrintOutcome::kNoPrinter;
  }

  long modals() const { return modals_; }
  long boxes() const { return boxes_; }

 private:
  QString path_;
  long modals_ = 0;
  long boxes_ = 0;
};

}  // namespace numerella
