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
  QApplication::processEvents();
  modals_.push_back({dialog.windowTitle(), dialog.grab().toImage()});
  const ModalAnswer answer = Next<ModalAnswer>(modal_answers_, 1);
  if (const int* number = std::get_if<int>(&answer)) {
    PressButton(dialog, *number);
  } else {
    std::get<ModalAction>(answer)(dialog);
  }
  QApplication::processEvents();
  if (dialog.isVisible()) dialog.hide();
}

int ScriptedPlatformServices::ShowMessageBox(QWidget* /*owner*/, const std::string& text, int style,
                                             const std::string& title) {
  boxes_.push_back({text, style, title});
  return Next(box_answers_, style == kBoxYesNoQuestion ? kAnswerYes : kAnswerOk);
}

std::optional<QString> ScriptedPlatformServices::NextFileAnswer(ShownFileDialog shown) {
  file_dialogs_.push_back(std::move(shown));
  const QString* path = file_answers_.empty() ? nullptr : &file_answers_.front();
  const std::optional<QString> answer =
      path != nullptr && !path->isNull() ? std::optional(*path) : std::nullopt;
  if (path != nullptr) file_answers_.pop_front();
  return answer;
}

std::unique_ptr<QIODevice> ScriptedPlatformServices::OpenForReading(const QString& path) {
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
