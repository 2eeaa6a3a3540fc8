// SPDX-License-Identifier: GPL-3.0-or-later
// Compile, evaluate and one-shot cost of typical formulas, against a peer expression parser
// computing the same formulas in its own syntax. Besides the times, every benchmark reports
// the allocations per iteration ("allocs"), the CPU instructions per iteration
// ("instructions", when the kernel lets the program count them) and, for the evaluation, the
// program's instructions ("steps").
#include <benchmark/benchmark.h>
#include <linux/perf_event.h>
#include <muParser.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "allocation_count.h"
#include "calculation/calculation.h"
#include "compiler/compile_formula.h"
#include "evaluator/evaluate.h"
#include "peer_functions.h"

namespace numerella::bench {
namespace {

// The CPU instructions retired by this thread in user space, when the kernel allows counting.
class InstructionCounter {
 public:
  InstructionCounter() {
    perf_event_attr attr{};
    attr.type = PERF_TYPE_HARDWARE;
    attr.size = sizeof attr;
    attr.config = PERF_COUNT_HW_INSTRUCTIONS;
    attr.exclude_kernel = 1;
    attr.exclude_hv = 1;
    fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
  }
  ~InstructionCounter() {
    if (fd_ >= 0) close(fd_);
  }
  bool available() const { return fd_ >= 0; }
  std::uint64_t Read() const {
    std::uint64_t count = 0;
    if (fd_ < 0 || read(fd_, &count, sizeof count) != sizeof count) return 0;
    return count;
  }

 private:
  int fd_ = -1;
};

// Measures allocations and instructions over the timed loop of one benchmark.
class Tally {
 public:
  explicit Tally(benchmark::State& state)
      : state_(state), allocations_(Allocations()), instructions_(counter_.Read()) {}
  ~Tally() {
    const auto per_iteration = benchmark::Counter::kAvgIterations;
    state_.counters["allocs"] =
        benchmark::Counter(static_cast<double>(Allocations() - allocations_), per_iteration);
    if (counter_.available()) {
      state_.counters["instructions"] =
          benchmark::Counter(static_cast<double>(counter_.Read() - instructions_), per_iteration);
    }
  }

