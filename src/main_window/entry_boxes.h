// SPDX-License-Identifier: GPL-3.0-or-later
// The text controls of the main window: the expression box, where Enter starts a calculation
// instead of breaking the line, Up and Down walk through the history and no typing or pasting
// makes the formula longer than the compiler takes; the read-only history
// rows, which send the user back to the expression box as soon as something is typed into
// them; and the result labels. Rows and results offer the same small menu (Copia, Seleziona
// tutto), and a double-click takes a result whole.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "calculation/calculation.h"

class QMenu;

namespace numerella {

class ExpressionBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  // Formulas longer than this many characters wrap at the edge of the box, not between words.
  static constexpr qsizetype kLongFormula = 4096;
  // The longest formula the compiler takes. Typing, pasting or dropping that would make the
  // formula longer changes nothing and is reported by tooLong(); a formula the window puts in
  // (SetFormula) is kept whole, so that one read from a file can be seen and shortened.
  static constexpr qsizetype kMaxFormula = static_cast<qsizetype>(kLongestTypedFormula);

  explicit ExpressionBox(QWidget* parent = nullptr);

  // The text exactly as it stands, and as Latin-1 bytes (characters outside Latin-1 become "?").
  QString Text() const;
  std::string Formula() const;
  // Replaces the text and puts the cursor at its end.
  void SetFormula(const QString& text);
  // Selects length characters from start, clipped to the text; the cursor ends after them.
  void SelectPart(int start, int length);
  // Types text at the cursor, over the selection, within kMaxFormula.
  void Type(const QString& text);

 signals:
  // Enter or Return was pressed (with any modifier); the key is consumed.
  void enterPressed();
  // Up on the first line (older = true) or Down on the last line (older = false), without
  // modifiers: the key is consumed and the window may put another formula in.
  void historyStep(bool older);
  // Typed, pasted or dropped text was refused: the formula would have grown past kMaxFormula.
  // Sent once the event that brought the text has been handled (never from inside a drop),
  // once for refusals in quick succession (a key held down).
  void tooLong();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Pasted or dropped line breaks become blanks: a formula is one line, only wrapped.
  void insertFromMimeData(const QMimeData* source) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  void FitWrapMode(qsizetype length);
  // Whether typing count characters over the selection keeps the formula within kMaxFormula;
  // sends tooLong() when it does not.
  bool Fits(qsizetype count);

  bool too_long_pending_ = false;
};

class HistoryBox : public QLineEdit {
  Q_OBJECT
 public:
  explicit HistoryBox(QWidget* parent = nullptr);

  // The menu the box shows on a right click; the caller owns it.
  QMenu* CreateCopyMenu();

 signals:
  // A key that types something (no Ctrl, Alt or Meta held) was pressed; text holds its
  // printable characters, possibly none (Backspace, Enter). The box itself stays unchanged.
  void typed(const QString& text);
  // The box was double-clicked: its formula is wanted in the expression box.
  void recalled();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
};

class ResultLabel : public QLabel {
  Q_OBJECT
 public:
  // caption names the label for screen readers ("Risultato"); the name they read also holds
  // the text shown.
  ResultLabel(const QString& caption, Qt::Alignment alignment, QWidget* parent = nullptr);

  // Shows text as it is (no rich text) and keeps the name for screen readers up to date.
  void SetResult(const QString& text);
  // A result left from an earlier formula, after a run that failed, is shown dimmed (its text
  // unchanged) until SetResult shows a new one.
  void SetStale();

  // The menu the label shows on a right click; the caller owns it.
  QMenu* CreateCopyMenu();

 protected:
  // A result is one word to the user, whatever "." "+" or "-" it holds.
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Reached by Tab, the result is selected, as a history formula is: the selection marks
  // where the focus is.
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QString caption_;
};

}  // namespace numerella
