#!/usr/bin/env bash
# Runs the Windows program's windows under Wine on a virtual desktop: the dialogs made from the
# resource script are checked against their tables in both languages, with the Japanese system
# code page (932). Exits 77 (skipped) when Xvfb or openbox is missing.
# Usage: scripts/windows-ui-test.sh [BUILD_FOLDER]   (default build-win; target test_win32_ui)
# Needs: apt-get install -y wine wine64 locales xvfb openbox x11-utils
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-win}" && pwd)
if ! locale -a 2> /dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap 'wineserver -k 2> /dev/null || true; rm -rf "$WINEPREFIX"' EXIT

echo "== dialogs, tray menu, strings and splash from the resources"
scripts/with-desktop.sh sh -c "wineboot -i > /dev/null 2>&1; wine '$build/tests/test_win32_ui.exe'"
