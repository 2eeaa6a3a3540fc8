// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval: formulas from the command line, from files and from standard input, through
// the engine, one answer each on standard output.
#pragma once

#include "options.h"

namespace numerella::cli {

// Runs every source of the options in order (standard input when there is none), reading
// standard input from in_fd and writing to out_fd and err_fd. Returns the exit status.
int Run(const Options& options, int in_fd, int out_fd, int err_fd);

}  // namespace numerella::cli
