// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval's throughput: formulas per CPU-second over the mixed million of
// formula_mix.txt (as make_formulas.py writes it), read from a file and written to /dev/null
// by the program's own run, plain and with --json; and the wall-clock speed-up of -j 2 over
// -j 1, measured in turns within one benchmark.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cli.h"

namespace numerella::bench {
namespace {

constexpr int kFormulas = 1000000;

// The input file, written once: the mix in turn, one formula a line.
const std::string& InputFile() {
  static const std::string path = [] {
    std::ifstream mix(NUMERELLA_FORMULA_MIX);
    std::vector<std::string> formulas;
    for (std::string line; std::getline(mix, line);) {
      if (!line.empty()) formulas.push_back(line);
    }
    if (formulas.empty()) std::abort();
    char name[] = "/tmp/numerella_eval_bench_XXXXXX";
    const int fd = mkstemp(name);
    std::string text;
    for (int i = 0; i < kFormulas; ++i) text += formulas[i % formulas.size()] + "\n";
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    close(fd);
    std::atexit([] { unlink(InputFile().c_str()); });
    return std::string(name);
  }();
  return path;
}

// One run of numerella-eval over the whole input; returns its wall-clock seconds.
double RunOnce(const std::vector<std::string>& args) {
  std::string error;
  const auto options = cli::ParseArguments(args, error);
  const int in = open(InputFile().c_str(), O_RDONLY);
  const int null = open("/dev/null", O_WRONLY);
  const auto start = std::chrono::steady_clock::now();
  const int status = cli::Run(*options, in, null, null);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  close(in);
  close(null);
  if (status != cli::kSomeFailed) std::abort();  // the mix holds failing formulas
  return took.count();
}

// Formulas per CPU-second (items_per_second, from the process's CPU time).
void BM_EvalThroughput(benchmark::State& state, std::vector<std::string> args) {
  InputFile();
  for (auto _ : state) RunOnce(args);
  state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK_CAPTURE(BM_EvalThroughput, plain, std::vector<std::string>{})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_EvalThroughput, json, std::vector<std::string>{"--json"})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// -j 1 and -j 2 in turn; the counters give each one's formulas per wall-clock second and the
// ratio of the two, pair by pair, so that a drift of the machine touches both alike.
void BM_EvalJobs(benchmark::State& state) {
  InputFile();
  double one = 0, two = 0;
  for (auto _ : state) {
    one += RunOnce({"-j", "1"});
    two += RunOnce({"-j", "2"});
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["j1_formulas_per_s"] = kFormulas * runs / one;
  state.counters["j2_formulas_per_s"] = kFormulas * runs / two;
  state.counters["j2_speedup"] = one / two;
}
BENCHMARK(BM_EvalJobs)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace numerella::bench

BENCHMARK_MAIN();
