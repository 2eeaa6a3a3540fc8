// Compile, evaluate and one-shot cost of typical formulas, against a peer expression parser
// computing the same formulas in its own syntax.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <string>
#include <vector>

#include "compiler/compile_formula.h"
#include "calculation/calculation.h"
#include "evaluator/evaluate.h"
#include "peer_functions.h"

namespace numerella::bench {
namespace {

struct Formula {
  const char* label;
  std::string ours;
  std::string peer;
};

std::string HundredOperands(const char* separator) {
  std::string f = "1";
  for (int i = 2; i <= 100; ++i) f += separator + std::to_string(i % 10 + 1);
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

std::string CompileText(const Formula& f) { return "y@ @ @ @" + f.ours; }

void BM_Compile(benchmark::State& state) {
  const std::string text = CompileText(Formulas()[state.range(0)]);
  Compiler compiler;
  for (auto _ : state) {
    CompiledProgram p;
    p.ValueTable.assign(2, Value());
    compiler.CompileFormula(text, p);
    benchmark::DoNotOptimize(p.Program.data());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

void BM_Evaluate(benchmark::State& state) {
  Compiler compiler;
  const CalculationOutcome o = RunFormula(compiler, Formulas()[state.range(0)].ours, false);
  if (o.kind != CalculationOutcome::Kind::kResult) state.SkipWithError("does not compute");
  const CompiledProgram& p = o.program;
  std::vector<Value> registers(p.LastOperand + 1);
  for (auto _ : state) {
    for (std::size_t i = 0; i < registers.size(); ++i) {
      registers[i] = p.ValueTable[CodeAt(p.OperandMap, i)];
    }
    int error = 0;
    benchmark::DoNotOptimize(Evaluate(p.Program, registers, error));
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

// What a calculator does per key press: compile, bind, evaluate, format.
void BM_OneShot(benchmark::State& state) {
  const std::string& formula = Formulas()[state.range(0)].ours;
  Compiler compiler;
  for (auto _ : state) {
    CalculationOutcome o = RunFormula(compiler, formula, false);
    benchmark::DoNotOptimize(o.result_text.data());
  }
  state.SetLabel(Formulas()[state.range(0)].label);
}

void BM_PeerOneShot(benchmark::State& state) {
  const std::string& formula = Formulas()[state.range(0)].peer;
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
  for (auto _ : state) benchmark::DoNotOptimize(parser.Eval());
  state.SetLabel(Formulas()[state.range(0)].label);
}

void AllFormulas(benchmark::internal::Benchmark* b) {
  for (std::size_t i = 0; i < Formulas().size(); ++i) b->Arg(static_cast<int>(i));
}

BENCHMARK(BM_Compile)->Apply(AllFormulas);
BENCHMARK(BM_Evaluate)->Apply(AllFormulas);
BENCHMARK(BM_OneShot)->Apply(AllFormulas);
BENCHMARK(BM_PeerOneShot)->Apply(AllFormulas);
BENCHMARK(BM_PeerSetExprEval)->Apply(AllFormulas);
BENCHMARK(BM_PeerEvaluate)->Apply(AllFormulas);

}  // namespace
}  // namespace numerella::bench

BENCHMARK_MAIN();
