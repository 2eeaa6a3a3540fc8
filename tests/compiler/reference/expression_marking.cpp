// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference/expression_marking.h"

#include <algorithm>
#include <cctype>

#include "reference/function_table.h"
#include "reference/name_slots.h"
#include "reference/number_text.h"

namespace numerella::reference::compile_detail {
namespace {

constexpr std::string_view kOperatorChars = "-#()^*/+,";
constexpr std::string_view kOperandEnds = "^)*/,";
constexpr std::string_view kNumberStarts = ".0123456789";

bool Contains(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the text just before position end spells name (compared in upper case).
bool EndsWithName(std::string_view text, std::size_t end, std::string_view name) {
  if (end < name.size()) return false;
  const std::size_t start = end - name.size();
  for (std::size_t k = 0; k < name.size(); ++k) {
    if (UpperLatin1(text[start + k]) != name[k]) return false;
  }
  return true;
}

// Cuts the expression into operators and operands and gives each operand its slot.
class Scanner {
 public:
  Scanner(const Declarations& d, std::string& operand_map, Findings& findings)
      : operand_map_(operand_map), findings_(findings) {
    names_.AppendPacked(d.var_names);
    names_.AppendPacked(d.par_names);
    names_.AppendPacked(d.const_names);
  }

  MarkedExpression Scan(std::string_view text) {
    result_.text = "##98";
    result_.text.reserve(text.size() * 2 + 4);
    std::size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      if (c == '#' && IsMarkAt(text, i, '#')) {
        result_.text.append(text.substr(i, 4));
        i += 4;
      } else if (Contains(kOperatorChars, c)) {
        result_.text.push_back(c);  // a stray "#" stays alone and fails the syntax check
        ++i;
      } else {
        const std::size_t end = OperandEnd(text, i);
        Operand(text.substr(i, end - i));
        i = end;
      }
    }
    return std::move(result_);
  }

 private:
  static std::size_t OperandEnd(std::string_view text, std::size_t start) {
    const bool numeric = Contains(kNumberStarts, text[start]);
    std::size_t j = start + 1;
    for (; j < text.size(); ++j) {
      const char d = text[j];
      if (Contains(kOperandEnds, d)) break;
      if (d == '+' || d == '-') {
        const bool exponent_sign = numeric && (text[j - 1] == 'E' || text[j - 1] == 'e');
        if (!exponent_sign) break;
      }
    }
    return j;
  }

  void Operand(std::string_view operand) {
    ++result_.last_ordinal;
    if (Contains(kNumberStarts, operand[0])) {
      Literal(UpperLatin1(operand));
    } else {
      Name(operand);
    }
  }

  // A numeric literal becomes a constant of its own, in a new slot named "@@" + ordinal.
  void Literal(const std::string& text) {
    const int ordinal = result_.last_ordinal;
    if (ordinal < 100) {
      names_.AppendSlot("@@" + TwoDigits(ordinal));
    } else {
      names_.AppendHiddenSlot();  // beyond the operand limit: the syntax check rejects it
    }
    AppendOperand(names_.count());
    DecimalReading reading;
    if (IsValidLiteral(text)) reading = ReadDecimal(text);
    if (!IsValidLiteral(text) || reading.overflow) {
      findings_.Error({"* ERR. ", text, " Espressione Numerica Errata"});
    }
    result_.literal_values.push_back(reading.overflow ? 0.0 : reading.value);
  }

  // A name reads the first slot that holds exactly it.
  void Name(std::string_view name) {
    if (name.size() > kNameWidth) {
      findings_.Error({"* ERR. ", name, " Espressione Variabile Errata"});
      name = name.substr(0, kNameWidth);
    }
    std::string padded(name);
    padded.resize(kNameWidth, ' ');
    const int slot = names_.Find(padded);
    if (slot == 0) {
      findings_.Error({"* ERR. Variabile ", name, " NON definita"});
      return;
    }
    AppendOperand(slot);
  }

  void AppendOperand(int slot) {
    if (slot > kMaxSlot) {
      // Reported once; the operand gets no code, and the compilation fails.
      if (!slot_overflow_reported_) {
        findings_.Error({"* ERR. Troppi Nomi e Costanti (al massimo 255)"});
        slot_overflow_reported_ = true;
      }
      findings_.Fail();
    } else {
      operand_map_.push_back(static_cast<char>(slot));
    }
    result_.text.append("@@");
    result_.text.append(TwoDigits(result_.last_ordinal));
  }

  NameSlots names_;
  std::string& operand_map_;
  Findings& findings_;
  MarkedExpression result_;
  bool slot_overflow_reported_ = false;
};

}  // namespace

bool IsMarkAt(std::string_view text, std::size_t at, char mark) {
  return at + 4 <= text.size() && text[at] == mark && text[at + 1] == mark &&
         IsDigit(text[at + 2]) && IsDigit(text[at + 3]);
}

std::string NormalForm(std::string_view expression) {
  std::string out;
  out.reserve(expression.size() * 2 + 2);
  out.push_back('(');
  for (char c : expression) {
    if (c == ' ') continue;
    const bool after_open = out.back() == '(' || out.back() == ',';
    if (after_open && c == '+') continue;
    if (after_open && c == '-') out.push_back('0');
    out.push_back(c);
  }
  out.push_back(')');
  return out;
}

std::string MarkFunctions(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2 * 3 + 4);
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Every function name ends in a letter or a digit; other "(" need no lookup.
    if (text[i] == '(' && i > 0 && std::isalnum(static_cast<unsigned char>(text[i - 1]))) {
      // Names hold no "(", so the characters before this one are still as typed in out.
      for (int f = 0; f < kFunctionCount; ++f) {
        const std::string_view name = FunctionName(f);
        if (!EndsWithName(text, i, name)) continue;
        for (std::size_t k = 0; k < name.size(); ++k) out.pop_back();
        for (char c : "##" + TwoDigits(f)) out.push_back(c);
        break;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

MarkedExpression MarkExpression(std::string_view expression, const Declarations& declarations,
                                std::string& operand_map, Findings& findings) {
  findings.Line({"*** Controllo della Funzione"});
  const auto opened = std::count(expression.begin(), expression.end(), '(');
  const auto closed = std::count(expression.begin(), expression.end(), ')');
  if (opened != closed) {
    findings.Error(
        {"* ERR. ", BlankSigned(opened), "Parentesi Aperte e ", BlankSigned(closed), " Chiuse"});
  }
  Scanner scanner(declarations, operand_map, findings);
  return scanner.Scan(MarkFunctions(NormalForm(expression)));
}

bool CheckSyntax(std::string_view marked, Findings& findings) {
  constexpr std::string_view kAfterOpen = "(#@";
  constexpr std::string_view kAfterOperand = ")-+*/^,";
  std::string_view allowed = kAfterOpen;
  int depth = 0;
  bool ok = true;
  for (std::size_t i = 0; ok && i < marked.size();) {
    const char c = marked[i];
    ok = Contains(allowed, c);
    if (!ok) break;
    if (c == '(') {
      ++depth;
      allowed = "#@(";
      ++i;
    } else if (c == ')') {
      // Only the last ")" may close the whole expression: an earlier one had no "(" to close.
      --depth;
      ok = depth > 0 || (depth == 0 && i + 1 == marked.size());
      allowed = kAfterOperand;
      ++i;
    } else if (c == '#' || c == '@') {
      ok = IsMarkAt(marked, i, c);
      allowed = c == '#' ? "(" : kAfterOperand;
      i += 4;
    } else {
      allowed = kAfterOpen;
      ++i;
    }
  }
  ok = ok && depth == 0;
  if (!ok) findings.Error({"* ERR. Scrittura dell'Espressione Errata"});
  return ok;
}

}  // namespace numerella::reference::compile_detail
