// The instruction loop of the evaluator. Every fetch, computation and store is one step; a
// failing step is abandoned, marks the evaluation failed, and the next step runs, so the loop
// always reaches the end of the program.
//
// The program is checked once before it runs. A program of whole instructions whose registers
// all exist, whose calls carry the argument counts of their functions, over registers that all
// hold finite numbers, cannot fail a fetch, an argument position or a store: only computations
// can fail. Such a program runs in the tight loop, on the registers' doubles, without a check
// per code. Every other program runs in the checked loop, which reads each code as it comes and
// applies the failure rule to every fetch and store. Both share the machine and the functions,
// so on the programs that both can run they take the same steps.
#include "evaluator/evaluate.h"

#include <cstdint>

#include "evaluator/intrinsics.h"

namespace numerella {
namespace {

// Executes the code of one instruction on the fetched current value and operands.
inline void Execute(int code, Machine& m) {
  switch (code) {
    case kOpPower: m.SetX(Pow(m.X(), m.second)); return;
    case kOpMultiply: m.SetX(m.x * m.second); return;
    case kOpDivide: m.SetX(m.x / m.second); return;  // x / 0 is never finite: the step fails
    case kOpAdd: m.SetX(m.x + m.second); return;
    case kOpSubtract: m.SetX(m.x - m.second); return;
    case kOpWholeExpression: return;
    case kOpNegation: m.SetX(-m.x); return;
    default: break;
  }
  const unsigned f = static_cast<unsigned>(FunctionOfCode(code));
  if (f < static_cast<unsigned>(kFunctionCount)) kIntrinsicFunctions[f](m);
}

// Whether a call of that code with n arguments reads only arguments it has.
bool CallFits(int code, int n) {
  const int f = FunctionOfCode(code);
  if (f >= 0 && f < kFunctionCount) return ArgumentCountFits(f, n);
  return n >= 1;
}

// Whether the tight loop applies (see the top of this file).
bool RunsTight(std::string_view program, const std::vector<Value>& registers) {
  if (program.size() > kMaxProgramLength) return false;
  for (const Value& v : registers) {
    if (!v || !Real::Finite(*v)) return false;
  }
  const std::size_t count = registers.size();
  const auto* p = reinterpret_cast<const std::uint8_t*>(program.data());
  const auto* const end = p + program.size();
  while (p < end) {
    const std::size_t left = static_cast<std::size_t>(end - p);
    const std::uint8_t* names;
    int named;
    if (IsOperatorCode(p[0])) {
      if (left < kOperatorLength) return false;
      names = p + 1;
      named = 2;
    } else {
      if (left < 2 || !CallFits(p[0], p[1]) || left < 2u + p[1]) return false;
      names = p + 2;
      named = p[1];
    }
    for (int k = 0; k < named; ++k) {
      if (names[k] >= count) return false;
    }
    p = names + named;
  }
  return true;
}

// The tight loop: plain reads and writes of the registers' doubles.
void RunTight(std::string_view program, std::vector<Value>& registers, Machine& m) {
  Value* const reg = registers.data();
  const auto* p = reinterpret_cast<const std::uint8_t*>(program.data());
  const auto* const end = p + program.size();
  m.x_empty = false;
  while (p < end) {
    const int code = p[0];
    if (IsOperatorCode(code)) {
      double& destination = *reg[p[1]];
      m.x = destination;
      m.second = *reg[p[2]];
      Execute(code, m);
      destination = m.x;
      p += kOperatorLength;
    } else {
      const int n = p[1];
      double& destination = *reg[p[2]];
      m.n = n;
      m.x = destination;
      if (n > 1) {
        m.list_size = n - 1;
        for (int j = 1; j < n; ++j) m.list[j - 1] = *reg[p[2 + j]];
      }
      Execute(code, m);
      destination = m.x;
      p += 2 + n;
    }
  }
}

// The checked loop: every code is read as it comes; a missing code or register, or a register
// that holds no finite number, fails its step and leaves the target as it was.
class CheckedLoop {
 public:
  CheckedLoop(std::string_view program, std::vector<Value>& registers, Machine& m)
      : program_(program), registers_(registers), m_(m) {}

  void Run() {
    const std::size_t length = program_.size();  // taken once
    std::size_t i = 0;                          // reading position, 0-based
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

}  // namespace

Value Evaluate(std::string_view program, std::vector<Value>& operand_values, int& eval_error,
               NoticeSink* notices) {
  Machine machine;
  machine.notices = notices;
  if (program.size() > kMaxProgramLength) {
    eval_error = -1;
    return Value();
  }
  if (RunsTight(program, operand_values)) {
    if (!program.empty()) RunTight(program, operand_values, machine);
  } else {
    CheckedLoop(program, operand_values, machine).Run();
  }
  eval_error = machine.eval_error ? -1 : 0;
  if (machine.x_empty) return Value();
  return machine.x;
}

Value EvaluateChecked(std::string_view program, std::vector<Value>& operand_values,
                      int& eval_error, NoticeSink* notices) {
  Machine machine;
  machine.notices = notices;
  if (program.size() > kMaxProgramLength) {
    eval_error = -1;
    return Value();
  }
  CheckedLoop(program, operand_values, machine).Run();
  eval_error = machine.eval_error ? -1 : 0;
  if (machine.x_empty) return Value();
  return machine.x;
}

}  // namespace numerella
