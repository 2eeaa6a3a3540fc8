// SPDX-License-Identifier: GPL-3.0-or-later
// The instruction loop of the evaluator. Every fetch, computation and store is one step; a
// failing step is abandoned, marks the evaluation failed, and the next step runs, so the loop
// always reaches the end of the program.
//
// An instruction that is whole, names registers that exist and, for a call, carries the
// argument count of its function, over registers that all hold finite numbers, cannot fail a
// fetch, an argument position or a store: only its computation can fail. Such instructions run
// in the tight loop, on the registers' doubles, each checked once as a whole before it runs.
// From the first instruction that is not like that on (a program that a compiler did not
// write), the checked loop takes over: it reads each code as it comes and applies the failure
// rule to every fetch and store. Both share the machine and the functions, so they take the
// same steps on the instructions that both can run.
#include "evaluator/evaluate.h"

#include <array>
#include <cstdint>

#include "evaluator/intrinsics.h"

namespace numerella {
namespace {

// The result of an operator on two finite numbers; not finite when the step fails. A code
// outside the operator set leaves x as it is.
inline double Operate(int code, double x, double second) {
  switch (code) {
    case kOpPower:
      return Pow(x, second).value();
    case kOpMultiply:
      return x * second;
    case kOpDivide:
      return x / second;  // x / 0 is never finite: the step fails
    case kOpAdd:
      return x + second;
    case kOpSubtract:
      return x - second;
    default:
      return x;
  }
}

// Executes the code of one instruction on the fetched current value and operands.
inline void Execute(int code, Machine& m) {
  switch (code) {
    case kOpPower:
    case kOpMultiply:
    case kOpDivide:
    case kOpAdd:
    case kOpSubtract:
      m.SetX(Operate(code, m.x, m.second));
      return;
    case kOpWholeExpression:
      return;
    case kOpNegation:
      m.SetX(-m.x);
      return;
    default:
      break;
  }
  const unsigned f = static_cast<unsigned>(FunctionOfCode(code));
  if (f < static_cast<unsigned>(kFunctionCount)) kIntrinsicFunctions[f](m);
}

// Whether every register holds a finite number, so that no fetch can fail.
bool AllFinite(const std::vector<Value>& registers) {
  for (const Value& v : registers) {
    if (!v || !Real::Finite(*v)) return false;
  }
  return true;
}

// The tight loop, for registers that all hold finite numbers. Each instruction is checked
// once, before it runs: it must be whole, name registers that exist and, for a call, carry
// the argument count of its function. Then nothing but a computation can fail, and the
// instruction runs on the registers' doubles. The loop stops before the first instruction
// that does not pass and returns its position (the program's length when all ran); the
// machine then holds exactly what the checked loop would hold there.
//
// An operator works on a local copy of the current value, so that a chain of instructions
// does not pass every intermediate value through the machine's memory; a call hands the
// value to its function through the machine.
// Every register holds a value here (AllFinite), so they are read without a check.
// NOLINTBEGIN(bugprone-unchecked-optional-access)
std::size_t RunTight(std::string_view program, std::vector<Value>& registers, Machine& m) {
  Value* const reg = registers.data();
  const std::size_t count = registers.size();
  const auto* const start = reinterpret_cast<const std::uint8_t*>(program.data());
  const auto* const end = start + program.size();
  const auto* p = start;
  bool failed = false;
  double x = m.x;
  while (p < end) {
    const int code = p[0];
    const std::size_t left = static_cast<std::size_t>(end - p);
    if (IsOperatorCode(code)) {
      if (left < kOperatorLength || p[1] >= count || p[2] >= count) break;
      double& destination = *reg[p[1]];
      x = destination;
      const double second = *reg[p[2]];
      m.second = second;
      const double result = Operate(code, x, second);
      if (Real::Finite(result)) {
        x = result;
      } else {
        failed = true;
      }
      destination = x;
      p += kOperatorLength;
    } else {
      if (left < 2) break;
      const int n = p[1];
      if (!CallCountFits(code, n) || left < 2u + n) break;
      bool exist = true;
      for (int k = 0; k < n; ++k) exist = exist && p[2 + k] < count;
      if (!exist) break;
      double& destination = *reg[p[2]];
      m.n = n;
      m.x = destination;
      if (n > 1) {
        m.list_size = n - 1;
        for (int j = 1; j < n; ++j) m.list[j - 1] = *reg[p[2 + j]];
      }
      Execute(code, m);
      x = m.x;
      destination = x;
      p += 2 + n;
    }
  }
  if (p != start) {
    m.x = x;
    m.x_empty = false;
  }
  m.eval_error = m.eval_error || failed;
  return static_cast<std::size_t>(p - start);
}
// NOLINTEND(bugprone-unchecked-optional-access)

// The checked loop: every code is read as it comes; a missing code or register, or a register
// that holds no finite number, fails its step and leaves the target as it was.
class CheckedLoop {
 public:
  CheckedLoop(std::string_view program, std::vector<Value>& registers, Machine& m)
      : program_(program), registers_(registers), m_(m) {}

