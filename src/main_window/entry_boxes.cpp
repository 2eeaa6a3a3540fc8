// SPDX-License-Identifier: GPL-3.0-or-later
// The expression box, the read-only history rows and the result labels of the main window.
#include "main_window/entry_boxes.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

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

// The small menu of a read-only text: copy the selection, select everything.
QMenu* CopyMenu(QWidget* parent, bool has_selection, const std::function<void()>& copy,
                const std::function<void()>& select_all) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("MenuCopia"));
  QAction* copy_action =
      menu->addAction(QStringLiteral("&Copia\t") +
                      QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText));
  copy_action->setObjectName(QStringLiteral("Copia"));
  copy_action->setEnabled(has_selection);
  QObject::connect(copy_action, &QAction::triggered, parent, copy);
  menu->addSeparator();
  QAction* all_action =
      menu->addAction(QStringLiteral("Seleziona &tutto\t") +
                      QKeySequence(QKeySequence::SelectAll).toString(QKeySequence::NativeText));
  all_action->setObjectName(QStringLiteral("SelezionaTutto"));
  QObject::connect(all_action, &QAction::triggered, parent, select_all);
  return menu;
}

void ShowMenu(QMenu* menu, const QPoint& global_position) {
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(global_position);
}

}  // namespace

ExpressionBox::ExpressionBox(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Every place the cursor is drawn at asks for the direction of the paragraph. Left to the
  // text, that means looking for a letter, which a formula of numbers and operators does not
  // have: each blink of the cursor went through the whole formula. A formula reads left to
  // right in any case.
  QTextOption option = document()->defaultTextOption();
  option.setTextDirection(Qt::LeftToRight);
  document()->setDefaultTextOption(option);
  FitWrapMode(0);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    FitWrapMode(document()->characterCount());
    // The paragraph's shaped text is kept between paints: otherwise every blink of the cursor
    // and every repaint of a selection shapes the whole formula again.
    document()->firstBlock().layout()->setCacheEnabled(true);
  });
}

void ExpressionBox::FitWrapMode(qsizetype length) {
  // Short formulas wrap between words where they can, so that numbers and names stay whole.
  // A formula has few places to break a line, and looking for them costs time that grows with
  // the square of its length: a 64 KiB formula took about half a second per key. Long texts
  // therefore wrap at the edge of the box.
  const QTextOption::WrapMode mode =
      length > kLongFormula ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
  if (wordWrapMode() != mode) setWordWrapMode(mode);
}

QString ExpressionBox::Text() const {
  // toPlainText() would turn no-break spaces (byte 160) into blanks; the raw text keeps every
  // character, and the box holds one paragraph (line breaks never get in).
  QString text = document()->toRawText();
  for (QChar& c : text) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = u' ';
  }
  return text;
}

std::string ExpressionBox::Formula() const { return ToBytes(Text()); }

void ExpressionBox::SetFormula(const QString& text) {
  FitWrapMode(text.size());  // before the text is laid out
  setPlainText(text);
  moveCursor(QTextCursor::End);
}

void ExpressionBox::SelectPart(int start, int length) {
  const int size = document()->characterCount() - 1;  // without the closing paragraph mark
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  QTextCursor cursor = textCursor();
  cursor.setPosition(start);
  cursor.setPosition(start + length, QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

bool ExpressionBox::Fits(qsizetype count) {
  const QTextCursor cursor = textCursor();
  const qsizetype length = document()->characterCount() - 1;  // without the paragraph mark
  const qsizetype replaced = cursor.selectionEnd() - cursor.selectionStart();
  if (count <= replaced || length - replaced + count <= kMaxFormula) return true;
  if (!std::exchange(too_long_pending_, true)) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          too_long_pending_ = false;
          emit tooLong();
        },
        Qt::QueuedConnection);
  }
  return false;
}

void ExpressionBox::Type(const QString& text) {
  if (Fits(text.size())) insertPlainText(text);
}

