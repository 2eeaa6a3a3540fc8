// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled program and its instruction set: the one contract between the compiler, the
// evaluator, the calculation run, the command-line evaluator, the tests and the fuzz checks.
// Everything that knows an instruction code, a function number, a function's name or its
// argument count reads it from here.
//
// A program is a byte text of instructions that follow each other without separators:
//   operator instruction   op L R                 register L := register L op register R
//   call instruction       10+f n a1 a2 ... an    register a1 := function f of a1 ... an
// The whole-expression instruction (code 108, written as function 98 by the compiler's marked
// text) passes its first register unchanged; code 109 negates its first register and is
// never produced by the compiler. Every other code does nothing.
//
// Two written forms of a program (ProgramCodes and ProgramText below), for tests, the fuzz
// checks and the command-line evaluator's program output:
//   numeric    "4 1 2 | 1 1 3 | 2 0 1 | 108 1 0"     every code in decimal, " | " between
//                                                   instructions
//   readable   "ADD r1 r2 | POW r1 r3 | MUL r0 r1 | EXPR r0"
//              an operator is its mnemonic (POW MUL DIV ADD SUB) and its two registers; a
//              function call is "CALL", the function's name and its registers; the
//              whole-expression instruction is "EXPR" and its registers, negation "NEG" and its
//              registers. A code outside the instruction set is written "OP6 r0 r1" (operator
//              range) or "CALL #50 r0" (call range). An instruction that is cut short by the
//              end of the program, or a call with no argument, is written "?" and its codes in
//              decimal ("? 4 0").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace numerella {

// A value slot: a double, or nothing (empty). Empty counts as 0 in every computation.
using Value = std::optional<double>;

struct CompiledProgram {
  int VarCount = 0;               // number of declared variables
  int ParCount = 0;               // number of declared parameters
  std::vector<Value> ValueTable;  // indices 0 .. N, one per name slot; entry 0 unused
  int LastOperand = 0;            // number of operands minus 1
  std::string Program;            // instruction codes, one byte each (0 allowed)
  std::string OperandMap;         // per operand: its ValueTable index, one byte each
  int CompileFlag = 0;            // in: nonzero asks for the listing; out: 0 ok, -1 errors
};

// Reads byte i of a code text as 0 .. 255.
inline int CodeAt(std::string_view codes, std::size_t i) {
  return static_cast<std::uint8_t>(codes[i]);
}

// ---------------------------------------------------------------------------------------------
// Instruction codes.

enum Opcode : int {
  kOpPower = 1,              // L ^ R
  kOpMultiply = 2,           // L * R
  kOpDivide = 3,             // L / R
  kOpAdd = 4,                // L + R
  kOpSubtract = 5,           // L - R
  kOpFirstCall = 10,         // codes from here on are call instructions; 10 + f calls function f
  kOpWholeExpression = 108,  // passes its first register unchanged; the last instruction
  kOpNegation = 109,         // negates its first register; never produced by the compiler
};

// The function number that the whole-expression instruction carries (108 = 10 + 98).
inline constexpr int kWholeExpressionFunction = kOpWholeExpression - kOpFirstCall;

// Length of an operator instruction; a call of n arguments is 2 + n codes long.
inline constexpr int kOperatorLength = 3;

// The evaluator reads positions in 16 bits: a longer program fails before its first step.
inline constexpr std::size_t kMaxProgramLength = 32767;

// The call code of function number f, and the function number of a call code.
constexpr int CallCode(int f) { return kOpFirstCall + f; }
constexpr int FunctionOfCode(int code) { return code - kOpFirstCall; }
constexpr bool IsOperatorCode(int code) { return code < kOpFirstCall; }

// ---------------------------------------------------------------------------------------------
// The operators: character, code, precedence level (0 binds tightest; one level is reduced
// left to right before the next), the mnemonic of the readable program form, and whether the
// character may also stand as a sign where an operand starts ("+" is then dropped, "-"
// subtracts from 0). The compiler's character classes are made from this table.

struct OperatorInfo {
  char symbol;
  int code;
  int level;
  std::string_view mnemonic;
  bool sign;
};

inline constexpr int kPrecedenceLevels = 3;

inline constexpr std::array<OperatorInfo, 5> kOperators = {{
    {'^', kOpPower, 0, "POW", false},
    {'*', kOpMultiply, 1, "MUL", false},
    {'/', kOpDivide, 1, "DIV", false},
    {'+', kOpAdd, 2, "ADD", true},
    {'-', kOpSubtract, 2, "SUB", true},
}};

