// The two kinds of text box of the main window: the expression box, where Enter starts a
// calculation instead of breaking the line, and the read-only history rows, which send the
// user back to the expression box as soon as something is typed into them.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace numerella {

class ExpressionBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit ExpressionBox(QWidget* parent = nullptr);

  // The formula as Latin-1 bytes; characters outside Latin-1 become "?".
  std::string Formula() const;

 signals:
  // Enter or Return was pressed (with any modifier); the key is consumed.
  void enterPressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Pasted or dropped line breaks become blanks: a formula is one line, only wrapped.
  void insertFromMimeData(const QMimeData* source) override;
};

class HistoryBox : public QLineEdit {
  Q_OBJECT
 public:
  explicit HistoryBox(QWidget* parent = nullptr);

 signals:
  // A key that types something (no Ctrl, Alt or Meta held) was pressed; text holds its
  // printable characters, possibly none (Backspace, Enter). The box itself stays unchanged.
  void typed(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace numerella
