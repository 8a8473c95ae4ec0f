#!/usr/bin/env bash
# Prints the cost of the ".talvenorignore" patterns: 1,000,000 paths matched against 20
# patterns (each entry alone, as the scan asks, and with its folders, as the watcher asks),
# and the scan of 100,000 files without and with those patterns (warm cache).
# usage: scripts/bench-ignore.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
source "$(dirname "$0")/bench-tree-setup.sh" "$@"
median() {  # median() NAME COLUMN: the median of a benchmark's repetitions in ms (3 real time, 4 CPU time)
  awk -F, -v n="\"$1_median\"" -v c="$2" '$1 == n { printf "%d", $c }' <<<"$csv"
}
csv=$(BENCH_TREE=$tree "$bench" --benchmark_filter='BM_(IgnoreMatch|IgnoringScan)' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null)
# The matching runs on one thread: its CPU time is what a busy machine does not blur.
echo "1,000,000 paths against 20 patterns: $(median BM_IgnoreMatch/0/real_time 4) ms CPU each entry alone" \
  "(the scan), $(median BM_IgnoreMatch/1/real_time 4) ms CPU with its folders (the watcher)"
echo "scan of 100,000 files: $(median BM_IgnoringScan/0/real_time 3) ms without patterns," \
  "$(median BM_IgnoringScan/1/real_time 3) ms with 20"
