// SPDX-License-Identifier: GPL-3.0-or-later
// The preview, the wavy underline and the completion of the expression box.
#include "main_window/typing_help.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>

#include "main_window/completion_popup.h"
#include "main_window/entry_boxes.h"
#include "platform/latin1.h"

namespace numerella {

namespace {

// Marks the box's extra selections that are the help's own underline.
constexpr int kUnderlineTag = QTextFormat::UserProperty + 1;
// An error part longer than this is cut in the description screen readers read.
constexpr std::size_t kDescribedErrorLength = 24;
// Backgrounds darker than this (HSL lightness, 0 to 255) count as dark.
constexpr int kDarkLightness = 128;

bool TypesCharacter(const QKeyEvent* key) {
  constexpr auto kCommand = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  return !key->text().isEmpty() && key->text().at(0).isPrint() &&
         (key->modifiers() & kCommand) == 0;
}

bool IsPlain(const QKeyEvent* key) {
  return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

TypingHelp::TypingHelp(ExpressionBox* box)
    : QObject(box),
      box_(box),
      description_(box->accessibleDescription()),
      preview_label_(new QLabel(box->viewport())),
      pause_(new QTimer(this)),
      list_(new CompletionList(box)),
      hint_(new CallHintLabel(box)) {
  preview_label_->setObjectName(QStringLiteral("Anteprima"));
  preview_label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  preview_label_->setTextFormat(Qt::PlainText);
  preview_label_->setForegroundRole(QPalette::PlaceholderText);
  preview_label_->hide();
  pause_->setObjectName(QStringLiteral("PausaDigitazione"));
  pause_->setSingleShot(true);
  pause_->setInterval(kPauseMs);
  connect(pause_, &QTimer::timeout, this, &TypingHelp::Paused);
  connect(box_, &QPlainTextEdit::textChanged, this, &TypingHelp::TextChanged);
  connect(box_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (list_->isVisible()) UpdateCompletion();
    UpdateHint();
  });
  connect(box_->verticalScrollBar(), &QScrollBar::valueChanged, this, &TypingHelp::PlacePreview);
  connect(list_, &CompletionList::chosen, this, &TypingHelp::Accept);
  box_->installEventFilter(this);
}

void TypingHelp::TextChanged() {
  formula_ = box_->Formula();
  ShowUnderline(false);  // its place is stale; it comes back after the pause
  preview_current_ = formula_.size() <= kImmediateLength;
  if (preview_current_) {
    preview_.Update(formula_);
  } else {
    preview_.Clear();
  }
  ShowPreview();
  pause_->start();
  if (typed_ || list_->isVisible()) UpdateCompletion();
  typed_ = false;
  UpdateHint();
}

void TypingHelp::Paused() {
  if (!preview_current_) {
    preview_.Update(formula_);
    preview_current_ = true;
    ShowPreview();
  }
  ShowUnderline(!list_->isVisible());  // a name being completed is no error yet
}

void TypingHelp::ShowPreview() {
  const std::string& result = preview_.Result();
  preview_label_->setVisible(!result.empty());
  if (!result.empty()) {
    preview_label_->setText(QStringLiteral("= ") + FromBytes(result));
    preview_label_->adjustSize();
    PlacePreview();
  }
  UpdateDescription();
}

void TypingHelp::PlacePreview() {
  if (preview_.Result().empty()) return;
  // Right after the end of the text; on the line below, against the right edge, when the
  // last line is full; not at all when that is out of sight.
  QTextCursor end(box_->document());
  end.movePosition(QTextCursor::End);
  const QRect text_end = box_->cursorRect(end);
  const QRect area = box_->viewport()->rect();
  const QSize size = preview_label_->size();
  const int gap = box_->fontMetrics().horizontalAdvance(QLatin1Char(' '));
  QRect place(QPoint(text_end.right() + gap, text_end.top()), size);
  if (place.right() > area.right()) {
    place.moveTo(area.right() - size.width() - gap, text_end.bottom() + 1);
  }
  preview_label_->move(place.topLeft());
  preview_label_->setVisible(area.contains(place));
}

void TypingHelp::ShowUnderline(bool show) {
  if (!show && !underlined_) return;
  QList<QTextEdit::ExtraSelection> selections;
  for (const QTextEdit::ExtraSelection& s : box_->extraSelections()) {
    if (!s.format.hasProperty(kUnderlineTag)) selections.append(s);
  }
  const std::optional<TextSpan>& error = preview_.Error();
  underlined_ = show && error.has_value() && !formula_.empty();
  if (underlined_) {
    // An error of no length (an expression that ends too early) marks the character before.
    const auto size = static_cast<int>(formula_.size());
    int start = static_cast<int>(std::min(error->offset, formula_.size()));
    int length = static_cast<int>(std::min(error->length, formula_.size() - start));
    if (length == 0) {
      start = std::max(0, std::min(start, size) - 1);
      length = 1;
    }
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(box_->document());
    mark.cursor.setPosition(start);
    mark.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    // Red, lighter on a dark background so that it stands out as much as on a light one.
    const bool dark = box_->palette().color(QPalette::Base).lightness() < kDarkLightness;
    mark.format.setUnderlineColor(dark ? QColor(255, 110, 110) : QColor(Qt::red));
    mark.format.setProperty(kUnderlineTag, true);
    selections.append(mark);
  }
  box_->setExtraSelections(selections);
  UpdateDescription();
}

void TypingHelp::UpdateDescription() {
  // Only the description changes: screen readers read it with the box, without an
  // announcement at every key.
  QString note;
  if (!preview_.Result().empty()) {
    note = QStringLiteral("Anteprima: ") + FromBytes(preview_.Result());
  } else if (underlined_) {
    const TextSpan& error = *preview_.Error();
    std::string part = formula_.substr(std::min(error.offset, formula_.size()),
                                       std::min(error.length, kDescribedErrorLength));
    if (error.length > kDescribedErrorLength) part += "...";
    note = QStringLiteral("Errore in: ") + FromBytes(part);
  }
  box_->setAccessibleDescription(note.isEmpty() ? description_
                                                : note + QStringLiteral(". ") + description_);
}

void TypingHelp::UpdateCompletion() {
  const int cursor = box_->textCursor().position();
  const NameCompletion completion =
      box_->textCursor().hasSelection() ? NameCompletion{} : CompleteName(formula_, cursor);
  const QRect line = box_->cursorRect();
  list_->ShowFunctions(completion, box_->viewport()->mapToGlobal(line.bottomLeft()));
}

void TypingHelp::UpdateHint() {
  const CallPlace place =
      box_->hasFocus() ? CallAt(formula_, box_->textCursor().position()) : CallPlace{};
  const QRect line = box_->cursorRect();
  hint_->ShowHint(place, box_->viewport()->mapToGlobal(line.topLeft()));
}

void TypingHelp::Accept(int function) {
  list_->hide();
  if (function < 0) return;
  QTextCursor cursor = box_->textCursor();
  const NameCompletion completion = CompleteName(formula_, cursor.position());
  if (completion.functions.empty()) return;
  const std::string insert = CompletionText(formula_, completion, function);
  cursor.setPosition(static_cast<int>(completion.start));
  cursor.setPosition(static_cast<int>(completion.start + completion.length),
                     QTextCursor::KeepAnchor);
  cursor.insertText(FromBytes(insert));
  if (insert.back() != '(') cursor.movePosition(QTextCursor::NextCharacter);  // over its "("
  box_->setTextCursor(cursor);
}

bool TypingHelp::HandleListKey(const QKeyEvent* key) {
  if (!IsPlain(key)) return false;
  if (!list_->isVisible()) {
    if (key->key() != Qt::Key_Escape || !hint_->isVisible()) return false;
    hint_->hide();
    return true;
  }
  switch (key->key()) {
    case Qt::Key_Escape:
      list_->hide();
      if (!pause_->isActive()) ShowUnderline(true);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Accept(list_->CurrentFunction());
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      list_->Step(key->key() == Qt::Key_Up ? -1 : 1);
      return true;
    default:
      return false;
  }
}

void TypingHelp::HideFloating() {
  list_->hide();
  hint_->hide();
}

bool TypingHelp::eventFilter(QObject* watched, QEvent* event) {
  if (watched != box_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // The keys of the open list are the box's, not the window's shortcuts.
      const auto* key = static_cast<QKeyEvent*>(event);
      const int k = key->key();
      const bool list_key = k == Qt::Key_Tab || k == Qt::Key_Return || k == Qt::Key_Enter ||
                            k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_Escape;
      const bool open = list_->isVisible() || (k == Qt::Key_Escape && hint_->isVisible());
      if (open && list_key && IsPlain(key)) event->accept();
      break;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      typed_ = false;
      if (HandleListKey(key)) return true;
      typed_ = TypesCharacter(key);
      break;
    }
    case QEvent::FocusOut:
    case QEvent::Hide:
      HideFloating();
      break;
    case QEvent::FocusIn:
      UpdateHint();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace numerella
