#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for a while, starting from its seed corpus.
#   fuzz/run.sh <directory of the built fuzz targets> [seconds per target]
set -euo pipefail
bin=${1:?directory of the fuzz targets}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "$bin"/*_fuzz; do
  name=$(basename "$target")
  mkdir -p "$work/$name"
  [[ -d "$here/corpus/$name" ]] && cp "$here/corpus/$name"/* "$work/$name"/ 2>/dev/null || true
  echo "== $name: $seconds s"
  # Slow inputs (a recipe that makes the reader take its whole 4 MiB) are mutated less often,
  # so that they do not take most of the run.
  if ! QT_QPA_PLATFORM=offscreen "$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=4096 -print_final_stats=1 -entropic_scale_per_exec_time=1 \
      -artifact_prefix="$work/$name-" \
      "$work/$name" >"$work/$name.log" 2>&1; then
    tail -40 "$work/$name.log"
    mkdir -p fuzz-findings && cp "$work/$name"-* fuzz-findings/ 2>/dev/null || true
    status=1
  else
    grep -E "^stat::number_of_executed_units|Done" "$work/$name.log" | tr '\n' ' '; echo
  fi
done
exit $status
