// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's keys and focus, the walk through the history, the history's colours and
// the names screen readers read.
#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "platform/latin1.h"

namespace numerella {

namespace {

// A history row's look: the light 3D shade of source behind its window text, in every
// colour group (active, inactive, disabled).
void PaintHistoryBackground(QWidget* widget, QPalette::ColorRole role, const QPalette& source) {
  QPalette palette = widget->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, role, source.color(group, QPalette::Midlight));
    palette.setColor(group, QPalette::Text, source.color(group, QPalette::WindowText));
    palette.setColor(group, QPalette::WindowText, source.color(group, QPalette::WindowText));
  }
  widget->setPalette(palette);
}

}  // namespace

void FrmMain::keyPressEvent(QKeyEvent* event) {
  // Enter that no control used (history rows, labels, ESCI): CALCOLO is the window's default
  // button, so Enter anywhere starts one calculation. The expression box and CALCOLO itself
  // take Enter before it gets here, so one key press never starts two runs.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    RunCalculation();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void FrmMain::changeEvent(QEvent* event) {
  // A desktop that switches to a dark theme while the program runs changes the palette.
  if (event->type() == QEvent::PaletteChange) PaintHistoryRows();
  QMainWindow::changeEvent(event);
}

void FrmMain::PaintHistoryRows() {
  const QPalette& source = palette();
  for (int i = 0; i < kHistoryRows; ++i) {
    PaintHistoryBackground(txt_sav_[i], QPalette::Base, source);
    PaintHistoryBackground(lbl_sav_[i], QPalette::Window, source);
  }
}

void FrmMain::ReturnToExpression(const QString& typed) {
  txt_exp_->setFocus();
  if (!typed.isEmpty()) txt_exp_->Type(typed);
}

void FrmMain::BackToExpression() {
  // A message window without a Qt parent leaves the focus on no window of the program when
  // it closes; the window asks to be active again, and the expression box takes the keys.
  if (isVisible()) activateWindow();
  txt_exp_->setFocus(Qt::OtherFocusReason);
}

void FrmMain::PutIntoExpression(const QString& text) {
  putting_text_ = true;
  txt_exp_->SetFormula(text);
  putting_text_ = false;
  txt_exp_->setFocus(Qt::OtherFocusReason);
}

void FrmMain::RecallRow(int i) {
  if (history_.Recall(i, txt_exp_->Text().toStdString())) PutRecalled(i);
}

void FrmMain::StepThroughHistory(bool older) {
  const QString shown = txt_exp_->Text().trimmed();
  // The rows hold Latin-1 text: what Latin-1 cannot write matches none of them.
  const bool latin1 = FromBytes(ToBytes(shown)) == shown;
  const std::optional<int> row =
      history_.Step(older, latin1 ? ToBytes(shown) : std::string(), txt_exp_->Text().toStdString());
  if (row) PutRecalled(*row);
}

void FrmMain::PutRecalled(int row) {
  // The draft is kept as UTF-8, so that whatever was typed comes back whole.
  PutIntoExpression(row == kHistoryRows ? QString::fromStdString(history_.Draft())
                                        : FromBytes(history_.Rows()[row].formula));
}

void FrmMain::NameControlsForScreenReaders() {
  txt_exp_->setAccessibleName(QStringLiteral("Espressione"));
  txt_exp_->setAccessibleDescription(
      QStringLiteral("La formula da calcolare; Invio calcola, Su e Gi\u00F9 richiamano le "
                     "formule precedenti"));
  cmd_ent_->setAccessibleName(QStringLiteral("CALCOLO"));
  cmd_ent_->setAccessibleDescription(QStringLiteral("Calcola la formula"));
  cmd_exi_->setAccessibleName(QStringLiteral("ESCI"));
  cmd_exi_->setAccessibleDescription(QStringLiteral("Chiude la Numerella"));
  for (int i = 0; i < kHistoryRows; ++i) {
    txt_sav_[i]->setAccessibleName(QStringLiteral("Cronologia, formula %1").arg(i + 1));
  }
}

}  // namespace numerella
