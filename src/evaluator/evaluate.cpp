// The instruction loop of the evaluator. Every fetch, computation and store is one step; a
// failing step is abandoned, marks the evaluation failed, and the next step runs, so the loop
// always reaches the end of the program.
#include "evaluator/evaluate.h"

#include <cmath>
#include <optional>

#include "evaluator/intrinsics.h"

namespace numerella {
namespace {

constexpr int kOperatorLimit = kOpFirstCall;
constexpr int kWholeExpression = kOpWholeExpression;
constexpr int kNegation = kOpNegation;

class Loop {
 public:
  Loop(const std::string& program, std::vector<Value>& registers, Machine& m)
      : program_(program), registers_(registers), m_(m) {}

  void Run() {
    const std::size_t length = program_.size();  // taken once
    std::size_t i = 0;                          // reading position, 0-based
    while (i < length) {
      const std::optional<int> code = CodeAt(i);
      const std::optional<int> c2 = CodeAt(i + 1);
      const std::optional<int> c3 = CodeAt(i + 2);
      std::optional<int> destination;
      if (*code < kOperatorLimit) {
        destination = c2;
        Fetch(m_.current, c2);
        Fetch(m_.second, c3);
      } else {
        if (c2) {
          m_.n = *c2;
        } else {
          m_.Fail();
        }
        destination = c3;
        Fetch(m_.current, c3);
        if (m_.n > 1) {
          m_.args.assign(m_.n - 1, Value());
          for (int j = 1; j <= m_.n - 1; ++j) Fetch(m_.args[j - 1], CodeAt(i + 2 + j));
          i += m_.n - 1;
        }
      }
      Execute(*code);
      Store(destination);
      i += 3;
    }
  }

 private:
  std::optional<int> CodeAt(std::size_t i) const {
    if (i >= program_.size()) return std::nullopt;
    return numerella::CodeAt(program_, i);
  }

  // Reads a register; a missing or out-of-range register, or one that holds no finite
  // number, fails the step and leaves target as it was.
  void Fetch(Value& target, std::optional<int> reg) {
    if (!reg || *reg >= static_cast<int>(registers_.size())) {
      m_.Fail();
      return;
    }
    const Value& v = registers_[*reg];
    if (v && !std::isfinite(*v)) {
      m_.Fail();
      return;
    }
    target = v;
  }

  void Store(std::optional<int> reg) {
    if (!reg || *reg >= static_cast<int>(registers_.size())) {
      m_.Fail();
      return;
    }
    registers_[*reg] = m_.current;
  }

  void Execute(int code) {
    const Real x = m_.X();
    const Real second(m_.second.value_or(0));
    switch (code) {
      case 1: m_.SetX(Pow(x, second)); return;
      case 2: m_.SetX(x * second); return;
      case 3: m_.SetX(x / second); return;
      case 4: m_.SetX(x + second); return;
      case 5: m_.SetX(x - second); return;
      case kWholeExpression: return;
      case kNegation: m_.SetX(-x); return;
      default: break;
    }
    if (Intrinsic fn = IntrinsicFunction(code - kOperatorLimit)) fn(m_);
  }

  const std::string& program_;
  std::vector<Value>& registers_;
  Machine& m_;
};

}  // namespace

Value Evaluate(const std::string& program, std::vector<Value>& operand_values, int& eval_error,
               NoticeSink* notices) {
  eval_error = 0;
  Machine machine;
  machine.notices = notices;
  if (program.size() > kMaxProgramLength) {
    eval_error = -1;
    return Value();
  }
  Loop(program, operand_values, machine).Run();
  eval_error = machine.eval_error ? -1 : 0;
  return machine.current;
}

}  // namespace numerella
