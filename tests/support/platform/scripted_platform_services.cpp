// SPDX-License-Identifier: GPL-3.0-or-later
// Platform services that answer from a script and record what was shown.
#include "platform/scripted_platform_services.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include "platform/qt_platform_services.h"

namespace numerella {
namespace {

template <typename T>
T Next(std::deque<T>& queue, T otherwise) {
  if (queue.empty()) return otherwise;
  T next = std::move(queue.front());
  queue.pop_front();
  return next;
}

}  // namespace

bool ScriptedPlatformServices::PressButton(QDialog& dialog, int number) {
  auto* button = dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(number));
  if (button == nullptr || !button->isVisible() || !button->isEnabled()) return false;
  button->click();
  return true;
}

void ScriptedPlatformServices::ShowModal(QDialog& dialog, QWidget* /*owner*/) {
  dialog.show();
  ++modal_count_;
  if (!answer_all_with_) QApplication::processEvents(), modals_.push_back({dialog.windowTitle()});
  const ModalAnswer answer = Next<ModalAnswer>(modal_answers_, 1);
  if (const int* number = std::get_if<int>(&answer)) {
    PressButton(dialog, *number);
  } else {
    std::get<ModalAction>(answer)(dialog);
  }
  if (!answer_all_with_) QApplication::processEvents();
  if (dialog.isVisible()) dialog.hide();
}

BoxAnswer ScriptedPlatformServices::ShowMessageBox(QWidget* /*owner*/, const std::string& text,
                                                   BoxStyle style, const std::string& title) {
  ++box_count_;
  if (answer_all_with_) return BoxAnswer::kOk;
  boxes_.push_back({text, style, title});
  return Next(box_answers_, style == BoxStyle::kYesNoQuestion ? BoxAnswer::kYes : BoxAnswer::kOk);
}

std::optional<QString> ScriptedPlatformServices::NextFileAnswer(ShownFileDialog shown) {
  if (answer_all_with_) return answer_all_with_;
  file_dialogs_.push_back(std::move(shown));
  if (file_answers_.empty()) return std::nullopt;
  const FileAnswer answer = file_answers_.front();
  file_answers_.pop_front();
  if (answer.path.isNull()) return std::nullopt;  // Cancel
  const ShownFileDialog& dialog = file_dialogs_.back();
  if (!dialog.save || !answer.filter) return answer.path;
  return WithDefaultSuffix(answer.path,
                           SaveSuffix(dialog.filters.value(*answer.filter), dialog.default_suffix));
}

std::unique_ptr<QIODevice> ScriptedPlatformServices::OpenForReading(const std::string& path) {
  if (failing_reads_ > 0) return --failing_reads_, nullptr;
  return QtPlatformServices().OpenForReading(path);
}

bool ScriptedPlatformServices::SaveAtomically(const QString& path, const QByteArray& content) {
  if (failing_saves_ > 0) return --failing_saves_, false;
  return QtPlatformServices(file_calls_).SaveAtomically(path, content);
}

PrintOutcome ScriptedPlatformServices::PrintPage(
    const std::function<bool(QPagedPaintDevice&)>& paint) {
  ++printer_requests_;
  const std::unique_ptr<QPagedPaintDevice> device = Next(printers_, {});
  if (device == nullptr) return PrintOutcome::kNoPrinter;
  return paint(*device) ? PrintOutcome::kPrinted : PrintOutcome::kFailed;
}

}  // namespace numerella
