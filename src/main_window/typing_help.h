// SPDX-License-Identifier: GPL-3.0-or-later
// Help in the expression box while a formula is typed. The value CALCOLO would give shows in
// grey after the text (and in the box's description for screen readers); after a short pause
// the first error of a formula that does not compile is underlined with a wavy line; letters
// typed offer the functions whose names start with them, and inside a call a hint shows its
// arguments. Nothing of this runs a calculation: the result label, the history and every
// message stay with CALCOLO and Enter.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "main_window/formula_help.h"

class QKeyEvent;
class QLabel;
class QTimer;

namespace numerella {

class CallHintLabel;
class CompletionList;
class ExpressionBox;

class TypingHelp : public QObject {
  Q_OBJECT
 public:
  // The pause after the last key before an error is underlined.
  static constexpr int kPauseMs = 400;
  // Formulas up to this length are previewed at every key; longer ones after the pause, so
  // that typing in them stays as quick as without the help.
  static constexpr std::size_t kImmediateLength = 4096;

  // Helps in box, which owns the help; the box's accessible description is the one it keeps
  // and adds the preview to.
  explicit TypingHelp(ExpressionBox* box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TextChanged();
  void Paused();
  void ShowPreview();
  void PlacePreview();
  void ShowUnderline(bool show);
  void UpdateDescription();
  void UpdateCompletion();
  void UpdateHint();
  // Whether a key acts on the open list (or closes the hint), and does so.
  bool HandleListKey(const QKeyEvent* key);
  void Accept(int function);
  void HideFloating();

  ExpressionBox* box_;
  FormulaPreview preview_;
  std::string formula_;           // the box's text as last read
  bool preview_current_ = false;  // preview_ is about formula_
  bool underlined_ = false;
  bool typed_ = false;   // the text changes under a typed character
  QString description_;  // the box's own description
  QLabel* preview_label_;
  QTimer* pause_;
  CompletionList* list_;
  CallHintLabel* hint_;
};

}  // namespace numerella