  // Runs the instructions from position i on.
  void Run(std::size_t i) {
    const std::size_t length = program_.size();  // taken once
    while (i < length) {
      const int code = CodeAt(program_, i);
      const int c2 = Code(i + 1);
      const int c3 = Code(i + 2);
      int destination;
      if (IsOperatorCode(code)) {
        destination = c2;
        FetchCurrent(c2);
        if (const Value* v = Fetch(c3)) m_.second = v->value_or(0);
      } else {
        if (c2 != kMissing) {
          m_.n = c2;
        } else {
          m_.Fail();
        }
        destination = c3;
        FetchCurrent(c3);
        if (m_.n > 1) {
          // The list is made anew; a position whose fetch fails stays empty, which is 0.
          m_.list_size = m_.n - 1;
          for (int j = 1; j <= m_.n - 1; ++j) {
            const Value* v = Fetch(Code(i + 2 + j));
            m_.list[j - 1] = v != nullptr ? v->value_or(0) : 0;
          }
          i += m_.n - 1;
        }
      }
      Execute(code, m_);
      Store(destination);
      i += 3;
    }
  }

 private:
  static constexpr int kMissing = -1;

  int Code(std::size_t i) const { return i < program_.size() ? CodeAt(program_, i) : kMissing; }

  // The register to fetch from, or nullptr after failing the step.
  const Value* Fetch(int reg) {
    if (reg == kMissing || reg >= static_cast<int>(registers_.size())) {
      m_.Fail();
      return nullptr;
    }
    const Value& v = registers_[reg];
    if (v && !Real::Finite(*v)) {
      m_.Fail();
      return nullptr;
    }
    return &v;
  }

  void FetchCurrent(int reg) {
    if (const Value* v = Fetch(reg)) {
      m_.x = v->value_or(0);
      m_.x_empty = !v->has_value();
    }
  }

  void Store(int reg) {
    if (reg == kMissing || reg >= static_cast<int>(registers_.size())) {
      m_.Fail();
      return;
    }
    registers_[reg] = m_.x_empty ? Value() : Value(m_.x);
  }

  std::string_view program_;
  std::vector<Value>& registers_;
  Machine& m_;
};

// One evaluation; the tight loop runs first when it may.
Value Run(std::string_view program, std::vector<Value>& registers, int& eval_error,
          NoticeSink* notices, bool tight) {
  Machine machine;
  machine.notices = notices;
  if (program.size() > kMaxProgramLength) {
    eval_error = -1;
    return Value();
  }
  std::size_t done = 0;
  if (tight && AllFinite(registers)) done = RunTight(program, registers, machine);
  if (done < program.size()) CheckedLoop(program, registers, machine).Run(done);
  eval_error = machine.eval_error ? -1 : 0;
  if (machine.x_empty) return Value();
  return machine.x;
}

}  // namespace

Value Evaluate(std::string_view program, std::vector<Value>& operand_values, int& eval_error,
               NoticeSink* notices) {
  return Run(program, operand_values, eval_error, notices, true);
}

Value EvaluateChecked(std::string_view program, std::vector<Value>& operand_values, int& eval_error,
                      NoticeSink* notices) {
  return Run(program, operand_values, eval_error, notices, false);
}

}  // namespace numerella
