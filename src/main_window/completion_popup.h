// SPDX-License-Identifier: GPL-3.0-or-later
// The two small windows that float by the expression box while a formula is typed: the list
// of functions whose names start with the letters typed, and the hint with the arguments of
// the call the cursor is in. Neither takes the keyboard focus: the box keeps it, and the
// typing help hands them the keys that act on the list.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPoint>
#include <string_view>

#include "main_window/formula_help.h"

namespace numerella {

class CompletionList : public QListWidget {
  Q_OBJECT
 public:
  // A top-level window owned by parent, shown over everything, never active.
  explicit CompletionList(QWidget* parent);

  // Shows the functions of completion (a row each: "C_N(x,m,s)  Normale ...", the first one
  // current) with its top left corner at a global position; hides the list when none fits.
  void ShowFunctions(const NameCompletion& completion, const QPoint& global_top_left);
  // The number of the current row's function, or -1.
  int CurrentFunction() const;
  // Up (-1) or Down (+1), stopping at the ends.
  void Step(int rows);

 signals:
  // A row was clicked.
  void chosen(int function);

 private:
  NameCompletion shown_;
};

class CallHintLabel : public QLabel {
  Q_OBJECT
 public:
  explicit CallHintLabel(QWidget* parent);

  // Shows the call's arguments, the current one in bold, with its bottom left corner at a
  // global position; hides the label when the cursor is in no call.
  void ShowHint(const CallPlace& place, const QPoint& global_bottom_left);

 private:
  CallPlace shown_;
};

}  // namespace numerella
