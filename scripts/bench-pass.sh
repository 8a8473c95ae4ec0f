#!/usr/bin/env bash
# Prints the figures of the change detection pass: a normal pass over an unchanged tree beside
# find's listing and rsync's dry run against an up-to-date copy (100,000 files, and with
# --million 1,000,000 files with the peak memory), the CPU used by an idle headless session,
# and the time from a saved file to its copy with LEVEL 1.
# usage: scripts/bench-pass.sh [BUILD_DIR] [WORK_DIR] [--million]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
work=${2:-/var/tmp/talvenor-bench}
million=${3:-}
bench=$build/bench/talvenor_bench
program=$build/src/talvenor
[ -x "$bench" ] || { echo "build first: $bench missing" >&2; exit 1; }
mkdir -p "$work"

time_ms() {  # best of 3 runs of a command, in milliseconds
  local best=999999999 start end
  for _ in 1 2 3; do
    start=$(date +%s%N); "$@" >/dev/null 2>&1 || true; end=$(date +%s%N)
    (( (end - start) / 1000000 < best )) && best=$(( (end - start) / 1000000 ))
  done
  echo "$best"
}

compare() {  # compare FILES: pass, find and rsync side by side on one tree
  local files=$1 tree=$work/tree$1 copy=$work/copy$1
  [ -d "$tree" ] || python3 "$here/scripts/make-tree.py" "$tree" "$files" 20 6
  [ -d "$copy" ] || rsync -a "$tree/" "$copy/"
  find "$tree" -type f -printf '%s %T@ %p\n' >/dev/null  # warm the cache
  local find_ms rsync_ms pass_ms peak_kb out
  find_ms=$(time_ms find "$tree" -type f -printf '%s %T@ %p\n')
  rsync_ms=$(time_ms rsync -a --dry-run "$tree/" "$copy/")
  out=$( { /usr/bin/time -f 'peak %M' env BENCH_TREE="$tree" "$bench" --benchmark_filter=BM_NormalPassUnchanged \
      --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=csv; } 2>&1)
  pass_ms=$(echo "$out" | awk -F, '/_median/ {printf "%d", $3}')
  peak_kb=$(echo "$out" | awk '/^peak/ {print $2}')
  printf '%9d files: pass %6d ms | find %6d ms (pass/find %.2f) | rsync --dry-run %6d ms (pass/rsync %.2f) | peak RSS %d MiB\n' \
    "$files" "$pass_ms" "$find_ms" "$(awk -v a="$pass_ms" -v b="$find_ms" 'BEGIN{print a/b}')" \
    "$rsync_ms" "$(awk -v a="$pass_ms" -v b="$rsync_ms" 'BEGIN{print a/b}')" $(( peak_kb / 1024 ))
}

compare 100000
[ "$million" = "--million" ] && compare 1000000

"$bench" --benchmark_filter='BM_(MatchUnchanged|IdleTick)' 2>/dev/null | grep -E '^BM_'

[ -x "$program" ] || { echo "no $program: idle and latency figures need the program" >&2; exit 0; }

# A headless session of its own: settings, lock, current directory.
session=$work/session
rm -rf "$session"
mkdir -p "$session/config/QUORVATH/Q7" "$session/run" "$session/home" "$session/backup" "$session/watch"
python3 "$here/scripts/make-tree.py" "$session/watch" 10000 20 4 >/dev/null
printf '[Settings]\nDIR1=%s\nDIR2=%s\nLEVEL=1\nFIRST=0\n' "$session/watch" "$session/backup" \
  >"$session/config/QUORVATH/Q7/talvenor.ini"
(cd "$session/home" && XDG_CONFIG_HOME=$session/config XDG_RUNTIME_DIR=$session/run \
  exec "$program" --headless >"$session/out" 2>"$session/err") &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
while [ ! -f "$session/home/test2.dat" ]; do sleep 0.1; done
sleep 1

ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks); sleep 10; after=$(ticks)
echo "idle headless session over 10,000 files, 10 s: $(( (after - before) * 1000 / $(getconf CLK_TCK) )) ms of CPU"

worst=0 total=0
for i in 1 2 3 4 5; do
  start=$(date +%s%N)
  echo "saved $i" >"$session/watch/latency$i.txt"
  until ls "$session"/backup/*/"latency$i.txt" >/dev/null 2>&1; do sleep 0.02; done
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  total=$(( total + ms )); (( ms > worst )) && worst=$ms
  sleep 0.3
done
echo "LEVEL 1, saved file to copy: mean $(( total / 5 )) ms, worst $worst ms (5 saves)"
kill -TERM $pid; wait $pid && echo "headless session ended with status 0 on SIGTERM"
