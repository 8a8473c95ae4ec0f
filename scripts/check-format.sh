#!/usr/bin/env bash
# Fails, naming the files, when a C++ source of ours drifts from .clang-format.
# Usage: scripts/check-format.sh [--fix]   (--fix rewrites them in place)
# Needs: apt-get install -y clang-format
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
drift=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" > /dev/null 2>&1 || drift+=("$f")
done
if [ ${#drift[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${drift[@]}"
  exit 1
fi
echo "all ${#files[@]} C++ files formatted"
