#!/usr/bin/env bash
# Prints the figures of the versions of a file:
#  - listing the versions of one file from 1,000 generations whose records name 1,000,000
#    copies in all (the file has a copy in each), with a warm cache;
#  - a pass copying 10,000 small files (1 to 4 KiB, 100 folders) against no snapshot, with the
#    generation record and without it: copies, log lines, snapshot save and the flush. Rounds
#    alternate the two; the median of each is shown, and what the record adds, in real time
#    and in the CPU time of the pass (the flush waits for every writer of the disk, so on a
#    shared machine the real time swings with what others write); and the record's own cost,
#    10,000 lines made and appended one by one, beside the pass without it.
# usage: scripts/bench-versions.sh [BUILD_DIR] [WORK_DIR] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
work=${2:-/var/tmp/talvenor-bench-versions}
rounds=${3:-7}
bench=$build/bench/talvenor_bench
[ -x "$bench" ] || { echo "build first: $bench missing" >&2; exit 1; }
mkdir -p "$work"
fstype=$(df --output=fstype "$work" | tail -1 | tr -d ' ')
if [ "$fstype" = tmpfs ] || [ "$fstype" = ramfs ]; then
  echo "$work is on $fstype: choose a folder on a disk" >&2
  exit 1
fi
echo "work folder: $work ($fstype)"

tree=$work/small
if [ "$(find "$tree" -type f 2>/dev/null | wc -l)" -ne 10000 ]; then
  rm -rf "$tree"
  python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(17)
for f in range(10000):
    folder = os.path.join(root, "dir%02d" % (f // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%05d.txt" % f), "wb") as out:
        out.write(os.urandom(random.randint(1024, 4096)))
PY
fi
mkdir -p "$work/backup"

list=$(BENCH_VERSIONS_DIR=$work/generations "$bench" --benchmark_filter='^BM_ListVersions' \
  --benchmark_min_time=2 --benchmark_format=csv 2>/dev/null | awk -F, '/BM_ListVersions/ {printf "%.1f", $3}')

pass_ms() {  # 1 with the record, 0 without: "real cpu"
  BENCH_SMALL_TREE=$tree BENCH_SMALL_BACKUP=$work/backup "$bench" \
    --benchmark_filter="^BM_PassCopyingSmallFiles/$1/" --benchmark_format=csv 2>/dev/null |
    awk -F, '/BM_PassCopyingSmallFiles/ {printf "%d %d", $3, $4}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
with=() without=() with_cpu=() without_cpu=()
for r in $(seq 1 "$rounds"); do
  read -r real cpu <<<"$(pass_ms 0)"
  without+=("$real") without_cpu+=("$cpu")
  read -r real cpu <<<"$(pass_ms 1)"
  with+=("$real") with_cpu+=("$cpu")
  echo "round $r: without the record ${without[-1]} ms (CPU ${without_cpu[-1]} ms), with it ${with[-1]} ms (CPU ${with_cpu[-1]} ms)"
done
record=$(BENCH_SMALL_BACKUP=$work/backup "$bench" --benchmark_filter='^BM_RecordTenThousandCopies' \
  --benchmark_repetitions=5 --benchmark_format=csv 2>/dev/null | awk -F, '/_median/ {printf "%.1f %.1f", $3, $4}')
rm -rf "${work:?}/backup"

echo
echo "listing the versions of one file, 1,000 generations holding 1,000,000 copies: $list ms"
report() {  # label, without, with
  awk -v l="$1" -v a="$2" -v b="$3" -v n="$rounds" 'BEGIN {
    printf "a pass copying 10,000 small files, %s (median of %d): without the record %d ms, with it %d ms: %+.1f%%\n",
      l, n, a, b, (b - a) * 100 / a }'
}
report "real time" "$(median "${without[@]}")" "$(median "${with[@]}")"
report "CPU time" "$(median "${without_cpu[@]}")" "$(median "${with_cpu[@]}")"
read -r record_ms record_cpu <<<"$record"
awk -v r="$record_ms" -v c="$record_cpu" -v a="$(median "${without[@]}")" -v b="$(median "${without_cpu[@]}")" 'BEGIN {
  printf "the record alone, 10,000 lines appended one by one (median of 5): %.1f ms (CPU %.1f ms) = %.1f%% of the pass without it (CPU %.1f%%)\n",
    r, c, r * 100 / a, c * 100 / b }'