// The operator of a character, or nullptr.
constexpr const OperatorInfo* FindOperator(char symbol) {
  for (const OperatorInfo& op : kOperators) {
    if (op.symbol == symbol) return &op;
  }
  return nullptr;
}

// The operator of a code, or nullptr.
constexpr const OperatorInfo* OperatorOfCode(int code) {
  for (const OperatorInfo& op : kOperators) {
    if (op.code == code) return &op;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The 32 intrinsic functions, by function number. A new function gets the next number here;
// everything else that counts or names the functions reads this table.

// An argument count of kAnyCount accepts any number of arguments from one on.
inline constexpr int kAnyCount = 0;

struct IntrinsicInfo {
  int number;
  std::string_view name;
  int arguments;
};

inline constexpr auto kIntrinsics = std::to_array<IntrinsicInfo>({
    {0, "ABS", 1},  {1, "SQR", 1},          {2, "EXP", 1},          {3, "LOG", 1},
    {4, "ASIN", 1}, {5, "ACOS", 1},         {6, "ATAN", 1},         {7, "SIN", 1},
    {8, "COS", 1},  {9, "TAN", 1},          {10, "SGN", 1},         {11, "LNGAM", 1},
    {12, "GAM", 1}, {13, "SUM", kAnyCount}, {14, "AVG", kAnyCount}, {15, "STD", kAnyCount},
    {16, "D_B", 3}, {17, "C_B", 3},         {18, "D_P", 2},         {19, "C_P", 2},
    {20, "D_N", 3}, {21, "C_N", 3},         {22, "D_X2", 2},        {23, "C_X2", 2},
    {24, "D_T", 2}, {25, "C_T", 2},         {26, "D_F", 3},         {27, "C_F", 3},
    {28, "P", 1},   {29, "Q", 1},           {30, "A", 1},           {31, "INT", 1},
});

inline constexpr int kFunctionCount = static_cast<int>(kIntrinsics.size());

// The longest function name.
inline constexpr std::size_t kMaxFunctionNameLength = 5;

namespace contract_detail {
constexpr bool TableIsConsistent() {
  for (int f = 0; f < kFunctionCount; ++f) {
    const IntrinsicInfo& info = kIntrinsics[f];
    if (info.number != f || info.name.empty() || info.name.size() > kMaxFunctionNameLength) {
      return false;
    }
    if (info.arguments < 0 || info.arguments > 3) return false;
    for (int g = 0; g < f; ++g) {
      if (kIntrinsics[g].name == info.name) return false;
    }
  }
  return true;
}
}  // namespace contract_detail
static_assert(contract_detail::TableIsConsistent(),
              "function numbers run from 0 in table order, names are distinct and short");
static_assert(CallCode(kFunctionCount - 1) < kOpWholeExpression);

// The number of the function of that name (exact, upper case), or -1.
constexpr int FunctionNumber(std::string_view name) {
  for (const IntrinsicInfo& info : kIntrinsics) {
    if (info.name == name) return info.number;
  }
  return -1;
}

// Whether a function's name begins with the typed letters, compared as the compiler compares
// names: the typed a to z raised to upper case (the names are upper-case ASCII).
constexpr bool NameBeginsWith(std::string_view name, std::string_view typed) {
  if (typed.size() > name.size()) return false;
  for (std::size_t k = 0; k < typed.size(); ++k) {
    const char c =
        typed[k] >= 'a' && typed[k] <= 'z' ? static_cast<char>(typed[k] - 'a' + 'A') : typed[k];
    if (c != name[k]) return false;
  }
  return true;
}

// The argument count of every call code: its function's count, and kAnyCount for the codes
// that call no function (the whole-expression instruction among them). A table, so that the
// evaluator's loop pays one lookup per call.
inline constexpr std::array<std::uint8_t, 256> kCallArgumentCounts = [] {
  std::array<std::uint8_t, 256> counts{};
  for (const IntrinsicInfo& info : kIntrinsics) {
    counts[CallCode(info.number)] = static_cast<std::uint8_t>(info.arguments);
  }
  return counts;
}();

// The number of arguments a call of code `code` with n arguments should carry: its function's
// own count, or n itself when any count will do. A call also needs at least one argument.
constexpr int WantedArguments(int code, int n) {
  const int wanted = kCallArgumentCounts[static_cast<std::uint8_t>(code)];
  return wanted == kAnyCount ? n : wanted;
}

// Whether a call of code `code` with n arguments lets its function read only arguments it has.
constexpr bool CallCountFits(int code, int n) { return n >= 1 && n == WantedArguments(code, n); }

// The same for function number f.
constexpr bool ArgumentCountFits(int f, int n) { return CallCountFits(CallCode(f), n); }

// Whether the lines of a reference text show function info as a call with its arguments: the
// name at the start of a word, "(" and a list of as many arguments as the function takes ("x",
// "k,n,p"), or, for the functions of any count, a list that goes on with "...".
template <std::size_t N>
constexpr bool ShowsFunction(const char* const (&lines)[N], const IntrinsicInfo& info) {
  auto word_char = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  };
  for (const char* line_text : lines) {
    const std::string_view line(line_text);
    for (std::size_t at = line.find(info.name); at != std::string_view::npos;
         at = line.find(info.name, at + 1)) {
      const std::size_t open = at + info.name.size();
      if ((at > 0 && word_char(line[at - 1])) || open >= line.size() || line[open] != '(') {
        continue;
      }
      const std::size_t close = line.find(')', open);
      if (close == std::string_view::npos) continue;
      const std::string_view list = line.substr(open + 1, close - open - 1);
      int commas = 0;
      for (char c : list) commas += c == ',' ? 1 : 0;
      const bool fits = info.arguments == kAnyCount ? list.find("...") != std::string_view::npos
                                                    : !list.empty() && commas + 1 == info.arguments;
      if (fits) return true;
    }
  }
  return false;
}

// Whether a reference text shows every function with its arguments except those named in
// left_out (blank-separated), which it must not show. Made for a static_assert next to a card
// of the functions, so that the card and this table cannot drift apart unnoticed.
template <std::size_t N>
constexpr bool ShowsEveryFunctionBut(const char* const (&lines)[N], std::string_view left_out) {
  for (const IntrinsicInfo& info : kIntrinsics) {
    bool listed = false;
    for (std::size_t at = 0; at < left_out.size();) {
      std::size_t end = left_out.find(' ', at);
      if (end == std::string_view::npos) end = left_out.size();
      listed = listed || left_out.substr(at, end - at) == info.name;
      at = end + 1;
    }
    if (ShowsFunction(lines, info) == listed) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading instructions as the evaluator reads them.

struct Instruction {
  std::size_t at = 0;      // position of the code
  std::size_t length = 0;  // how far the evaluator moves on: 3 for an operator, 2 + n for a call
                           // (3 when n is 0), never past the end of the program
  int code = 0;
  int count = 0;          // registers the instruction names: 2 for an operator, n for a call
  bool complete = false;  // every code of it lies inside the program and a call has n >= 1
};

// The instruction that starts at position at (at < program size).
constexpr Instruction InstructionAt(std::string_view program, std::size_t at) {
  Instruction in;
  in.at = at;
  in.code = static_cast<std::uint8_t>(program[at]);
  const std::size_t left = program.size() - at;
  if (IsOperatorCode(in.code)) {
    in.count = 2;
    in.complete = left >= kOperatorLength;
    in.length = in.complete ? kOperatorLength : left;
    return in;
  }
  if (left < 2) {
    in.length = left;
    return in;
  }
  in.count = static_cast<std::uint8_t>(program[at + 1]);
  const std::size_t wanted = 2 + static_cast<std::size_t>(in.count < 1 ? 1 : in.count);
  in.complete = in.count >= 1 && left >= wanted;
  in.length = left < wanted ? left : wanted;
  return in;
}

// Register k (0-based) of a complete instruction.
constexpr int RegisterOf(std::string_view program, const Instruction& in, int k) {
  return static_cast<std::uint8_t>(program[in.at + (IsOperatorCode(in.code) ? 1 : 2) + k]);
}

// The two written forms of a program (see the top of this file), and the reverse of both:
// ProgramFromText reads numbers as codes, "|" as nothing, and a mnemonic ("ADD", "CALL SUM",
// "EXPR", "NEG") followed by its registers ("r0" ...) as one whole instruction. It returns
// nothing for a word it does not know or a number outside 0 .. 255.
std::string ProgramCodes(std::string_view program);
std::string ProgramText(std::string_view program);
std::optional<std::string> ProgramFromText(std::string_view text);

}  // namespace numerella
