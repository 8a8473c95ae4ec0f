#!/usr/bin/env bash
# Prints the time one pass takes to copy N files of one name (index.html in N folders) into one
# generation, and the time per copy, for N = 100, 1,000 and 10,000.
# usage: scripts/bench-same-names.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
work=${2:-/var/tmp}
bench=$build/bench/talvenor_bench
[ -x "$bench" ] || { echo "build first: $bench missing" >&2; exit 1; }
mkdir -p "$work"
BENCH_SAME_NAMES_DIR=$work "$bench" --benchmark_filter='^BM_SameNameCopies/' --benchmark_format=csv 2>/dev/null |
  awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) { h = $i; gsub(/"/, "", h); col[h] = i }; next }
           { split($1, part, "/")
             printf "%6d files of one name: %8.1f ms a pass, %6.1f us a copy\n", part[2], $col["real_time"], $col["per_copy_us"] }'
