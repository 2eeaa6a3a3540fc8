// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of the main window: the calculation run, the calculation files and the list
// of intrinsic functions.
#include <QAction>
#include <QFile>
#include <QIODevice>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "main_window/calculation_file.h"
#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "message_window/mod_msg.h"
#include "platform/latin1.h"
#include "platform/platform_services.h"

namespace numerella {

namespace {

// Notices of the evaluation reach the user as plain message boxes over the window.
class MessageBoxNotices : public NoticeSink {
 public:
  MessageBoxNotices(PlatformServices& platform, QWidget* owner)
      : platform_(platform), owner_(owner) {}
  void Notice(std::string_view text, std::string_view title) override {
    platform_.ShowMessageBox(owner_, std::string(text), BoxStyle::kOk, std::string(title));
  }

 private:
  PlatformServices& platform_;
  QWidget* owner_;
};

// "All files" is "*": on this desktop "*.*" would hide every file without an extension,
// among them calculation files saved under a bare name.
const QStringList& FileFilters() {
  static const QStringList filters = {QStringLiteral("Tutti i File (*)"),
                                      QStringLiteral("File Numerella (*.nmr)")};
  return filters;
}
constexpr int kCalculationFilesFilter = 1;  // the second entry is selected at first

}  // namespace

void FrmMain::RunCalculation() {
  const std::string formula = txt_exp_->Formula();
  MessageBoxNotices notices(platform_, this);
  const CalculationOutcome& outcome =
      calculator_.RunTyped(formula, mnu_ser_lis_->isChecked(), &notices);
  switch (outcome.kind) {
    case CalculationOutcome::Kind::kBlank:
      break;
    case CalculationOutcome::Kind::kCompileFailed:
      lbl_val_->SetStale();  // the result shown is that of an earlier formula
      ShowMessageWindow(platform_, this, "Numerella", outcome.message, kIconExclamation, 1,
                        {"", "&Continua"});
      BackToExpression();
      ShowCompileErrorPlace(outcome.error_place);
      return;
    case CalculationOutcome::Kind::kEvalFailed:
      lbl_val_->SetStale();
      platform_.ShowMessageBox(this, kEvalErrorText, BoxStyle::kOk, "NUMERELLA");
      break;
    case CalculationOutcome::Kind::kResult:
      lbl_val_->SetResult(FromBytes(outcome.result_text));
      history_.Push(formula, outcome.result_text);  // the next Up starts from the newest row
      ShowHistory();
      mnu_fil_scr_->setEnabled(true);
      break;
  }
  BackToExpression();
}

void FrmMain::ShowCompileErrorPlace(const std::optional<TextSpan>& place) {
  // The place counts Latin-1 bytes of the typed formula, the box characters, which are the same.
  if (!place) {
    txt_exp_->moveCursor(QTextCursor::End);
    return;
  }
  constexpr std::size_t kMost = std::numeric_limits<int>::max();
  txt_exp_->SelectPart(static_cast<int>(std::min(place->offset, kMost)),
                       static_cast<int>(std::min(place->length, kMost)));
}

void FrmMain::ReadCalculationFileCommand() {
  const std::optional<QString> path = platform_.GetOpenFileName(
      this, QString(), FileFilters(), kCalculationFilesFilter, program_folder_);
  ReadCalculationFileAt(path ? QFile::encodeName(*path).toStdString() : std::string());
}

void FrmMain::ReadCalculationFileAt(const std::string& path) {
  std::unique_ptr<QIODevice> file;
  if (!path.empty()) file = platform_.OpenForReading(path);
  if (!file) {
    platform_.ShowMessageBox(this, "File Inesistente", BoxStyle::kOkExclamation, "Lettura File");
    BackToExpression();
    return;
  }
  history_.Load(ReadCalculationFile(*file));
  file.reset();
  ShowHistory();
  const HistoryRow& newest = history_.Rows().back();
  PutIntoExpression(FromBytes(newest.formula));  // typing goes on where the file left off
  lbl_val_->SetResult(FromBytes(newest.result));
  mnu_fil_scr_->setEnabled(true);
  BackToExpression();
}

void FrmMain::ReadCalculationFileOnceShown(const std::string& path) {
  file_to_read_ = path;
  if (windowHandle() != nullptr && windowHandle()->isExposed()) ReadPendingFileLater();
}

void FrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Shown is not yet on the screen: the window manager places the window first, and Qt
  // learns where by the time the window is exposed.
  if (!file_to_read_.empty() && windowHandle() != nullptr) {
    windowHandle()->installEventFilter(this);
  }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
    windowHandle()->removeEventFilter(this);
    ReadPendingFileLater();
  }
  return QMainWindow::eventFilter(watched, event);
}

void FrmMain::ReadPendingFileLater() {
  QTimer::singleShot(0, this, [this] {
    if (file_to_read_.empty()) return;
    ReadCalculationFileAt(std::exchange(file_to_read_, std::string()));
  });
}

void FrmMain::WriteCalculationFileCommand() {
  const std::optional<QString> path = platform_.GetSaveFileName(
      this, QString(), FileFilters(), kCalculationFilesFilter, program_folder_);
  // The file is replaced as a whole or not at all: a failed write keeps what it held.
  if (!path || path->isEmpty() ||
      !platform_.SaveAtomically(*path, WriteCalculationFile(CurrentHistory()))) {
    platform_.ShowMessageBox(this, "Errore di Specificazione del File", BoxStyle::kOkExclamation,
                             "Lettura File");
  }
  BackToExpression();
}

void FrmMain::ShowFunctionListCommand() {
  ShowFunctionList(platform_, this);
  BackToExpression();
}

}  // namespace numerella
