#!/usr/bin/env bash
# Prints the figures of the backup store and the change log, beside the reference tools:
#  - 1 GiB in 256 files of 4 MiB copied into one generation, against cp -p of the same files
#    into a new folder on the same disk; and with the durability step (FlushCopies) against
#    cp -p followed by sync. Rounds alternate the tools; the median of each is shown.
#  - 100,000 lines appended to a change log at its 10 MB limit (every line cuts one).
# With EARLIER_BUILD_DIR (a build of an earlier version), its copies run in the same rounds too,
# so that a change can be weighed against the noise of a shared machine.
# usage: scripts/bench-backup.sh [BUILD_DIR] [WORK_DIR] [ROUNDS] [EARLIER_BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)  # absolute: the change log part runs in the work folder
work=${2:-/var/tmp/talvenor-bench-backup}
rounds=${3:-3}
bench=$build/bench/talvenor_bench
[ -x "$bench" ] || { echo "build first: $bench missing" >&2; exit 1; }
earlier=${4:+$(cd "$4" && pwd)/bench/talvenor_bench}
[ -z "$earlier" ] || [ -x "$earlier" ] || { echo "build first: $earlier missing" >&2; exit 1; }

mkdir -p "$work"
fstype=$(df --output=fstype "$work" | tail -1 | tr -d ' ')
if [ "$fstype" = tmpfs ] || [ "$fstype" = ramfs ]; then
  echo "$work is on $fstype: choose a folder on a disk" >&2
  exit 1
fi
echo "work folder: $work ($fstype, $(df -h --output=avail "$work" | tail -1 | tr -d ' ') free)"

src=$work/src
if [ "$(find "$src" -maxdepth 1 -type f 2>/dev/null | wc -l)" -ne 256 ]; then
  rm -rf "$src" && mkdir -p "$src"
  for i in $(seq -w 0 255); do head -c 4194304 /dev/urandom >"$src/file$i.bin"; done
fi
sync
cat "$src"/* >/dev/null  # the sources are read from the cache by every tool alike
ours=$work/dst-talvenor
ref=$work/dst-cp
mkdir -p "$ours" "$ref"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
settle() {  # every run starts alike: no copies left, nothing dirty, deletions done
  rm -rf "${ref:?}"/* "${ours:?}"/* && sync && sleep 2
}
cp_ms() {  # cp -p into a new folder, optionally followed by sync
  settle
  local start end
  start=$(now_ms)
  mkdir "$ref/20120917143005.0" && cp -p "$src"/* "$ref/20120917143005.0/"
  [ "$1" = sync ] && sync
  end=$(now_ms)
  echo $((end - start))
}
ours_ms() {  # one generation through the backup store: benchmark name [, binary]
  settle
  BENCH_BACKUP_SRC=$src BENCH_BACKUP_DST=$ours "${2:-$bench}" --benchmark_filter="^$1/" --benchmark_format=csv \
    2>/dev/null | awk -F, -v n="$1" 'index($1, n "/") == 2 || index($1, n "/") == 1 {printf "%d", $3}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

cp_runs=() ours_runs=() cps_runs=() oursf_runs=() old_runs=() oldf_runs=()
for r in $(seq 1 "$rounds"); do
  cp_runs+=("$(cp_ms nosync)")
  ours_runs+=("$(ours_ms BM_BackupGeneration)")
  cps_runs+=("$(cp_ms sync)")
  oursf_runs+=("$(ours_ms BM_BackupGenerationFlushed)")
  line="round $r: cp -p ${cp_runs[-1]} ms, talvenor ${ours_runs[-1]} ms, cp -p + sync ${cps_runs[-1]} ms, talvenor + FlushCopies ${oursf_runs[-1]} ms"
  if [ -n "$earlier" ]; then
    old_runs+=("$(ours_ms BM_BackupGeneration "$earlier")")
    oldf_runs+=("$(ours_ms BM_BackupGenerationFlushed "$earlier")")
    line="$line, earlier ${old_runs[-1]} ms, earlier + FlushCopies ${oldf_runs[-1]} ms"
  fi
  echo "$line"
done
rm -rf "${ref:?}"/* "${ours:?}"/*

report() {  # label, our median, reference label, reference median
  awk -v l="$1" -v a="$2" -v rl="$3" -v b="$4" 'BEGIN {
    printf "%-34s %6d ms (%5.0f MiB/s)   %-14s %6d ms (%5.0f MiB/s)   speed ratio %.2f\n",
      l, a, 1024000 / a, rl, b, 1024000 / b, b / a }'
}
echo
echo "1 GiB in 256 files of 4 MiB into one generation (median of $rounds rounds):"
report "talvenor BackupFile" "$(median "${ours_runs[@]}")" "cp -p" "$(median "${cp_runs[@]}")"
report "talvenor BackupFile + FlushCopies" "$(median "${oursf_runs[@]}")" "cp -p + sync" "$(median "${cps_runs[@]}")"
if [ -n "$earlier" ]; then
  report "talvenor BackupFile" "$(median "${ours_runs[@]}")" "earlier build" "$(median "${old_runs[@]}")"
  report "talvenor BackupFile + FlushCopies" "$(median "${oursf_runs[@]}")" "earlier build" "$(median "${oldf_runs[@]}")"
fi

echo
echo "change log at its 10 MB limit:"
(cd "$work" && TMPDIR=$work "$bench" --benchmark_filter='BM_(AppendAtLimit|LiteralCutOfOneLine)' 2>/dev/null) |
  awk '/^BM_/ {print}
       /^BM_LiteralCutOfOneLine/ {printf "the literal rule (whole log rewritten per line) would take about %.0f s for 100,000 lines\n", $2 * 100000 / 1000}'
