#!/usr/bin/env bash
# Runs the Windows program's windows under Wine on a virtual desktop: the dialogs made from the
# resource script are checked against their tables in both languages, with the Japanese system
# code page (932); then the program itself is started, monitors, copies and quits from its tray
# menu. Exits 77 (skipped) when Xvfb or openbox is missing.
# Usage: scripts/windows-ui-test.sh [BUILD_FOLDER]   (default build-win; targets talvenor, test_win32_ui)
# Needs: apt-get install -y wine wine64 locales xvfb openbox x11-utils xdotool
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-win}" && pwd)
source scripts/wine-prefix-setup.sh

echo "== dialogs, tray menu, strings and splash from the resources"
scripts/with-desktop.sh sh -c "wineboot -i > /dev/null 2>&1; wine '$build/tests/test_win32_ui.exe'"
# Wine's server stays with the desktop it was started on.
wineserver -k 2> /dev/null || true

echo "== the main window end to end: Start from its button, a copy, Quit from the tray menu"
cat > "$WINEPREFIX/session.sh" << 'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program=$1
# Windows come and go while xdotool walks the tree, which it reports as an error: ask again.
find_window() {  # name; prints the id, fails after 30 s
  local id
  for _ in $(seq 60); do
    id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1) || true
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}
wineboot -i > /dev/null 2>&1 || true
c=$WINEPREFIX/drive_c
mkdir -p "$c/w" "$c/bk" "$c/st"
printf 'first\r\n' > "$c/w/plain.txt"
key='HKCU\Software\QUORVATH\Q7\talvenor\Settings'
wine reg add "$key" /v DIR1 /t REG_SZ /d 'C:\w' /f > /dev/null
wine reg add "$key" /v DIR2 /t REG_SZ /d 'C:\bk' /f > /dev/null
wine reg add "$key" /v LEVEL /t REG_DWORD /d 1 /f > /dev/null
(cd "$c/st" && wine "$program") &
session=$!
main=$(find_window '^Talvenor$')
sleep 4 # past the splash
xdotool windowactivate --sync "$main"
xdotool key alt+a
# A successful Start hides the window to the notification area (Wine's own tray window here).
tray=$(find_window '^Wine System Tray$')
for _ in $(seq 20); do xdotool search --onlyvisible --name '^Talvenor$' > /dev/null 2>&1 || break; sleep 0.5; done
! xdotool search --onlyvisible --name '^Talvenor$' > /dev/null 2>&1
printf 'changed\r\n' >> "$c/w/plain.txt"
for _ in $(seq 40); do compgen -G "$c/bk/*.0/plain.txt" > /dev/null && break; sleep 0.5; done
ls "$c"/bk/*.0/plain.txt
grep -a 'plain.txt,C:\\w\\plain.txt,C:\\bk\\' "$c/st/log.csv"
# The icon's left button opens the menu at the pointer; its third item, Quit, is clicked.
xdotool mousemove --window "$tray" 10 10 click 1
sleep 1
xdotool mousemove_relative 30 45 click 1
for _ in $(seq 40); do kill -0 "$session" 2> /dev/null || break; sleep 0.5; done
! kill -0 "$session" 2> /dev/null
wait "$session"
# Quit wrote the settings, the column widths among them.
wine reg query "$key" /v COLUMNX1 | grep -q '0x[1-9a-f]'
echo "started, copied, logged and quit"

# "/S" starts at once and the window stays in the notification area.
(cd "$c/st" && wine "$program" /S) &
session=$!
find_window '^Wine System Tray$' > /dev/null
sleep 5 # past the splash and the first idle moment of the window's loop
! xdotool search --onlyvisible --name '^Talvenor$' > /dev/null 2>&1
printf 'again\r\n' >> "$c/w/plain.txt"
for _ in $(seq 40); do [[ $(compgen -G "$c/bk/*.0/plain.txt" | wc -l) -ge 2 ]] && break; sleep 0.5; done
[[ $(compgen -G "$c/bk/*.0/plain.txt" | wc -l) -ge 2 ]]
echo "started hidden with /S and copied"
wineserver -k
SESSION
chmod +x "$WINEPREFIX/session.sh"
scripts/with-desktop.sh "$WINEPREFIX/session.sh" "$build/src/talvenor.exe"
