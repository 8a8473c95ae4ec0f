#!/usr/bin/env bash
# Prints the figures of the change detection pass at 100,000 and 1,000,000 files, beside
# `find -printf` on the same tree: the CPU of a pass after one file changed (and of the snapshot
# save inside it), a whole pass, Start until the baseline is saved, the time from a saved file
# to its copy at LEVEL 1, and the program's own peak memory per file.
# usage: scripts/bench-pass.sh [BUILD_DIR] [WORK_DIR] [FILES...]   (default 100000 1000000)
# The trees are made once in WORK_DIR and kept for the next run; delete WORK_DIR when done.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
work=${2:-/var/tmp/talvenor-bench}
shift $(( $# > 2 ? 2 : $# ))
sizes=${*:-100000 1000000}
bench=$build/bench/talvenor_bench
program=$build/src/talvenor
for f in "$bench" "$program"; do [ -x "$f" ] || { echo "build first: $f missing" >&2; exit 1; }; done
mkdir -p "$work"

time_ms() {  # best of 3 runs of a command, in milliseconds
  local best=999999999 start end
  for _ in 1 2 3; do
    start=$(date +%s%N); "$@" >/dev/null 2>&1 || true; end=$(date +%s%N)
    (( (end - start) / 1000000 < best )) && best=$(( (end - start) / 1000000 ))
  done
  echo "$best"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
column() {  # column() NAME FIELD: a field of a benchmark's csv row (3 real time, 4 CPU time)
  awk -F, -v n="\"$1" -v f="$2" 'index($1, n) == 1 { printf "%d", $f; exit }' <<<"$csv"
}

# A headless session on the tree: Start until "test2.dat" is saved, five saves at LEVEL 1
# until their copies appear, then SIGTERM; /usr/bin/time gives the peak resident memory.
headless() {
  local tree=$1 session=$work/session
  rm -rf "$session"
  mkdir -p "$session/config/QUORVATH/Q7" "$session/run" "$session/home" "$session/backup"
  printf '[Settings]\nDIR1=%s\nDIR2=%s\nLEVEL=1\nFIRST=0\nBAKSZ=1000\n' "$tree" "$session/backup" \
    >"$session/config/QUORVATH/Q7/talvenor.ini"
  local start end pid program_pid
  start=$(date +%s%N)
  (cd "$session/home" && XDG_CONFIG_HOME=$session/config XDG_RUNTIME_DIR=$session/run \
    exec /usr/bin/time -f '%M' -o "$session/peak" "$program" --headless >"$session/out" 2>"$session/err") &
  pid=$!
  until [ -f "$session/home/test2.dat" ]; do sleep 0.02; done
  end=$(date +%s%N)
  start_ms=$(( (end - start) / 1000000 ))
  program_pid=$(pgrep -P "$pid" || true)
  sleep 2
  local worst=0 total=0 ms i folder
  folder=$(find "$tree" -mindepth 3 -maxdepth 3 -type d -print -quit)
  for i in 1 2 3 4 5; do
    start=$(date +%s%N)
    echo "saved $i" >"$folder/latency$i.txt"
    until ls "$session"/backup/*/"latency$i.txt" >/dev/null 2>&1; do sleep 0.01; done
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    total=$(( total + ms )); (( ms > worst )) && worst=$ms
    sleep 0.$(( RANDOM % 9 + 1 ))  # saves fall anywhere between two ticks
  done
  latency_mean=$(( total / 5 )) latency_worst=$worst
  kill -TERM "${program_pid:-$pid}"
  wait "$pid" || true
  rm -f "$folder"/latency?.txt
  peak_kb=$(tail -1 "$session/peak")
}

for files in $sizes; do
  tree=$work/tree$files
  [ -d "$tree" ] || python3 "$here/scripts/make-tree.py" "$tree" "$files" 20 6 >/dev/null
  find "$tree" -type f -printf '%s %T@ %p\n' >/dev/null  # warm the cache
  find_ms=$(time_ms find "$tree" -type f -printf '%s %T@ %p\n')
  csv=$(BENCH_TREE=$tree "$bench" --benchmark_format=csv \
    --benchmark_filter='BM_(WholePassUnchanged|PassAfterOneFileChanged|SaveHeldSnapshot)' 2>/dev/null)
  whole_ms=$(column BM_WholePassUnchanged 3)
  pass_cpu=$(column BM_PassAfterOneFileChanged 4)
  save_cpu=$(column BM_SaveHeldSnapshot 4)
  save_ms=$(column BM_SaveHeldSnapshot 3)
  headless "$tree"
  echo "== $files files in $(find "$tree" -type d | wc -l) folders; find -printf: $find_ms ms"
  printf '  CPU of a pass after one file changed: %d ms, of which the snapshot save %d ms (%d ms of real time)\n' \
    "$pass_cpu" "$save_cpu" "$save_ms"
  printf '  save-to-copy at LEVEL 1: mean %d ms, worst %d ms (5 saves)\n' "$latency_mean" "$latency_worst"
  printf '  whole pass: %d ms = %s x find\n' "$whole_ms" "$(ratio "$whole_ms" "$find_ms")"
  printf '  Start until the baseline is saved: %d ms = %s x find\n' "$start_ms" "$(ratio "$start_ms" "$find_ms")"
  printf '  peak memory: %d MiB = %d bytes a file\n' $(( peak_kb / 1024 )) $(( peak_kb * 1024 / files ))
done
"$bench" --benchmark_filter='BM_(MatchUnchanged|IdleTick)' 2>/dev/null | grep -E '^BM_'
