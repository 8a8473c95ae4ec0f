#!/usr/bin/env bash
# Prints the figures of the scan and the snapshot file: our scan of 100,000 files beside
# find's listing of the same tree (warm cache), and save/load of 1,000,000 records.
# usage: scripts/bench-foundation.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
source "$(dirname "$0")/bench-tree-setup.sh" "$@"

time_ms() {  # best of 5 runs of a command, in milliseconds
  local best=999999999 start end
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
    (( (end - start) / 1000000 < best )) && best=$(( (end - start) / 1000000 ))
  done
  echo "$best"
}

find "$tree" -type f -printf '%s %T@ %p\n' >/dev/null  # warm the cache
find_ms=$(time_ms find "$tree" -type f -printf '%s %T@ %p\n')
scan_ms=$(BENCH_TREE=$tree "$bench" --benchmark_filter=BM_ScanTree --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
  awk -F, '/BM_ScanTree.*_median/ {printf "%d", $3}')
echo "scan of 100,000 files: talvenor ${scan_ms} ms, find ${find_ms} ms, ratio $(awk -v a="$scan_ms" -v b="$find_ms" 'BEGIN{printf "%.2f", a/b}')"
"$bench" --benchmark_filter='BM_(Save|Load)Snapshot' --benchmark_counters_tabular=true
