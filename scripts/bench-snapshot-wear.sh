#!/usr/bin/env bash
# Prints what "test2.dat" costs the disk while the watched tree keeps changing: a headless
# session at LEVEL 1 on a tree of FILES files, with one file appended to every 200 ms for
# SECONDS seconds (a live log). For that minute: the snapshot files written and their bytes,
# all the bytes the program sent to the disk (/proc/PID/io write_bytes: copies and log too),
# its CPU time; then how long after the last change the snapshot was saved, and the time
# from a saved file to its copy afterwards.
# usage: scripts/bench-snapshot-wear.sh [BUILD_DIR] [WORK_DIR] [FILES] [SECONDS]
#   OLD_PROGRAM=/path/to/talvenor runs the same workload on another build first, to print
#   the two side by side (for example the build before the snapshot was saved on quiet).
# The tree is made once in WORK_DIR and kept for the next run; delete WORK_DIR when done.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
work=${2:-/var/tmp/talvenor-bench}
files=${3:-100000}
seconds=${4:-60}
program=$build/src/talvenor
[ -x "$program" ] || { echo "build first: $program missing" >&2; exit 1; }
mkdir -p "$work"
tree=$work/tree$files
[ -d "$tree" ] || python3 "$here/scripts/make-tree.py" "$tree" "$files" 20 6 >/dev/null
find "$tree" -type f -printf '%s\n' >/dev/null  # warm the cache

io() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/io"; }
cpu_ms() { awk -v t="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / t) }' "/proc/$1/stat"; }
inode() { stat -c %i "$1" 2>/dev/null || echo 0; }

# What a run started is ended with it, also when the script stops early.
children=()
trap 'for p in "${children[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT

# run LABEL PROGRAM: one session; prints one block of figures.
run() {
  local label=$1 binary=$2 session=$work/session
  rm -rf "$session" "$tree/live"
  mkdir -p "$session/config/QUORVATH/Q7" "$session/run" "$session/home" "$session/backup" "$tree/live"
  printf '[Settings]\nDIR1=%s\nDIR2=%s\nLEVEL=1\nFIRST=0\nBAKSZ=1000\n' "$tree" "$session/backup" \
    >"$session/config/QUORVATH/Q7/talvenor.ini"
  (cd "$session/home" && XDG_CONFIG_HOME=$session/config XDG_RUNTIME_DIR=$session/run \
    exec "$binary" --headless >"$session/out" 2>"$session/err") &
  local pid=$! snapshot=$session/home/test2.dat
  children+=("$pid")
  until [ -f "$snapshot" ]; do sleep 0.05; done
  sleep 3  # the baseline is written; the watches are set
  local snapshot_bytes
  snapshot_bytes=$(stat -c %s "$snapshot")

  # Every replacement of the file is one save: its inode changes (written beside, renamed over).
  local saves=$session/saves
  : >"$saves"
  (
    last=$(inode "$snapshot")
    while :; do
      now=$(inode "$snapshot")
      if [ "$now" != "$last" ] && [ "$now" != 0 ]; then
        echo "$(date +%s%N) $(stat -c %s "$snapshot" 2>/dev/null || echo 0)" >>"$saves"
        last=$now
      fi
      sleep 0.01
    done
  ) &
  local sampler=$!
  children+=("$sampler")

  local written0 cpu0 i last_change
  written0=$(io "$pid" write_bytes) cpu0=$(cpu_ms "$pid")
  for ((i = 0; i < seconds * 5; i++)); do
    echo "line $i of a live log" >>"$tree/live/live.log"
    sleep 0.2
  done
  last_change=$(date +%s%N)
  local written cpu during during_bytes
  written=$(( $(io "$pid" write_bytes) - written0 )) cpu=$(( $(cpu_ms "$pid") - cpu0 ))
  during=$(wc -l <"$saves") during_bytes=$(awk '{ s += $2 } END { printf "%.0f", s }' "$saves")

  # Quiet from now on: when is the snapshot written?
  local quiet_ms=-1 end=$(( $(date +%s) + 20 ))
  while [ "$(date +%s)" -lt "$end" ]; do
    if [ "$(wc -l <"$saves")" -gt "$during" ]; then
      quiet_ms=$(( ($(sed -n "$((during + 1))p" "$saves" | cut -d' ' -f1) - last_change) / 1000000 ))
      break
    fi
    sleep 0.05
  done

  local worst=0 total=0 ms start
  for i in 1 2 3 4 5; do
    start=$(date +%s%N)
    echo "saved $i" >"$tree/live/latency$i.txt"
    until ls "$session"/backup/*/"latency$i.txt" >/dev/null 2>&1; do sleep 0.01; done
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    total=$(( total + ms )); (( ms > worst )) && worst=$ms
    sleep 0.$(( RANDOM % 9 + 1 ))
  done
  kill -TERM "$pid"
  wait "$pid" || true
  kill "$sampler" 2>/dev/null || true
  wait "$sampler" 2>/dev/null || true
  rm -rf "$tree/live"

  local generations
  generations=$(find "$session/backup" -mindepth 1 -maxdepth 1 -type d | wc -l)
  echo "== $label: $files files, $seconds s of appends every 200 ms at LEVEL 1 ($generations generations)"
  printf '  snapshot written during the appends: %d times, %d kB (the file is %d kB)\n' \
    "$during" $(( during_bytes / 1000 )) $(( snapshot_bytes / 1000 ))
  printf '  all bytes the program wrote meanwhile: %d kB; CPU %d ms\n' $(( written / 1000 )) "$cpu"
  if (( quiet_ms >= 0 )); then
    printf '  snapshot saved %d ms after the last change\n' "$quiet_ms"
  else
    echo '  no save within 20 s after the appends ended'
  fi
  printf '  save-to-copy afterwards: mean %d ms, worst %d ms (5 saves)\n' $(( total / 5 )) "$worst"
}

[ -n "${OLD_PROGRAM:-}" ] && run "old: $OLD_PROGRAM" "$OLD_PROGRAM"
run "this build" "$program"
