// SPDX-License-Identifier: GPL-3.0-or-later
// The function list and the call hint beside the expression box.
#include "main_window/completion_popup.h"

#include <QScrollBar>
#include <algorithm>

#include "message_window/cp437.h"

namespace numerella {

namespace {

// Rows shown before the list scrolls.
constexpr int kVisibleRows = 8;
// Pixels added to a row's text in width and height.
constexpr int kRowPadding = 6;

// The card's bytes as the glyphs it shows (the gamma sign, the superscript two).
QString Glyphs(std::string_view bytes) { return Cp437ToQString(bytes); }

// A floating window of the help: over the main window, never activated, no frame of the
// window manager, in the font of the box it helps (windows do not take their owner's font).
void MakeFloating(QWidget* widget, const QWidget* owner) {
  widget->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
  QFont font = owner->font();
  font.setResolveMask(QFont::AllPropertiesResolved);  // an inherited font counts as unset
  widget->setFont(font);
  widget->setAttribute(Qt::WA_ShowWithoutActivating);
  widget->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

CompletionList::CompletionList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("ListaFunzioni"));
  setAccessibleName(QStringLiteral("Funzioni"));
  setAccessibleDescription(
      QStringLiteral("Tab o Invio inserisce la funzione scelta, Esc chiude l'elenco"));
  MakeFloating(this, parent);
  viewport()->setFocusPolicy(Qt::NoFocus);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(true);
  connect(this, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { emit chosen(item->data(Qt::UserRole).toInt()); });
}

void CompletionList::ShowFunctions(const NameCompletion& completion,
                                   const QPoint& global_top_left) {
  if (completion.functions.empty()) {
    hide();
    shown_ = {};
    return;
  }
  if (completion.functions != shown_.functions || !isVisible()) {
    clear();
    for (const int f : completion.functions) {
      const FunctionHelp& help = FunctionHelps()[f];
      const QString text = Glyphs(help.call) + QStringLiteral("  ") + Glyphs(help.description);
      auto* item = new QListWidgetItem(text, this);
      item->setData(Qt::UserRole, f);
      // Room below the text, so that the next row does not cover the underscores of names.
      item->setSizeHint(QSize(fontMetrics().horizontalAdvance(text) + kRowPadding,
                              fontMetrics().height() + kRowPadding));
    }
    setCurrentRow(0);
    const int rows = std::min(count(), kVisibleRows);
    const int width = sizeHintForColumn(0) + 2 * frameWidth() +
                      (count() > kVisibleRows ? verticalScrollBar()->sizeHint().width() : 0);
    resize(width + 4, rows * sizeHintForRow(0) + 2 * frameWidth());
  }
  shown_ = completion;
  move(global_top_left);
  show();
}

int CompletionList::CurrentFunction() const {
  const QListWidgetItem* item = currentItem();
  return isVisible() && item != nullptr ? item->data(Qt::UserRole).toInt() : -1;
}

void CompletionList::Step(int rows) {
  setCurrentRow(std::clamp(currentRow() + rows, 0, count() - 1));
}

CallHintLabel::CallHintLabel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("SuggerimentoArgomenti"));
  MakeFloating(this, parent);
  setTextFormat(Qt::RichText);
  // The window's own colours: desktop themes do not all give tooltips dark colours with
  // their dark windows.
  setForegroundRole(QPalette::WindowText);
  setBackgroundRole(QPalette::Window);
  setAutoFillBackground(true);
  setFrameShape(QFrame::Box);
  setMargin(2);
}

void CallHintLabel::ShowHint(const CallPlace& place, const QPoint& global_bottom_left) {
  if (place.function < 0) {
    hide();
    shown_ = {};
    return;
  }
  if (place.function != shown_.function || place.argument != shown_.argument || !isVisible()) {
    const CallHint hint = HintFor(place);
    const auto escaped = [](const std::string& part) { return Glyphs(part).toHtmlEscaped(); };
    setText(escaped(hint.before) +
            (hint.current.empty() ? QString()
                                  : QStringLiteral("<b>%1</b>").arg(escaped(hint.current))) +
            escaped(hint.after));
    // Screen readers read the call and which argument the cursor is in.
    const QString call = Glyphs(hint.before + hint.current + hint.after);
    setAccessibleName(hint.current.empty()
                          ? call
                          : QStringLiteral("%1, argomento %2").arg(call, Glyphs(hint.current)));
    adjustSize();
  }
  shown_ = place;
  move(global_bottom_left - QPoint(0, height()));
  show();
}

}  // namespace numerella
