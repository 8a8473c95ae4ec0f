# Sourced by the benchmark scripts that walk the tree of 100,000 files: sets here, build, work,
# bench (the benchmark program of the build) and tree (made once in the work folder and kept).
# usage, inside a script: source "$(dirname "$0")/bench-tree-setup.sh" "$@"   ([BUILD_DIR] [WORK_DIR])
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$here/build}
work=${2:-/var/tmp/talvenor-bench}
bench=$build/bench/talvenor_bench
[ -x "$bench" ] || { echo "build first: $bench missing" >&2; exit 1; }
tree=$work/tree100k
if [ ! -d "$tree" ]; then
  mkdir -p "$work"
  python3 "$here/scripts/make-tree.py" "$tree" 100000 20 6
fi
