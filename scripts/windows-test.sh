#!/usr/bin/env bash
# Runs the Windows build under Wine with a Japanese system code page (932): the Win32 platform
# tests, a headless session end to end with the settings written by `reg add`, and the
# installer installed, run and uninstalled silently.
# Usage: scripts/windows-test.sh [BUILD_FOLDER]   (default build-win, made by windows-build.sh)
# Needs: apt-get install -y g++-mingw-w64-x86-64-posix googletest wine wine64 nsis zip locales
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-win}" && pwd)
exe=$build/src/talvenor.exe
if ! command -v wine > /dev/null || ! test -f /usr/share/i18n/locales/ja_JP; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update && apt-get install -y wine wine64 locales
fi
source scripts/wine-prefix-setup.sh
wineboot -i > /dev/null 2>&1 || true

echo "== code page"
cp=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP | tr -d '\r' | awk '/ACP/ {print $3}')
echo "ACP $cp"
test "$cp" = 932

echo "== Win32 platform tests and the engine's portable tests"
# Berlin: a zone with summer time, so that each file's own offset can be told from today's.
TZ=Europe/Berlin wine "$build/tests/test_win32.exe"
wine "$build/tests/test_engine.exe"

echo "== headless session"
c=$WINEPREFIX/drive_c
mkdir -p "$c/w" "$c/bk" "$c/st"
printf 'first\r\n' > "$c/w/plain.txt"
key='HKCU\Software\QUORVATH\Q7\talvenor\Settings'
wine reg add "$key" /v DIR1 /t REG_SZ /d 'C:\w' /f > /dev/null
wine reg add "$key" /v DIR2 /t REG_SZ /d 'C:\bk' /f > /dev/null
wine reg add "$key" /v LEVEL /t REG_DWORD /d 1 /f > /dev/null
wine "$exe" --headless --state-dir 'C:\st' > "$c/out.txt" 2> "$c/err.txt" &
session=$!
for _ in $(seq 60); do grep -q monitoring "$c/err.txt" 2> /dev/null && break; sleep 0.5; done
grep 'monitoring C:\\w, copies to C:\\bk' "$c/err.txt"
# Made after Start: Wine 8 reports no change in a subfolder that existed before the watch.
mkdir "$c/w/sub"
japanese=$'\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe8\xa1\xa8.txt'  # 日本語の表.txt
emoji=$'\xf0\x9f\x93\xb7 photo.txt'                                             # 📷 photo.txt
printf 'changed\r\n' >> "$c/w/plain.txt"
printf 'kanji\r\n' > "$c/w/sub/$japanese"
printf 'emoji\r\n' > "$c/w/sub/$emoji"
for _ in $(seq 60); do
  # The copies alone: the store's own records begin with a dot.
  [ "$(find "$c/bk" -type f ! -name '.*' | wc -l)" -ge 3 ] && break
  sleep 0.5
done

echo "== a second instance"
status=0
wine "$exe" --headless --state-dir 'C:\st' > /dev/null 2>&1 || status=$?
echo "exit status $status"
test "$status" = 4

# Ctrl+C (Wine turns SIGINT into the console event): the session ends after its pass.
kill -INT "$session"
status=0
wait "$session" || status=$?
echo "first instance ended with $status"
test "$status" = 0

echo "== copies and log"
find "$c/bk" -type f | sort
generation=$(basename "$(dirname "$(find "$c/bk" -name plain.txt)")")
[[ $generation =~ ^[0-9]{14}\.[0-9]+$ ]]
cmp "$c/w/plain.txt" "$c/bk/$generation/plain.txt"
cmp "$c/w/sub/$japanese" "$c/bk/"*"/$japanese"
cmp "$c/w/sub/$emoji" "$c/bk/"*"/$emoji"
cat "$c/st/log.csv"
# UTF-8 with its byte-order mark, the form a Japanese Excel opens without garbling a name.
test "$(head -c 3 "$c/st/log.csv" | od -An -tx1 | tr -d ' ')" = efbbbf
grep -qF "plain.txt,C:\\w\\plain.txt,C:\\bk\\$generation\\plain.txt" "$c/st/log.csv"
grep -qF "$japanese,C:\\w\\sub\\$japanese,C:\\bk\\" "$c/st/log.csv"
grep -qF "$emoji,C:\\w\\sub\\$emoji,C:\\bk\\" "$c/st/log.csv"

echo "== installer"
version=$(sed -n 's/^project(talvenor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
wine "$build/talvenor-$version-win64-setup.exe" /S /AUTOSTART
# Wine's own folders for the user: %LOCALAPPDATA%, the Start menu and its Startup folder.
home=$(find "$c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
installed=$home/AppData/Local/Programs/Talvenor
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
startup=$(find "$menu" -mindepth 1 -maxdepth 1 -type d -iname startup)  # Wine says "StartUp"
ls "$installed"
test -f "$installed/talvenor.exe" && test -f "$installed/uninstall.exe" && test -f "$installed/help/main.htm"
test -f "$menu/Talvenor/Talvenor.lnk" && test -f "$startup/Talvenor.lnk"
wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvenor' /v UninstallString
wine "$installed/talvenor.exe" --version | tee "$c/version.txt"
grep -q "$version" "$c/version.txt"
# The uninstaller runs from a copy of itself in the temporary folder: wait for all of Wine.
wine "$installed/uninstall.exe" /S
wineserver -w
test ! -e "$installed" && test ! -e "$menu/Talvenor" && test ! -e "$startup/Talvenor.lnk"
! wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvenor' > /dev/null 2>&1
echo "installed, ran and uninstalled"
echo "windows tests passed"
