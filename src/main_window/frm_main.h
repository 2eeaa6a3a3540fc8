// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the ten-row history, the expression box with the result label and the
// CALCOLO button, and the File and Servizi menus. Every modal box, dialog and file goes
// through the PlatformServices it is given, so that tests can answer them.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <optional>
#include <string>

#include "calculation/calculation.h"
#include "main_window/calculation_file.h"
#include "main_window/history.h"
#include "main_window/layout.h"

class QAction;
class QPushButton;

namespace numerella {

class ExpressionBox;
class HistoryBox;
class PlatformServices;
class ResultLabel;

class FrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrmMain(PlatformServices& platform, QWidget* parent = nullptr);
  ~FrmMain() override;

  // One calculation of the formula in the expression box (CALCOLO, Enter).
  void RunCalculation();
  // File > Lettura and File > Scrittura.
  void ReadCalculationFileCommand();
  void WriteCalculationFileCommand();
  // Reads the calculation file at path (the name's bytes, in any encoding) as File > Lettura
  // does once a file has been chosen, with the same message when it cannot be opened (a file
  // named on the command line).
  void ReadCalculationFileAt(const std::string& path);
  // The same, once the window is on the screen (shown and placed by the window manager), so
  // that a failure's message box opens over it.
  void ReadCalculationFileOnceShown(const std::string& path);
  // Servizi > Funzioni Intrinseche.
  void ShowFunctionListCommand();

  // The history as shown, oldest row first, as Latin-1 bytes.
  const History& CurrentHistory() const { return history_.Rows(); }

  const MainWindowLayout& Layout() const { return layout_; }
  std::int32_t CharWidth() const { return cw_; }
  std::int32_t CharHeight() const { return ch_; }
  const QString& ProgramFolder() const { return program_folder_; }
  const Calculator& calculator() const { return calculator_; }

  // The fonts of the window: a fixed-pitch font for the texts, the UI font for the buttons.
  static QFont TerminalFont();
  static QFont ButtonFont();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void StartUp();
  void ApplyLayout();
  // Shows the rows of history_.
  void ShowHistory();
  void ReturnToExpression(const QString& typed);
  // After a box, a dialog or a run: the window is active again and typing goes on in TxtExp.
  void BackToExpression();
  // After a failed compilation: the first offending part of the formula is selected.
  void ShowCompileErrorPlace(const std::optional<TextSpan>& place);
  // Puts the formula of history row i into TxtExp (double-click on the row).
  void RecallRow(int i);
  // Up (older) and Down (newer) at the edge of TxtExp: the next history formula, newest
  // first; past the newest, what was typed before the walk began.
  void StepThroughHistory(bool older);
  // Puts the formula of history row i into TxtExp, or the walk's draft for kHistoryRows.
  void PutRecalled(int row);
  void PutIntoExpression(const QString& text);
  // Reads file_to_read_ once the events that placed the window have been handled.
  void ReadPendingFileLater();
  // The history rows take their shade from the window's current palette.
  void PaintHistoryRows();
  void NameControlsForScreenReaders();

  PlatformServices& platform_;
  Calculator calculator_;
  CalculationHistory history_;
  QString program_folder_;
  std::int32_t cw_ = 0;
  std::int32_t ch_ = 0;
  MainWindowLayout layout_;

  QWidget* area_ = nullptr;  // the drawing area below the menu bar
  ExpressionBox* txt_exp_ = nullptr;
  QPushButton* cmd_ent_ = nullptr;
  QPushButton* cmd_exi_ = nullptr;
  ResultLabel* lbl_val_ = nullptr;
  std::array<HistoryBox*, kHistoryRows> txt_sav_{};
  std::array<ResultLabel*, kHistoryRows> lbl_sav_{};
  QAction* mnu_fil_let_ = nullptr;
  QAction* mnu_fil_scr_ = nullptr;
  QAction* mnu_ser_fun_ = nullptr;
  QAction* mnu_ser_lis_ = nullptr;

  bool putting_text_ = false;  // TxtExp is being filled by the window, not by the user
  std::string file_to_read_;   // a calculation file to read once the window is on the screen
};

}  // namespace numerella
