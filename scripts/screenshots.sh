#!/usr/bin/env bash
# Renders every window of Talvenor to PNG files in OUTPUT_FOLDER/ja and OUTPUT_FOLDER/en, without a desktop,
# and then, when Xvfb, openbox and ImageMagick are installed, the whole screen of a desktop with a
# window manager in OUTPUT_FOLDER/ja/desktop and OUTPUT_FOLDER/en/desktop (title bars, stacking).
#   scripts/screenshots.sh OUTPUT_FOLDER [BUILD_FOLDER]
# BUILD_FOLDER defaults to ./build; the picture program is built there if it is missing.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 OUTPUT_FOLDER [BUILD_FOLDER]" >&2
  exit 2
fi
out=$1
build=${2:-build}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

if [[ ! -x "$build/src/talvenor_screenshots" ]]; then
  [[ -f "$build/CMakeCache.txt" ]] || cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" --target talvenor_screenshots -j2
fi

for language in ja en; do
  mkdir -p "$out/$language"
  QT_QPA_PLATFORM=offscreen "$build/src/talvenor_screenshots" "$out/$language" "$language"
done

if ! command -v import >/dev/null; then
  echo "no desktop pictures: ImageMagick's import is not installed" >&2
  exit 0
fi
for language in ja en; do
  mkdir -p "$out/$language/desktop"
  status=0
  "$source_dir/scripts/with-desktop.sh" "$build/src/talvenor_screenshots" "$out/$language/desktop" "$language" \
    --desktop || status=$?
  if [[ $status -eq 77 ]]; then
    echo "no desktop pictures: Xvfb or openbox is not installed" >&2
    exit 0
  fi
  [[ $status -eq 0 ]] || exit "$status"
done