void ExpressionBox::keyPressEvent(QKeyEvent* event) {
  if (IsEnter(event)) {
    event->accept();
    emit enterPressed();
    return;
  }
  if (TypesText(event) && !Fits(PrintableOnly(event->text()).size())) {
    event->accept();
    return;
  }
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    // The cursor on the first (last) line of the wrapped text cannot move up (down).
    QTextCursor probe = textCursor();
    probe.clearSelection();
    const bool up = event->key() == Qt::Key_Up;
    if (!probe.movePosition(up ? QTextCursor::Up : QTextCursor::Down)) {
      event->accept();
      emit historyStep(up);
      return;
    }
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
  if (!Fits(text.size())) return;
  FitWrapMode(document()->characterCount() + text.size());
  insertPlainText(text);
}

void ExpressionBox::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty() && !Fits(event->commitString().size())) {
    // What is being composed stays on show; only the text to add is dropped.
    QInputMethodEvent kept(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&kept);
    return;
  }
  QPlainTextEdit::inputMethodEvent(event);
}

HistoryBox::HistoryBox(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  // A line edit keeps 32767 characters by default; a row shows and saves back every character
  // of what was computed or read.
  setMaxLength(std::numeric_limits<int>::max());
}

QMenu* HistoryBox::CreateCopyMenu() {
  const auto copy_selection = [this] { copy(); };
  return CopyMenu(this, hasSelectedText(), copy_selection, [this] { selectAll(); });
}

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

void HistoryBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLineEdit::mouseDoubleClickEvent(event);
    return;
  }
  event->accept();
  emit recalled();
}

void HistoryBox::contextMenuEvent(QContextMenuEvent* event) {
  ShowMenu(CreateCopyMenu(), event->globalPos());
  event->accept();
}

ResultLabel::ResultLabel(const QString& caption, Qt::Alignment alignment, QWidget* parent)
    : QLabel(parent), caption_(caption) {
  setAlignment(alignment | Qt::AlignVCenter);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setFocusPolicy(Qt::StrongFocus);  // a Tab stop, so that results can be read from the keyboard
  setTextFormat(Qt::PlainText);     // texts read from a file are shown as they are
  setAutoFillBackground(true);
  setAccessibleName(caption_);
}

void ResultLabel::SetResult(const QString& text) {
  setText(text);
  const QString shown = text.trimmed();
  setAccessibleName(shown.isEmpty() ? caption_ : caption_ + QStringLiteral(": ") + shown);
  setForegroundRole(QPalette::WindowText);
  setAccessibleDescription(QString());
}

void ResultLabel::SetStale() {
  if (text().trimmed().isEmpty()) return;
  // A role of the palette, so that the dimmed shade follows a change of theme.
  setForegroundRole(QPalette::PlaceholderText);
  setAccessibleDescription(QStringLiteral("Risultato di un calcolo precedente"));
}

void ResultLabel::focusInEvent(QFocusEvent* event) {
  QLabel::focusInEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
      reason == Qt::ShortcutFocusReason) {
    setSelection(0, static_cast<int>(text().size()));
  }
}

void ResultLabel::focusOutEvent(QFocusEvent* event) {
  QLabel::focusOutEvent(event);
  // A menu or another window keeps the selection, as in the history formulas.
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
    setSelection(0, 0);
  }
}

QMenu* ResultLabel::CreateCopyMenu() {
  return CopyMenu(
      this, hasSelectedText(), [this] { QGuiApplication::clipboard()->setText(selectedText()); },
      [this] { setSelection(0, static_cast<int>(text().size())); });
}

void ResultLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLabel::mouseDoubleClickEvent(event);
    return;
  }
  event->accept();
  setSelection(0, static_cast<int>(text().size()));
}

void ResultLabel::contextMenuEvent(QContextMenuEvent* event) {
  ShowMenu(CreateCopyMenu(), event->globalPos());
  event->accept();
}

}  // namespace numerella
