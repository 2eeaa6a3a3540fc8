#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark and writes docs/performance.md and docs/compiler-scaling.png.
#   bench/run.sh [build directory]      (./build.sh bench builds first, then calls this)
# With PREVIOUS_BUILD set to the build folder of an earlier version (its engine_bench and
# numerella-eval built), that version is measured in the same run and shown beside this one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
previous=${PREVIOUS_BUILD:-}
out=bench-results
mkdir -p "$out"
rm -f "$out/previous_engine.json" "$out/previous_eval.txt"

# Short runs, repeated, the repetitions of all benchmarks interleaved at random so that a burst
# of load on the machine spreads over all of them: the report takes the median CPU time.
"$build/bin/engine_bench" --benchmark_repetitions=9 --benchmark_min_time=0.05 \
  --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true \
  --benchmark_out="$out/engine.json" --benchmark_out_format=json
if [[ -n $previous ]]; then
  "$previous/bin/engine_bench" --benchmark_repetitions=9 --benchmark_min_time=0.05 \
    --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true \
    --benchmark_filter='^BM_(Compile|Evaluate|OneShot)/' \
    --benchmark_out="$out/previous_engine.json" --benchmark_out_format=json
fi
# CPU instructions per iteration, counted by callgrind where valgrind is installed: the
# difference of two runs of fixed iteration counts, so start-up and set-up cancel out.
rm -f "$out/instructions.txt"
if command -v valgrind >/dev/null; then
  for kind in BM_Evaluate BM_OneShotKept; do
    for i in 0 1 2 3 4 5 6 7; do
      counts=()
      for n in 1000 2000; do
        counts+=("$(NUMERELLA_BENCH_ITERATIONS=$n valgrind --tool=callgrind \
          --callgrind-out-file=/dev/null "$build/bin/engine_bench" \
          --benchmark_filter="^$kind/$i/" 2>&1 | sed -n 's/.*Collected : //p')")
      done
      echo "$kind $i $(((counts[1] - counts[0]) / 1000))" >>"$out/instructions.txt"
    done
  done
fi
"$build/bin/compiler_scaling_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out/scaling.json" \
  --benchmark_out_format=json

# numerella-eval: a million formulas through standard input, plain and JSON, in CPU seconds of
# the whole process (the median of three runs); -j 2 against -j 1 in wall-clock time.
python3 bench/make_formulas.py 1000000 >"$out/formulas.txt"
cpu_seconds() {  # the median CPU seconds (user + system) of three runs of a shell command
  python3 - "$1" <<'PY'
import resource, statistics, subprocess, sys
times = []
for _ in range(3):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(["sh", "-c", sys.argv[1]], stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    times.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
print(statistics.median(times))
PY
}
eval_cpu() {  # plain and JSON CPU seconds of one numerella-eval over the million formulas
  echo "$(cpu_seconds "'$1' <'$out/formulas.txt'") $(cpu_seconds "'$1' --json <'$out/formulas.txt'")"
}
read -r plain json <<<"$(eval_cpu "$build/bin/numerella-eval")"
if [[ -n $previous ]]; then
  eval_cpu "$previous/bin/numerella-eval" >"$out/previous_eval.txt"
fi
"$build/bin/eval_throughput_bench" --benchmark_filter=BM_EvalJobs --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out/eval_jobs.json" \
  --benchmark_out_format=json
measure() {  # prints the wall-clock seconds a command takes
  local start end
  start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N)
  python3 -c "print($end - $start)"
}
start=$(measure sh -c "for i in \$(seq 200); do '$build/bin/numerella-eval' 1 >/dev/null; done")
window=none
if [[ -x "$build/bin/window_bench" ]]; then
  export QT_QPA_PLATFORM=offscreen
  window=$("$build/bin/window_bench" 2>/dev/null)
  # Whole processes, from exec to the window shown: 20 starts.
  shown=$(measure sh -c "for i in \$(seq 20); do '$build/bin/window_bench' --startup 2>/dev/null; done")
  window="$window process_start_to_shown_ms=$(python3 -c "print(f'{$shown / 20 * 1000:.1f}')")"
fi
if [[ -x "$build/bin/message_window_bench" ]]; then
  # The message window with the largest listings: prints its memory figures, then the timings.
  QT_QPA_PLATFORM=offscreen "$build/bin/message_window_bench" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_out="$out/message_window.json" \
    --benchmark_out_format=json | tee "$out/message_window.txt"
fi
if [[ -x "$build/bin/typing_help_bench" ]]; then
  "$build/bin/typing_help_bench" --benchmark_repetitions=9 --benchmark_min_time=0.05 \
    --benchmark_report_aggregates_only=true --benchmark_out="$out/typing_help.json" \
    --benchmark_out_format=json
fi
python3 bench/report.py "$out" "$plain" "$json" "$start" "$window" >docs/performance.md
gnuplot -e "datafile='$out/scaling.dat'; outfile='docs/compiler-scaling.png'" bench/scaling.gp
echo "wrote docs/performance.md and docs/compiler-scaling.png"