 private:
  benchmark::State& state_;
  InstructionCounter counter_;
  std::uint64_t allocations_;
  std::uint64_t instructions_;
};

struct Formula {
  const char* label;
  std::string ours;
  std::string peer;
};

std::string HundredOperands(const char* separator) {
  std::string f = "1";
  for (int i = 2; i <= 100; ++i) f.append(separator).append(std::to_string(i % 10 + 1));
  return f;
}

const std::vector<Formula>& Formulas() {
  static const std::vector<Formula> formulas = {
      {"arith", "2*(3+4)^2", "2*(3+4)^2"},
      {"trig", "SIN(0.5)^2+COS(0.5)^2", "sin(0.5)^2+cos(0.5)^2"},
      {"signs", "-3^2+8/2/2", "-3^2+8/2/2"},
      {"normal", "C_N(1.96,0,1)", "c_n(1.96,0,1)"},
      {"binom_t", "D_B(3,10,0.3)+C_T(2.015,5)", "d_b(3,10,0.3)+c_t(2.015,5)"},
      {"sum10", "SUM(1,2,3,4,5,6,7,8,9,10)", "sum(1,2,3,4,5,6,7,8,9,10)"},
      {"avg_std", "AVG(STD(1,2,3),GAM(5))", "avg(std(1,2,3),gam(5))"},
      {"ops100", HundredOperands("+"), HundredOperands("+")},
  };
  return formulas;
}

std::string CompileText(const Formula& f) { return std::string("y@ @ @ @") + f.ours; }

void BM_Compile(benchmark::State& state) {
  const std::string text = CompileText(Formulas()[state.range(0)]);
  Compiler compiler;
  Tally tally(state);
  for (auto _ : state) {
    CompiledProgram p;
    p.ValueTable.assign(2, Value());
    compiler.CompileFormula(text, p);
    benchmark::DoNotOptimize(p.Program.data());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

// The same with the caller's program reused, as a calculation run that keeps its outcome can:
// the compiler then allocates nothing at all.
void BM_CompileReused(benchmark::State& state) {
  const std::string text = CompileText(Formulas()[state.range(0)]);
  Compiler compiler;
  CompiledProgram p;
  Tally tally(state);
  for (auto _ : state) {
    p.CompileFlag = 0;
    compiler.CompileFormula(text, p);
    benchmark::DoNotOptimize(p.Program.data());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

// Binding the registers from the value table and evaluating, as the calculation run does.
void BM_Evaluate(benchmark::State& state) {
  Compiler compiler;
  const CalculationOutcome o = RunFormula(compiler, Formulas()[state.range(0)].ours, false);
  if (o.kind != CalculationOutcome::Kind::kResult) state.SkipWithError("does not compute");
  const CompiledProgram& p = o.program;
  std::vector<Value> registers(p.LastOperand + 1);
  {
    Tally tally(state);
    for (auto _ : state) {
      for (std::size_t i = 0; i < registers.size(); ++i) {
        registers[i] = p.ValueTable[CodeAt(p.OperandMap, i)];
      }
      int error = 0;
      benchmark::DoNotOptimize(Evaluate(p.Program, registers, error));
    }
  }
  int steps = 0;
  for (std::size_t at = 0; at < p.Program.size(); at += InstructionAt(p.Program, at).length) {
    ++steps;
  }
  state.counters["steps"] = steps;
  state.SetLabel(Formulas()[state.range(0)].label);
}

// What a calculator does per key press: compile, bind, evaluate, format, into a new outcome.
void BM_OneShot(benchmark::State& state) {
  const std::string& formula = Formulas()[state.range(0)].ours;
  Compiler compiler;
  Tally tally(state);
  for (auto _ : state) {
    CalculationOutcome o = RunFormula(compiler, formula, false);
    benchmark::DoNotOptimize(o.result_text.data());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

// The same into one outcome kept from run to run, whose memory is reused.
void BM_OneShotKept(benchmark::State& state) {
  const std::string& formula = Formulas()[state.range(0)].ours;
  Compiler compiler;
  CalculationOutcome o;
  RunFormula(compiler, formula, false, nullptr, o);
  Tally tally(state);
  for (auto _ : state) {
    RunFormula(compiler, formula, false, nullptr, o);
    benchmark::DoNotOptimize(o.result_text.data());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

void BM_PeerOneShot(benchmark::State& state) {
  const std::string& formula = Formulas()[state.range(0)].peer;
  Tally tally(state);
  for (auto _ : state) {
    mu::Parser parser;
    DefinePeerFunctions(parser);
    parser.SetExpr(formula);
    benchmark::DoNotOptimize(parser.Eval());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

// The peer with a parser object that is set up once and reused (its functions defined).
void BM_PeerSetExprEval(benchmark::State& state) {
  const std::string& formula = Formulas()[state.range(0)].peer;
  mu::Parser parser;
  DefinePeerFunctions(parser);
  Tally tally(state);
  for (auto _ : state) {
    parser.SetExpr(formula);
    benchmark::DoNotOptimize(parser.Eval());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

void BM_PeerEvaluate(benchmark::State& state) {
  mu::Parser parser;
  DefinePeerFunctions(parser);
  parser.SetExpr(Formulas()[state.range(0)].peer);
  parser.Eval();
  Tally tally(state);
  for (auto _ : state) benchmark::DoNotOptimize(parser.Eval());
  state.SetLabel(Formulas()[state.range(0)].label);
}

// With NUMERELLA_BENCH_ITERATIONS set, every benchmark runs exactly that many iterations once:
// two runs under an instruction-counting simulator then give the instructions per iteration
// by their difference, where the kernel does not count them (bench/run.sh does this).
void Register(const char* name, void (*function)(benchmark::State&)) {
  const char* fixed = std::getenv("NUMERELLA_BENCH_ITERATIONS");
  for (std::size_t i = 0; i < Formulas().size(); ++i) {
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name, function);
    b->Arg(static_cast<int>(i));
    if (fixed != nullptr) b->Iterations(std::atoll(fixed))->Repetitions(1);
  }
}

}  // namespace
}  // namespace numerella::bench

int main(int argc, char** argv) {
  using namespace numerella::bench;
  Register("BM_Compile", BM_Compile);
  Register("BM_CompileReused", BM_CompileReused);
  Register("BM_Evaluate", BM_Evaluate);
  Register("BM_OneShot", BM_OneShot);
  Register("BM_OneShotKept", BM_OneShotKept);
  Register("BM_PeerOneShot", BM_PeerOneShot);
  Register("BM_PeerSetExprEval", BM_PeerSetExprEval);
  Register("BM_PeerEvaluate", BM_PeerEvaluate);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
