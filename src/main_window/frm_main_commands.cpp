// The commands of the main window: the calculation run, the calculation files and the list
// of intrinsic functions.
#include <QAction>
#include <QIODevice>
#include <QLabel>
#include <QStringList>
#include <memory>
#include <optional>

#include "calculation/calculation.h"
#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "platform/latin1.h"
#include "message_window/mod_msg.h"
#include "platform/platform_services.h"

namespace numerella {

namespace {

// Notices of the evaluation reach the user as plain message boxes over the window.
class MessageBoxNotices : public NoticeSink {
 public:
  MessageBoxNotices(PlatformServices& platform, QWidget* owner)
      : platform_(platform), owner_(owner) {}
  void Notice(std::string_view text, std::string_view title) override {
    platform_.ShowMessageBox(owner_, std::string(text), kBoxOk, std::string(title));
  }

 private:
  PlatformServices& platform_;
  QWidget* owner_;
};

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

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
  const CalculationOutcome outcome =
      RunFormula(compiler_, formula, mnu_ser_lis_->isChecked(), &notices);
  switch (outcome.kind) {
    case CalculationOutcome::Kind::kBlank:
      txt_exp_->setFocus();
      return;
    case CalculationOutcome::Kind::kCompileFailed:
      ShowMessageWindow(platform_, this, "Numerella", outcome.message, kIconExclamation, 1,
                        {"", "&Continua"});
      return;
    case CalculationOutcome::Kind::kEvalFailed:
      platform_.ShowMessageBox(this, kEvalErrorText, kBoxOk, "NUMERELLA");
      return;
    case CalculationOutcome::Kind::kResult:
      lbl_val_->setText(FromBytes(outcome.result_text));
      ShiftHistory(TrimBlanks(formula), TrimBlanks(outcome.result_text));
      mnu_fil_scr_->setEnabled(true);
      return;
  }
}

void FrmMain::ShiftHistory(const std::string& formula, const std::string& result) {
  for (int i = 0; i + 1 < kHistoryRows; ++i) {
    txt_sav_[i]->setText(txt_sav_[i + 1]->text());
    txt_sav_[i]->setCursorPosition(0);
    lbl_sav_[i]->setText(lbl_sav_[i + 1]->text());
  }
  txt_sav_[kHistoryRows - 1]->setText(FromBytes(formula));
  txt_sav_[kHistoryRows - 1]->setCursorPosition(0);
  lbl_sav_[kHistoryRows - 1]->setText(FromBytes(result));
}

void FrmMain::ReadCalculationFileCommand() {
  const std::optional<QString> path = platform_.GetOpenFileName(
      this, QString(), FileFilters(), kCalculationFilesFilter, program_folder_);
  std::unique_ptr<QIODevice> file;
  if (path && !path->isEmpty()) file = platform_.OpenForReading(*path);
  if (!file) {
    platform_.ShowMessageBox(this, "File Inesistente", kBoxOkExclamation, "Lettura File");
    return;
  }
  const History history = ReadCalculationFile(*file);
  file.reset();
  ShowHistory(history);
  const HistoryRow& newest = history[kHistoryRows - 1];
  txt_exp_->setPlainText(FromBytes(newest.formula));
  txt_exp_->moveCursor(QTextCursor::End);  // typing goes on where the file left off
  lbl_val_->setText(FromBytes(newest.result));
  mnu_fil_scr_->setEnabled(true);
}

void FrmMain::WriteCalculationFileCommand() {
  const std::optional<QString> path = platform_.GetSaveFileName(
      this, QString(), FileFilters(), kCalculationFilesFilter, program_folder_);
  // The file is replaced as a whole or not at all: a failed write keeps what it held.
  if (!path || path->isEmpty() ||
      !platform_.SaveAtomically(*path, WriteCalculationFile(CurrentHistory()))) {
    platform_.ShowMessageBox(this, "Errore di Specificazione del File", kBoxOkExclamation,
                             "Lettura File");
  }
}

void FrmMain::ShowFunctionListCommand() { ShowFunctionList(platform_, this); }

}  // namespace numerella
