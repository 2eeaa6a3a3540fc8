// SPDX-License-Identifier: GPL-3.0-or-later
// Formulas typed at a terminal: a prompt, line editing through GNU Readline, the history of
// earlier lines (kept between sessions) and completion of function names with Tab.
#pragma once

#include <functional>
#include <string_view>

#include "output.h"

namespace numerella::cli {

// Whether in_fd and out_fd are standard input and output and both are terminals: the case the
// line editor is for.
bool AtTerminal(int in_fd, int out_fd);

// Reads lines at the terminal until the input ends (Ctrl+D on an empty line) and hands each
// entered line to compute, which writes its answer; a paste of several lines is handed over
// line by line. Ctrl+C empties the line being edited. err gets the report of a history file
// that cannot be read or written. When compute throws, the terminal and the signal
// dispositions are restored before the exception goes on.
void ReadTerminal(const std::function<void(std::string_view)>& compute, Output& err);

}  // namespace numerella::cli
