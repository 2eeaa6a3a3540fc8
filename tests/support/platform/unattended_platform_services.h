// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services that answer at once and keep no record, only counts: each modal dialog
// gets button 1 pressed, each message box is closed, each file dialog picks the given path;
// files are real. For long unattended runs, where a record of thousands of dialogs would
// itself be the memory that grows.
#pragma once

#include <QDialog>

#include "platform/qt_platform_services.h"
#include "platform/scripted_platform_services.h"

namespace numerella {

class UnattendedPlatformServices : public QtPlatformServices {
 public:
  explicit UnattendedPlatformServices(QString path = QString()) : path_(std::move(path)) {}

  void ShowModal(QDialog& dialog, QWidget*) override {
    ++modals_;
    dialog.show();
    ScriptedPlatformServices::PressButton(dialog, 1);
    if (dialog.isVisible()) dialog.hide();
  }
  int ShowMessageBox(QWidget*, const std::string&, int, const std::string&) override {
    return ++boxes_, kAnswerOk;
  }
  std::optional<QString> GetOpenFileName(QWidget*, const QString&, const QStringList&, int,
                                         const QString&) override {
    return path_;
  }
  std::optional<QString> GetSaveFileName(QWidget*, const QString&, const QStringList&, int,
                                         const QString&, const QString&) override {
    return path_;
  }
  PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>&) override {
    return PrintOutcome::kNoPrinter;
  }
  long modals() const { return modals_; }
  long boxes() const { return boxes_; }

 private:
  QString path_;
  long modals_ = 0, boxes_ = 0;
};

}  // namespace numerella
