// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of numerella-eval.
#include "options.h"

#include <cmath>
#include <cstdlib>

namespace numerella::cli {

const char kUsage[] =
    "usage: numerella-eval [OPTION]... [FORMULA | -f FILE | -]...\n"
    "  Computes each FORMULA and each line of each FILE, in the order given; with none of\n"
    "  them, each line of standard input. A lone - and the FILE - are standard input.\n"
    "  At a terminal, lines are edited with a prompt, history (Up/Down) and Tab completion\n"
    "  of function names; Ctrl+D ends the input.\n"
    "  -f, --file FILE     read formulas from FILE, one per line\n"
    "      --listing       show the compiler's check listing when a formula does not compile\n"
    "      --formula       each formula is a whole text head@variables@parameters@constants@expr\n"
    "      --let NAME=VALUE  give a declared variable or parameter its value (with --formula)\n"
    "      --json          write one JSON object per formula\n"
    "      --program       also show the compiled program\n"
    "  -j, --jobs N        compute with N threads (1 to 64); the output is the same\n"
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the version and exit\n"
    "      --              end of options: every later word is a formula (- stays input)\n"
    "Exit status: 0 every formula computed, 1 some failed, 2 usage error,\n"
    "3 an input could not be read, 4 the output could not be written.\n";

const char kVersion[] = "numerella-eval (Numerella) " NUMERELLA_VERSION "\n";

namespace {

bool ParseLet(const std::string& text, std::vector<Let>& lets, std::string& error) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) {
    error = "--let needs NAME=VALUE, got '" + text + "'";
    return false;
  }
  const std::string number = text.substr(eq + 1);
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (number.empty() || *end != '\0' || !std::isfinite(value)) {
    error = "--let " + text.substr(0, eq) + ": '" + number + "' is not a finite number";
    return false;
  }
  lets.push_back({text.substr(0, eq), value});
  return true;
}

bool ParseJobs(const std::string& text, int& jobs, std::string& error) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 1 || n > kMaxJobs) {
    error = "--jobs needs a whole number from 1 to 64, got '" + text + "'";
    return false;
  }
  jobs = static_cast<int>(n);
  return true;
}

// An option that takes a value: "--name VALUE", "--name=VALUE" or "-x VALUE".
// Returns false when a is not this option.
bool OptionValue(const std::vector<std::string>& args, std::size_t& i, const char* long_name,
                 const char* short_name, std::optional<std::string>& value) {
  const std::string& a = args[i];
  const std::string name = long_name;
  if (a == name || (short_name != nullptr && a == short_name)) {
    if (i + 1 < args.size()) value = args[++i];
    return true;
  }
  if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=') {
    value = a.substr(name.size() + 1);
    return true;
  }
  return false;
}

enum class Parsed { kDone, kNotOption, kError };

// One option of the argument list at i (i moves past its value).
Parsed ParseOption(const std::vector<std::string>& args, std::size_t& i, Options& o,
                   std::string& error) {
  const std::string& a = args[i];
  std::optional<std::string> value;
  if (a == "--listing") {
    o.listing = true;
  } else if (a == "--formula") {
    o.whole_formula = true;
  } else if (a == "--json") {
    o.json = true;
  } else if (a == "--program") {
    o.program = true;
  } else if (a == "--help" || a == "-h") {
    o.help = true;
  } else if (a == "--version" || a == "-V") {
    o.version = true;
  } else if (OptionValue(args, i, "--let", nullptr, value)) {
    if (!value) error = "--let needs NAME=VALUE";
    return value && ParseLet(*value, o.lets, error) ? Parsed::kDone : Parsed::kError;
  } else if (OptionValue(args, i, "--jobs", "-j", value)) {
    if (!value) error = a + " needs a number of threads";
    return value && ParseJobs(*value, o.jobs, error) ? Parsed::kDone : Parsed::kError;
  } else if (OptionValue(args, i, "--file", "-f", value)) {
    if (!value) {
      error = a + " needs a file name";
      return Parsed::kError;
    }
    o.sources.push_back({Source::Kind::kFile, *value});
  } else if (a.rfind("--", 0) == 0) {
    error = "unknown option '" + a + "'";
    return Parsed::kError;
  } else {
    // Any other word, also one that starts with a single "-" such as -3+4, is a formula.
    return Parsed::kNotOption;
  }
  return Parsed::kDone;
}

}  // namespace

std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    Parsed parsed = Parsed::kNotOption;
    if (a == "--" && !options_done) {
      options_done = true;
      continue;
    }
    if (!options_done) parsed = ParseOption(args, i, o, error);
    if (parsed == Parsed::kError) return std::nullopt;
    if (parsed == Parsed::kNotOption) {
      o.sources.push_back(a == "-" ? Source{Source::Kind::kFile, "-"}
                                   : Source{Source::Kind::kFormula, a});
    }
  }
  return o;
}

}  // namespace numerella::cli
