#!/usr/bin/env bash
# Prints the longest stall of the main window's event loop during a first pass that copies a
# whole tree of 100,000 files (by default), for a tree of unique names and one whose names
# repeat in every folder (scripts/make-tree.py), with the pass's length and the loop's turns.
# usage: scripts/bench-window.sh [BUILD_DIR] [WORK_DIR] [FILES] [LOGSZ_KIB]   (default 100000 100)
# The trees are made once in WORK_DIR and kept for the next run; delete WORK_DIR when done.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
work=${2:-/var/tmp/talvenor-bench-window}
files=${3:-100000}
logsz=${4:-100}
bench=$build/bench/talvenor_bench_window
[ -x "$bench" ] || { echo "build first: cmake --build $build --target talvenor_bench_window" >&2; exit 1; }
mkdir -p "$work"

unique=$work/unique$files
if [ ! -d "$unique" ]; then
  python3 - "$unique" "$files" <<'PY'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
for i in range(files):
    folder = os.path.join(root, "d%03d" % (i // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "u%06d.txt" % i), "wb") as f:
        f.write(b"x" * (i % 97))
PY
fi
repeated=$work/repeated$files
[ -d "$repeated" ] || python3 "$here/scripts/make-tree.py" "$repeated" "$files" 20 6 >/dev/null

for tree in "$unique" "$repeated"; do
  # The csv header names the counters; the benchmark's row follows it.
  BENCH_TREE=$tree BENCH_LOGSZ=$logsz "$bench" --benchmark_format=csv 2>/dev/null | awk -F, -v tree="$(basename "$tree")" '
    /^name,/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); h[$i] = i }; next }
    /^"BM_/ { printf "== %s, log limit '"$logsz"' KiB: longest event-loop stall %.1f ms (ending %.0f ms into the pass) during a pass of %.0f ms, %d copies, %d loop turns\n",
                     tree, $h["longest_stall_ms"], $h["stall_ended_at_ms"], $h["pass_ms"], $h["copies"], $h["loop_turns"] }'
done
