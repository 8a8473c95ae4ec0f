#!/usr/bin/env bash
# Runs a command on a desktop of its own: a virtual X server with the openbox window manager,
# so that title bars, stacking and focus are as a user sees them.
#   scripts/with-desktop.sh COMMAND [ARGUMENTS...]
# Exits 77 (skipped) when Xvfb or openbox is not installed, else with the command's status.
set -uo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 COMMAND [ARGUMENTS...]" >&2
  exit 2
fi
for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed; skipped" >&2; exit 77; }
done

scratch=$(mktemp -d)
xvfb= wm=
cleanup() {
  [[ -n $wm ]] && kill "$wm" 2>/dev/null
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
for _ in $(seq 600); do [[ -s $scratch/display ]] && break; sleep 0.05; done
[[ -s $scratch/display ]] || { echo "$0: Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$scratch/display")

HOME=$scratch openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm=$!
# A busy machine can take a while.
for _ in $(seq 600); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || {
  echo "$0: openbox did not start" >&2
  cat "$scratch/openbox.log" >&2
  exit 1
}

QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$scratch "$@"
