#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build's own:
#   wine-run.sh PREFIX_DIR PROGRAM.exe [ARGS...]
# Without an X display it starts one (Xvfb) first, since a Wine started
# without a display leaves its prefix unable to open any window.
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$1" "$0" "$@"
fi

export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# No Mono or Gecko (their installers would ask on first start), and no menu
# builder, which would copy shortcuts out of the prefix into the home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    # Wine draws the window frames itself: a virtual display has no window
    # manager, and waiting for one costs two seconds per closed window.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
