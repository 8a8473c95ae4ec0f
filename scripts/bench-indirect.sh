#!/usr/bin/env bash
# Prints what looking again at links to files and files with other names costs at every tick
# and pass: the same 100 links in trees of 10,000 and 50,000 files, then 1,000 and 5,000
# links in the larger tree. The cost should follow the links, not the tree.
# usage: scripts/bench-indirect.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bench=$(cd "${1:-$here/build}" && pwd)/bench/talvenor_bench
[ -x "$bench" ] || { echo "build first: $bench missing" >&2; exit 1; }
"$bench" --benchmark_filter='BM_LookAgainAtLinks' --benchmark_format=csv 2>/dev/null |
  awk -F, 'index($1, "\"BM_LookAgainAtLinks/") == 1 {
    split($1, a, "/"); sub(/"$/, "", a[3])
    printf "%7d files, %6d links: %9.1f us a look, %.2f us a link\n", a[2], a[3], $4, $4 / a[3] }'
