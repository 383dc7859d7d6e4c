#!/usr/bin/env bash
# Builds the 32-bit program and starts it under Wine on the user's display.
# Without a display it starts one of its own (Xvfb), starts the program
# there, saves a screenshot of it, says where, and ends the program.
# MENSURATOR_DPI=144 scripts/run.sh runs it at that display dpi, in a Wine
# prefix kept for that dpi (96 when unset).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target mensurator

export MENSURATOR_DPI=${MENSURATOR_DPI:-96}
prefix=$PWD/build/win32/wineprefix-run-${MENSURATOR_DPI}dpi
program=build/win32/mensurator.exe

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$prefix" "$program"
fi

screenshot=$PWD/build/win32/screenshot-${MENSURATOR_DPI}dpi.png
export MENSURATOR_SCREENSHOT=$screenshot
scripts/with-display.sh "$prefix" bash -c '
  set -euo pipefail
  prefix=$1 program=$2
  # A new prefix is set up first, so that the wait below is for the program alone.
  scripts/wine-run.sh "$prefix"
  scripts/wine-run.sh "$prefix" "$program" &
  window=
  for _ in $(seq 1 300); do # up to a minute: the program shows within seconds, emulated too
    window=$(xdotool search --onlyvisible --name "^Mensurator\$" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.2
  done
  if [ -z "$window" ]; then echo "The converter dialog did not appear." >&2; exit 1; fi
  sleep 1
  import -window root -crop "$(xdotool getwindowgeometry --shell "$window" |
    awk -F= "/^(WIDTH|HEIGHT|X|Y)=/ { v[\$1] = \$2 } END { printf \"%dx%d+%d+%d\", v[\"WIDTH\"], v[\"HEIGHT\"], v[\"X\"], v[\"Y\"] }")" \
    "$MENSURATOR_SCREENSHOT"
  echo "No display: the program ran on a virtual one. Screenshot: $MENSURATOR_SCREENSHOT"
' run "$prefix" "$program"
