// SPDX-License-Identifier: GPL-3.0-or-later
// The written forms of a program: numeric, readable, and the reading of either back.
#include "compiler/compiled_program.h"

#include <charconv>

namespace numerella {
namespace {

void AppendNumber(std::string& out, int n) {
  char buffer[8];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, n);
  out.append(buffer, written.ptr);
}

void AppendRawCodes(std::string& out, std::string_view program, const Instruction& in) {
  for (std::size_t k = 0; k < in.length; ++k) {
    if (k > 0) out += ' ';
    AppendNumber(out, CodeAt(program, in.at + k));
  }
}

void AppendReadable(std::string& out, std::string_view program, const Instruction& in) {
  if (!in.complete) {
    out += "? ";
    AppendRawCodes(out, program, in);
    return;
  }
  if (const OperatorInfo* op = OperatorOfCode(in.code)) {
    out += op->mnemonic;
  } else if (IsOperatorCode(in.code)) {
    out += "OP";
    AppendNumber(out, in.code);
  } else if (in.code == kOpWholeExpression) {
    out += "EXPR";
  } else if (in.code == kOpNegation) {
    out += "NEG";
  } else {
    out += "CALL ";
    const int f = FunctionOfCode(in.code);
    if (f < kFunctionCount) {
      out += kIntrinsics[f].name;
    } else {
      out += '#';
      AppendNumber(out, in.code);
    }
  }
  for (int k = 0; k < in.count; ++k) {
    out += " r";
    AppendNumber(out, RegisterOf(program, in, k));
  }
}

template <typename Append>
std::string Written(std::string_view program, Append append) {
  std::string out;
  for (std::size_t at = 0; at < program.size();) {
    const Instruction in = InstructionAt(program, at);
    if (at > 0) out += " | ";
    append(out, program, in);
    at += in.length;
  }
  return out;
}

bool ReadNumber(std::string_view word, int& n) {
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), n);
  return error == std::errc() && end == word.data() + word.size() && n >= 0 && n <= 255;
}

// The code that a mnemonic starts, or -1. "CALL" is followed by the function's name.
int MnemonicCode(std::string_view word) {
  for (const OperatorInfo& op : kOperators) {
    if (op.mnemonic == word) return op.code;
  }
  if (word == "EXPR") return kOpWholeExpression;
  if (word == "NEG") return kOpNegation;
  return -1;
}

class Words {
 public:
  explicit Words(std::string_view text) : text_(text) {}
  // The next word, or an empty one at the end; "|" separates like a blank.
  std::string_view Next() {
    const std::size_t start = text_.find_first_not_of(" |\t\n");
    if (start == std::string_view::npos) return {};
    const std::size_t end = text_.find_first_of(" |\t\n", start);
    const std::string_view word = text_.substr(start, end - start);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end);
    return word;
  }
  std::string_view Peek() const { return Words(*this).Next(); }

 private:
  std::string_view text_;
};

}  // namespace

std::string ProgramCodes(std::string_view program) { return Written(program, AppendRawCodes); }

std::string ProgramText(std::string_view program) { return Written(program, AppendReadable); }

std::optional<std::string> ProgramFromText(std::string_view text) {
  std::string program;
  Words words(text);
  for (std::string_view word = words.Next(); !word.empty(); word = words.Next()) {
    int n = 0;
    if (word == "?") continue;
    if (ReadNumber(word, n)) {
      program += static_cast<char>(n);
      continue;
    }
    int code = MnemonicCode(word);
    if (word == "CALL") {
      const std::string_view name = words.Next();
      const int f = FunctionNumber(name);
      if (f >= 0) {
        code = CallCode(f);
      } else if (name.size() > 1 && name[0] == '#' && ReadNumber(name.substr(1), n)) {
        code = n;
      } else {
        return std::nullopt;
      }
    } else if (word.size() > 2 && word.substr(0, 2) == "OP" && ReadNumber(word.substr(2), n)) {
      code = n;
    }
    if (code < 0) return std::nullopt;
    std::string registers;
    while (words.Peek().size() > 1 && words.Peek()[0] == 'r') {
      if (!ReadNumber(words.Next().substr(1), n)) return std::nullopt;
      registers += static_cast<char>(n);
    }
    const bool fits = IsOperatorCode(code) ? registers.size() == 2
                                           : !registers.empty() && registers.size() <= 255;
    if (!fits) return std::nullopt;
    program += static_cast<char>(code);
    if (!IsOperatorCode(code)) program += static_cast<char>(registers.size());
    program += registers;
  }
  return program;
}

}  // namespace numerella
