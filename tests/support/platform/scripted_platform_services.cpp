// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services that answer from a script and record what was shown; used by the tests.
#include "platform/scripted_platform_services.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPushButton>

#include "platform/qt_platform_services.h"

namespace numerella {

bool ScriptedPlatformServices::PressButton(QDialog& dialog, int number) {
  auto* button = dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(number));
  if (button == nullptr || !button->isVisible() || !button->isEnabled()) return false;
  button->click();
  return true;
}

void ScriptedPlatformServices::ShowModal(QDialog& dialog, QWidget* /*owner*/) {
  dialog.show();
  QApplication::processEvents();
  modals_.push_back({dialog.windowTitle(), dialog.grab().toImage()});
  ModalAnswer answer = 1;
  if (!modal_answers_.empty()) {
    answer = std::move(modal_answers_.front());
    modal_answers_.pop_front();
  }
  if (const int* number = std::get_if<int>(&answer)) {
    PressButton(dialog, *number);
  } else {
    std::get<ModalAction>(answer)(dialog);
  }
  QApplication::processEvents();
  if (dialog.isVisible()) dialog.hide();
}

BoxAnswer ScriptedPlatformServices::ShowMessageBox(QWidget* /*owner*/, const std::string& text,
                                                   BoxStyle style, const std::string& title) {
  boxes_.push_back({text, style, title});
  if (!box_answers_.empty()) {
    const BoxAnswer answer = box_answers_.front();
    box_answers_.pop_front();
    return answer;
  }
  return style == BoxStyle::kYesNoQuestion ? BoxAnswer::kYes : BoxAnswer::kOk;
}

std::optional<QString> ScriptedPlatformServices::NextFileAnswer(ShownFileDialog shown) {
  file_dialogs_.push_back(std::move(shown));
  if (file_answers_.empty()) return std::nullopt;
  const FileAnswer answer = file_answers_.front();
  file_answers_.pop_front();
  if (!answer.picked) return std::nullopt;
  const ShownFileDialog& dialog = file_dialogs_.back();
  if (!dialog.save || !answer.filter) return answer.path;
  return WithDefaultSuffix(answer.path,
                           SaveSuffix(dialog.filters.value(*answer.filter), dialog.default_suffix));
}

std::optional<QString> ScriptedPlatformServices::GetOpenFileName(QWidget* /*owner*/,
                                                                 const QString& title,
                                                                 const QStringList& filters,
                                                                 int selected_filter,
                                                                 const QString& folder) {
  return NextFileAnswer({false, title, filters, selected_filter, folder, QString()});
}

std::optional<QString> ScriptedPlatformServices::GetSaveFileName(
    QWidget* /*owner*/, const QString& title, const QStringList& filters, int selected_filter,
    const QString& folder, const QString& default_suffix) {
  return NextFileAnswer({true, title, filters, selected_filter, folder, default_suffix});
}

std::unique_ptr<QIODevice> ScriptedPlatformServices::OpenForReading(const std::string& path) {
  if (failing_reads_ > 0) {
    --failing_reads_;
    return nullptr;
  }
  return QtPlatformServices().OpenForReading(path);
}

bool ScriptedPlatformServices::SaveAtomically(const QString& path, const QByteArray& content) {
  if (failing_saves_ > 0) {
    --failing_saves_;
    return false;
  }
  const bool saved = QtPlatformServices(file_calls_).SaveAtomically(path, content);
  if (saved) saved_paths_.push_back(path);
  return saved;
}

PrintOutcome ScriptedPlatformServices::PrintPage(
    const std::function<bool(QPagedPaintDevice&)>& paint) {
  ++printer_requests_;
  if (printers_.empty()) return PrintOutcome::kNoPrinter;
  std::unique_ptr<QPagedPaintDevice> device = std::move(printers_.front());
  printers_.pop_front();
  if (device == nullptr) return PrintOutcome::kNoPrinter;
  return paint(*device) ? PrintOutcome::kPrinted : PrintOutcome::kFailed;
}

}  // namespace numerella
