// The command-line evaluator: options, the run over a stream of formulas, and its output.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace numerella::cli {

struct Let {
  std::string name;
  double value;
};

struct Options {
  bool listing = false;
  bool whole_formula = false;  // each line is a five-section formula text
  bool json = false;
  bool help = false;
  std::vector<Let> lets;
  std::vector<std::string> formulas;  // from the arguments; none means standard input
};

// Parses the arguments (without the program name); on a usage error returns nullopt and
// writes the reason to error.
std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error);

// Runs every formula (from the options, else one per line of in) and writes one result per
// formula. Returns the exit status: 0 when every formula computed, 1 when any failed.
int Run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err);

extern const char kUsage[];

}  // namespace numerella::cli
