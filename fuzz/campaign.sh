#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long fuzzing campaign: runs each target until it has executed FUZZ_RUNS inputs (default
# 10,000,000) or FUZZ_SECONDS have passed (default 3600), growing the committed corpus, then
# minimises that corpus (libFuzzer's -merge) and writes it back to fuzz/corpus/<target>.
# FUZZ_JOBS processes (default 1) share the work of each target and its corpus folder; the
# executions reported are their sum.
#   FUZZ_RUNS=10000000 FUZZ_SECONDS=3600 FUZZ_JOBS=2 fuzz/campaign.sh build-asan/bin [target ...]
# A crash, leak or timeout stops with its input under fuzz-findings/ and a non-zero status.
set -euo pipefail
bin=${1:?directory of the fuzz targets}
shift
runs=${FUZZ_RUNS:-10000000}
seconds=${FUZZ_SECONDS:-3600}
jobs=${FUZZ_JOBS:-1}
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if ((${#targets[@]} == 0)); then
  for t in "$bin"/*_fuzz; do targets+=("$(basename "$t")"); done
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in "${targets[@]}"; do
  corpus="$here/corpus/$name"
  mkdir -p "$corpus" "$work/$name"
  cp "$corpus"/* "$work/$name"/ 2>/dev/null || true
  echo "== $name: up to $runs runs or $seconds s, $jobs process(es)"
  pids=()
  for ((j = 0; j < jobs; ++j)); do
    QT_QPA_PLATFORM=offscreen "$bin/$name" -runs="$(((runs + jobs - 1) / jobs))" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
      -entropic_scale_per_exec_time=1 -seed="$((j + 1))" -artifact_prefix="$work/$name-" \
      "$work/$name" >"$work/$name.$j.log" 2>&1 &
    pids+=($!)
  done
  failed=false
  for ((j = 0; j < jobs; ++j)); do
    if ! wait "${pids[$j]}"; then
      failed=true
      tail -40 "$work/$name.$j.log"
    fi
  done
  if [[ $failed == true ]]; then
    mkdir -p fuzz-findings && cp "$work/$name"-* fuzz-findings/ 2>/dev/null || true
    exit 1
  fi
  cat "$work/$name".*.log | awk '
    /^stat::number_of_executed_units:/ { units += $2 }
    /^stat::average_exec_per_sec:/ { rate += $2 }
    /^stat::peak_rss_mb:/ { if ($2 > rss) rss = $2 }
    END { printf "executions: %d\nexecutions per second: %d\npeak RSS: %d MB\n", units, rate, rss }'
  # Keep the smallest set of inputs that reaches the same coverage.
  mkdir -p "$work/$name.min"
  QT_QPA_PLATFORM=offscreen "$bin/$name" -merge=1 -rss_limit_mb=4096 "$work/$name.min" \
    "$work/$name" >"$work/$name.merge.log" 2>&1
  rm -f "$corpus"/*
  cp "$work/$name.min"/* "$corpus"/
  echo "corpus: $(ls "$corpus" | wc -l) inputs"
done
