// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services for tests: every dialog is answered from a script instead of a user, and
// everything that was shown is recorded so that tests can check it.
//
// Answers are queued per kind and used first in, first out. When a queue is empty the default
// answer is used: a modal dialog gets button 1 pressed, a message box is closed with its first
// button (OK, or Yes for a Yes/No box), a file dialog is cancelled, files are read and saved
// for real (through file_calls(), where failures can be injected) and there is no printer.
#pragma once

#include <QImage>
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
  // What ShowModal does with the shown dialog: press the button with this number (the button
  // whose objectName is "CmdMsg<number>"), or run this callback on the dialog.
  using ModalAction = std::function<void(QDialog&)>;
  using ModalAnswer = std::variant<int, ModalAction>;

  struct ShownModal {
    QString title;
    QImage picture;  // the dialog as it looked when it was shown
  };
  struct ShownBox {
    std::string text;
    BoxStyle style = BoxStyle::kOk;
    std::string title;
  };
  struct ShownFileDialog {
    bool save = false;  // false for Open, true for Save As
    QString title;
    QStringList filters;
    int selected_filter = 0;
    QString folder;
    QString default_suffix;
  };

  // The script.
  void QueueModal(ModalAnswer answer) { modal_answers_.push_back(std::move(answer)); }
  void QueueBoxAnswer(BoxAnswer button) { box_answers_.push_back(button); }
  // A path to pick, or nullopt for Cancel. The path is handed back as given, unless the filter
  // (0-based) it was typed under is named: then Save As adds the extension as the real one does.
  void QueueFileAnswer(const std::optional<QString>& path, std::optional<int> filter = {}) {
    file_answers_.push_back({path.has_value(), path.value_or(QString()), filter});
  }
  // The next SaveAtomically calls fail (without touching the file) while this count lasts.
  void FailNextSaves(int count) { failing_saves_ = count; }
  // The system calls of real saves, where a test makes a write, flush, close or rename fail.
  FailingFileCalls& file_calls() { return file_calls_; }
  // The next OpenForReading calls fail while this count lasts.
  void FailNextReads(int count) { failing_reads_ = count; }
  // The next PrintPage call paints on this device (nullptr = no printer installed).
  void QueuePrinter(std::unique_ptr<QPagedPaintDevice> device) {
    printers_.push_back(std::move(device));
  }

  // The record.
  const std::vector<ShownModal>& modals() const { return modals_; }
  const std::vector<ShownBox>& boxes() const { return boxes_; }
  const std::vector<ShownFileDialog>& file_dialogs() const { return file_dialogs_; }
  const std::vector<QString>& saved_paths() const { return saved_paths_; }
  int printer_requests() const { return printer_requests_; }

  // Shows the dialog (offscreen in tests), records it, applies the next answer and makes sure
  // the dialog is hidden again before returning, so a wrong answer cannot hang a test.
  void ShowModal(QDialog& dialog, QWidget* owner) override;
  BoxAnswer ShowMessageBox(QWidget* owner, const std::string& text, BoxStyle style,
                           const std::string& title) override;
  std::optional<QString> GetOpenFileName(QWidget* owner, const QString& title,
                                         const QStringList& filters, int selected_filter,
                                         const QString& folder) override;
  std::optional<QString> GetSaveFileName(QWidget* owner, const QString& title,
                                         const QStringList& filters, int selected_filter,
                                         const QString& folder,
                                         const QString& default_suffix = QString()) override;
  // Real files (tests use temporary folders), unless told to fail.
  std::unique_ptr<QIODevice> OpenForReading(const std::string& path) override;
  bool SaveAtomically(const QString& path, const QByteArray& content) override;
  PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>& paint) override;

  // Presses the button named "CmdMsg<number>" of the dialog; false when there is none.
  static bool PressButton(QDialog& dialog, int number);

 private:
  std::optional<QString> NextFileAnswer(ShownFileDialog shown);

  std::deque<ModalAnswer> modal_answers_;
  std::deque<BoxAnswer> box_answers_;
  struct FileAnswer {
    bool picked = false;
    QString path;
    std::optional<int> filter;
  };
  std::deque<FileAnswer> file_answers_;
  std::deque<std::unique_ptr<QPagedPaintDevice>> printers_;
  int failing_saves_ = 0;
  int failing_reads_ = 0;
  int printer_requests_ = 0;
  std::vector<ShownModal> modals_;
  std::vector<ShownBox> boxes_;
  std::vector<ShownFileDialog> file_dialogs_;
  std::vector<QString> saved_paths_;
  FailingFileCalls file_calls_;
};

}  // namespace numerella
