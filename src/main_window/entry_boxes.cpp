// The expression box and the read-only history rows of the main window.
#include "main_window/entry_boxes.h"

#include <QKeyEvent>
#include <QMimeData>

#include "platform/latin1.h"

namespace numerella {

namespace {

bool IsEnter(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool TypesText(const QKeyEvent* event) {
  constexpr auto kCommandModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  return !event->text().isEmpty() && (event->modifiers() & kCommandModifiers) == 0;
}

QString PrintableOnly(const QString& text) {
  QString out;
  for (const QChar c : text) {
    if (c.isPrint()) out.append(c);
  }
  return out;
}

}  // namespace

ExpressionBox::ExpressionBox(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

std::string ExpressionBox::Formula() const { return ToBytes(toPlainText()); }

void ExpressionBox::keyPressEvent(QKeyEvent* event) {
  if (IsEnter(event)) {
    event->accept();
    emit enterPressed();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void ExpressionBox::insertFromMimeData(const QMimeData* source) {
  if (!source->hasText()) return;
  QString text = source->text();
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  for (QChar& c : text) {
    if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
      c = u' ';
    }
  }
  insertPlainText(text);
}

HistoryBox::HistoryBox(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

void HistoryBox::keyPressEvent(QKeyEvent* event) {
  if (!TypesText(event)) {
    // Selection, copying and moving around stay with the box.
    QLineEdit::keyPressEvent(event);
    return;
  }
  emit typed(PrintableOnly(event->text()));
  if (IsEnter(event)) {
    event->ignore();  // Enter goes on to the window, which starts the calculation
  } else {
    event->accept();
  }
}

}  // namespace numerella
