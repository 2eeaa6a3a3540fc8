// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of numerella-eval: what it asks for, and the exit statuses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calculation/calculation.h"

namespace numerella::cli {

// Exit statuses. A write error ends the run at once; a read error is reported and the run
// goes on with the next input. The highest status reached is the one returned.
enum ExitStatus : int {
  kAllComputed = 0,
  kSomeFailed = 1,  // some formula did not compile or its evaluation failed
  kUsageError = 2,  // the command line could not be understood
  kReadError = 3,   // an input could not be opened or read
  kWriteError = 4,  // standard output could not be written
};

// A --let: a value for a declared variable or parameter.
using Let = NamedValue;

// Where formulas come from, in command-line order.
struct Source {
  enum class Kind { kFormula, kFile };
  Kind kind;
  std::string text;  // the formula, or the file's name ("-" is standard input)
};

struct Options {
  bool listing = false;
  bool whole_formula = false;  // each formula is a five-section formula text
  bool json = false;
  bool program = false;  // also show the compiled program
  bool help = false;
  bool version = false;
  int jobs = 1;  // threads that compute formulas read from files
  std::vector<Let> lets;
  std::vector<Source> sources;  // none means standard input
};

// Parses the arguments (without the program name). On a usage error returns nullopt and
// sets error to one line naming the problem.
std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error);

inline constexpr int kMaxJobs = 64;

extern const char kUsage[];
extern const char kVersion[];

}  // namespace numerella::cli
