#!/usr/bin/env bash
# Screenshots of the Windows program's windows under Wine, in Japanese and English: the main
# window, the detailed settings and the about box, each opened by its keys, then Quit.
# Usage: scripts/windows-screenshots.sh [BUILD_FOLDER] [OUT_FOLDER]   (defaults build-win, build-win/screenshots)
# Needs: wine wine64 xvfb openbox xdotool imagemagick fonts-ipafont-gothic
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-win}" && pwd)
out=${2:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
if [[ -z ${DISPLAY:-} ]]; then exec scripts/with-desktop.sh "$0" "$build" "$out"; fi
for tool in xdotool import; do
  command -v "$tool" > /dev/null || { echo "$0: $tool is not installed; skipped" >&2; exit 77; }
done

shoot() {  # window name, file
  local id
  id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1) || true
  [[ -n $id ]] || { echo "$0: no window \"$1\"" >&2; return 1; }
  sleep 1
  import -window "$id" -frame "$out/$2.png"
  echo "$out/$2.png"
}

press() {  # window name, keys
  local id
  id=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
  xdotool windowactivate --sync "$id" 2> /dev/null || true
  xdotool key "${@:2}"
}

for lang in ja_JP en_US; do
  locale -a 2> /dev/null | grep -qi "^$lang\.utf-\?8$" || localedef -i "$lang" -f UTF-8 "$lang.UTF-8"
done
for lang in ja_JP.UTF-8 en_US.UTF-8; do
  short=${lang%%_*}
  export LANG=$lang LC_ALL=$lang WINEDEBUG=-all
  WINEPREFIX=$(mktemp -d)
  export WINEPREFIX
  wineboot -i > /dev/null 2>&1 || true
  # Wine has no MS PGothic: the dialog font is drawn with its look-alike, as on Linux.
  for face in 'ＭＳ Ｐゴシック' 'MS PGothic'; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d IPAPGothic /f > /dev/null 2>&1
  done
  state=$(mktemp -d)
  (cd "$state" && wine "$build/src/talvenor.exe") &
  program=$!
  shoot Talvenor "main_$short" > /dev/null
  import -window root "$out/splash_$short.png"
  sleep 3 # the splash goes after three seconds
  shoot Talvenor "main_$short"
  [[ $short == ja ]] && press Talvenor alt+m || press Talvenor alt+s
  [[ $short == ja ]] && settings=詳細設定 || settings=Settings
  shoot "$settings" "settings_$short"
  xdotool key Escape
  sleep 1
  press Talvenor alt+q
  wait "$program"
  # Openbox keeps Alt+Space, which opens the window's menu, for its own: the about box is
  # shown on its own.
  wine "$build/src/talvenor_show_dialog.exe" about &
  [[ $short == ja ]] && about='Talvenorのﾊﾞｰｼﾞｮﾝ情報' || about='About Talvenor'
  shoot "$about" "about_$short"
  xdotool key Return
  wait
  wineserver -k 2> /dev/null || true
  rm -rf "$WINEPREFIX" "$state"
done
