// numerella-eval: runs formulas through the engine exactly as the window does and writes
// what the window would show, or one JSON object per formula.
#include "cli.h"

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "calculation/calculation.h"

namespace numerella::cli {

const char kUsage[] =
    "usage: numerella-eval [--listing] [--formula] [--json] [--let NAME=VALUE]... [FORMULA...]\n"
    "  Computes each FORMULA, or each line of standard input when none is given.\n"
    "  --listing        show the compiler's check listing when a formula does not compile\n"
    "  --formula        each formula is a whole text head@variables@parameters@constants@expr\n"
    "  --json           write one JSON object per formula\n"
    "  --let NAME=VALUE give a declared variable or parameter its value (with --formula)\n"
    "Exit status: 0 every formula computed, 1 some failed, 2 usage error.\n";

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

// The sections of a formula text are found as the first "@" of what is left.
std::vector<std::string> DeclaredNames(std::string_view text, int section) {
  for (int s = 1; s < section; ++s) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos) return {};
    text.remove_prefix(at + 1);
  }
  std::string names(text.substr(0, text.find('@')));
  std::erase(names, ' ');
  std::vector<std::string> out;
  if (names.empty()) return out;
  std::size_t start = 0;
  for (std::size_t comma; (comma = names.find(',', start)) != std::string::npos; start = comma + 1) {
    out.push_back(names.substr(start, comma - start));
  }
  out.push_back(names.substr(start));
  return out;
}

// ValueTable indices of the declared variables and parameters that the lets name.
std::vector<Binding> Bindings(std::string_view text, const std::vector<Let>& lets) {
  std::vector<Binding> out;
  if (lets.empty()) return out;
  std::vector<std::string> slots = DeclaredNames(text, 2);
  const std::vector<std::string> parameters = DeclaredNames(text, 3);
  slots.insert(slots.end(), parameters.begin(), parameters.end());
  for (const Let& let : lets) {
    for (std::size_t k = 0; k < slots.size(); ++k) {
      if (slots[k] == let.name) {
        out.push_back({static_cast<int>(k) + 1, let.value});
        break;
      }
    }
  }
  return out;
}

// Collects the notices of one formula.
class NoticeList : public NoticeSink {
 public:
  void Notice(std::string_view text, std::string_view title) override {
    entries.push_back({std::string(title), std::string(text)});
  }
  std::vector<std::pair<std::string, std::string>> entries;
};

// Texts are Latin-1 bytes; JSON wants UTF-8, which the dump then escapes as \u00XX.
std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

nlohmann::json ValueJson(const Value& v) {
  if (!v || !std::isfinite(*v)) return nullptr;
  return *v;
}

nlohmann::json Codes(const std::string& codes) {
  nlohmann::json array = nlohmann::json::array();
  for (std::size_t i = 0; i < codes.size(); ++i) array.push_back(CodeAt(codes, i));
  return array;
}

nlohmann::json Values(const std::vector<Value>& values) {
  nlohmann::json array = nlohmann::json::array();
  for (const Value& v : values) array.push_back(ValueJson(v));
  return array;
}

// What the window shows for an outcome.
std::string ShownText(const CalculationOutcome& out) {
  switch (out.kind) {
    case CalculationOutcome::Kind::kResult: return out.result_text;
    case CalculationOutcome::Kind::kBlank: return "";
    default: return out.message;
  }
}

std::string JsonLine(std::string_view input, const CalculationOutcome& out, const Compiler& c,
                     const NoticeList& notices) {
  const CompiledProgram& p = out.program;
  const bool computed = out.kind == CalculationOutcome::Kind::kResult;
  nlohmann::json messages = nlohmann::json::array();
  for (const auto& entry : notices.entries) messages.push_back(Latin1ToUtf8(entry.second));
  nlohmann::ordered_json j;
  j["input"] = Latin1ToUtf8(input);
  j["compile_flag"] = p.CompileFlag == 0 ? 0 : -1;
  j["var_count"] = p.VarCount;
  j["par_count"] = p.ParCount;
  j["last_operand"] = p.LastOperand;
  j["program"] = Codes(p.Program);
  j["operand_map"] = Codes(p.OperandMap);
  j["value_table"] = Values(p.ValueTable);
  j["listing"] = Latin1ToUtf8(out.kind == CalculationOutcome::Kind::kBlank ? "" : c.CompileListing());
  j["eval_error"] = out.kind == CalculationOutcome::Kind::kEvalFailed;
  // A failed evaluation still has the value its last instruction left, when that is finite.
  const bool evaluated = computed || out.kind == CalculationOutcome::Kind::kEvalFailed;
  j["value"] = evaluated ? ValueJson(out.value) : nullptr;
  j["registers"] = Values(out.registers);
  j["text"] = Latin1ToUtf8(ShownText(out));
  j["messages"] = std::move(messages);
  return j.dump(-1, ' ', true);
}

// The listing's carriage returns become line ends; the text ends with exactly one.
std::string PlainText(const CalculationOutcome& out) {
  std::string text = ShownText(out);
  for (char& ch : text) {
    if (ch == '\r') ch = '\n';
  }
  if (text.empty() || text.back() != '\n') text += '\n';
  return text;
}

}  // namespace

std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_done || a.rfind("--", 0) != 0) {
      o.formulas.push_back(a);
    } else if (a == "--") {
      options_done = true;
    } else if (a == "--listing") {
      o.listing = true;
    } else if (a == "--formula") {
      o.whole_formula = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--help") {
      o.help = true;
    } else if (a == "--let" || a.rfind("--let=", 0) == 0) {
      std::string value;
      if (a == "--let") {
        if (i + 1 == args.size()) {
          error = "--let needs NAME=VALUE";
          return std::nullopt;
        }
        value = args[++i];
      } else {
        value = a.substr(6);
      }
      if (!ParseLet(value, o.lets, error)) return std::nullopt;
    } else {
      error = "unknown option " + a;
      return std::nullopt;
    }
  }
  return o;
}

int Run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
  Compiler compiler;
  bool failed = false;
  auto run_one = [&](std::string_view formula) {
    NoticeList notices;
    const CalculationOutcome outcome =
        options.whole_formula
            ? RunCompileText(compiler, formula, options.listing, Bindings(formula, options.lets),
                             &notices)
            : RunFormula(compiler, formula, options.listing, &notices);
    if (outcome.kind == CalculationOutcome::Kind::kCompileFailed ||
        outcome.kind == CalculationOutcome::Kind::kEvalFailed) {
      failed = true;
    }
    if (options.json) {
      out << JsonLine(formula, outcome, compiler, notices) << '\n';
    } else {
      for (const auto& [title, text] : notices.entries) err << title << ": " << text << '\n';
      out << PlainText(outcome);
    }
  };
  if (!options.formulas.empty()) {
    for (const std::string& f : options.formulas) run_one(f);
  } else {
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      run_one(line);
    }
  }
  out.flush();
  return failed ? 1 : 0;
}

}  // namespace numerella::cli
