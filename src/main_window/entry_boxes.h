// SPDX-License-Identifier: GPL-3.0-or-later
// The text controls of the main window: the expression box, where Enter starts a calculation
// instead of breaking the line and Up and Down walk through the history; the read-only history
// rows, which send the user back to the expression box as soon as something is typed into
// them; and the result labels. Rows and results offer the same small menu (Copia, Seleziona
// tutto), and a double-click takes a result whole.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

class QMenu;

namespace numerella {

class ExpressionBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  // Formulas longer than this many characters wrap at the edge of the box, not between words.
  static constexpr qsizetype kLongFormula = 4096;

  explicit ExpressionBox(QWidget* parent = nullptr);

  // The text exactly as it stands, and as Latin-1 bytes (characters outside Latin-1 become "?").
  QString Text() const;
  std::string Formula() const;
  // Replaces the text and puts the cursor at its end.
  void SetFormula(const QString& text);
  // Selects length characters from start, clipped to the text; the cursor ends after them.
  void SelectPart(int start, int length);

 signals:
  // Enter or Return was pressed (with any modifier); the key is consumed.
  void enterPressed();
  // Up on the first line (older = true) or Down on the last line (older = false), without
  // modifiers: the key is consumed and the window may put another formula in.
  void historyStep(bool older);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Pasted or dropped line breaks become blanks: a formula is one line, only wrapped.
  void insertFromMimeData(const QMimeData* source) override;

 private:
  void FitWrapMode(qsizetype length);
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
