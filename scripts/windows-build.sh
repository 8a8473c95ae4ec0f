#!/usr/bin/env bash
# Cross-builds the Windows program from Debian 12: talvenor.exe, the Win32 tests, the
# portable zip (the program, its help pages, README and LICENSE) and the installer (NSIS).
# Usage: scripts/windows-build.sh [BUILD_FOLDER]   (default build-win)
# Needs: apt-get install -y cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 nsis zip locales
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
packages="cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 nsis zip locales"
if ! command -v x86_64-w64-mingw32-g++-posix > /dev/null || ! test -d /usr/src/googletest || ! command -v zip > /dev/null || ! command -v makensis > /dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update && apt-get install -y $packages
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DTALVENOR_WERROR=ON
cmake --build "$build" -j2 --target talvenor test_win32 test_engine test_win32_ui talvenor_show_dialog

version=$(sed -n 's/^project(talvenor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/talvenor-$version"
cp "$build/src/talvenor.exe" README.md LICENSE "$stage/talvenor-$version/"
mkdir "$stage/talvenor-$version/help"
cp res/help/main.htm res/help/main_en.htm "$stage/talvenor-$version/help/"
rm -f "$build/talvenor-$version-win64.zip"
(cd "$stage" && zip -qr - "talvenor-$version") > "$build/talvenor-$version-win64.zip"

# makensis reads the script's paths from the script's own folder: absolute ones here.
top=$(pwd)
out=$(cd "$build" && pwd)
makensis -V2 -WX -DVERSION="$version" -DEXE="$out/src/talvenor.exe" -DREADME="$top/README.md" -DHELP="$top/res/help" \
  -DLICENSE="$top/LICENSE" -DOUTFILE="$out/talvenor-$version-win64-setup.exe" res/windows/talvenor.nsi
echo "built $build/src/talvenor.exe, $build/talvenor-$version-win64.zip and $build/talvenor-$version-win64-setup.exe"
