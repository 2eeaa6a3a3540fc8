// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services for tests: every dialog is answered from a script instead of a user, and
// what was shown is recorded. Answers are queued per kind, first in, first out; when a queue is
// empty, a modal dialog gets button 1 pressed, a message box its first button (OK, or Yes), a
// file dialog is cancelled, files are read and saved for real (through file_calls(), where
// faults can be injected) and there is no printer.
#pragma once

#include <QPagedPaintDevice>
#include <deque>
#include <functional>
#include <variant>
#include <vector>

#include "platform/failing_file_calls.h"
#include "platform/platform_services.h"

namespace numerella {

class ScriptedPlatformServices : public PlatformServices {
 public:
  // A modal dialog's answer: press the button whose objectName is "CmdMsg<number>", or run
  // the callback on the dialog.
  using ModalAction = std::function<void(QDialog&)>;
  using ModalAnswer = std::variant<int, ModalAction>;
  struct ShownModal {
    QString title;
  };
  struct ShownBox {
    std::string text;
    BoxStyle style = BoxStyle::kOk;
    std::string title;
  };
  struct ShownFileDialog {
    bool save = false;  // Save As, else Open
    QString title;
    QStringList filters;
    int selected_filter = 0;
    QString folder, default_suffix;
  };

  void QueueModal(ModalAnswer answer) { modal_answers_.push_back(std::move(answer)); }
  void QueueBoxAnswer(BoxAnswer button) { box_answers_.push_back(button); }
  // A path to pick, or nullopt for Cancel. The path is handed back as given, unless the filter
  // (0-based) it was typed under is named: then Save As adds the extension as the real one does.
  void QueueFileAnswer(const std::optional<QString>& path, std::optional<int> filter = {}) {
    file_answers_.push_back({path.value_or(QString()), filter});  // a null text: Cancel
  }
  // While the count lasts, saves fail without touching the file, or reads fail.
  void FailNextSaves(int count) { failing_saves_ = count; }
  void FailNextReads(int count) { failing_reads_ = count; }
  FailingFileCalls& file_calls() { return file_calls_; }
  // The next PrintPage paints on this device (nullptr: no printer installed).
  void QueuePrinter(std::unique_ptr<QPagedPaintDevice> device) {
    printers_.push_back(std::move(device));
  }

  const std::vector<ShownModal>& modals() const { return modals_; }
  const std::vector<ShownBox>& boxes() const { return boxes_; }
  const std::vector<ShownFileDialog>& file_dialogs() const { return file_dialogs_; }
  int printer_requests() const { return printer_requests_; }

  // Shows the dialog (offscreen in tests), records it, applies the next answer and hides the
  // dialog again before returning, so that a wrong answer cannot hang a test.
  void ShowModal(QDialog& dialog, QWidget* owner) override;
  BoxAnswer ShowMessageBox(QWidget* owner, const std::string& text, BoxStyle style,
                           const std::string& title) override;
  std::optional<QString> GetOpenFileName(QWidget*, const QString& title, const QStringList& filters,
                                         int selected_filter, const QString& folder) override {
    return NextFileAnswer({false, title, filters, selected_filter, folder, QString()});
  }
  std::optional<QString> GetSaveFileName(QWidget*, const QString& title, const QStringList& filters,
                                         int selected_filter, const QString& folder,
                                         const QString& default_suffix = QString()) override {
    return NextFileAnswer({true, title, filters, selected_filter, folder, default_suffix});
  }
  std::unique_ptr<QIODevice> OpenForReading(const std::string& path) override;
  bool SaveAtomically(const QString& path, const QByteArray& content) override;
  PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>& paint) override;

  // Presses the button named "CmdMsg<number>" of the dialog; false when there is none.
  static bool PressButton(QDialog& dialog, int number);

 protected:
  // Unattended: every file dialog picks this path, no record is kept, only counts.
  std::optional<QString> answer_all_with_;
  long modal_count_ = 0, box_count_ = 0;

 private:
  std::optional<QString> NextFileAnswer(ShownFileDialog shown);

  std::deque<ModalAnswer> modal_answers_;
  std::deque<BoxAnswer> box_answers_;
  struct FileAnswer {
    QString path;
    std::optional<int> filter;
  };
  std::deque<FileAnswer> file_answers_;
  std::deque<std::unique_ptr<QPagedPaintDevice>> printers_;
  int failing_saves_ = 0, failing_reads_ = 0, printer_requests_ = 0;
  std::vector<ShownModal> modals_;
  std::vector<ShownBox> boxes_;
  std::vector<ShownFileDialog> file_dialogs_;
  FailingFileCalls file_calls_;
};

}  // namespace numerella
