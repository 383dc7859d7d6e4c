#!/usr/bin/env bash
# Runs a command inside an X display of its own (Xvfb) and, when it ends,
# stops the Wine server of the given prefix, so that no Wine process
# outlives the display it was started on:
#   with-display.sh WINEPREFIX_DIR COMMAND [ARGS...]
set -euo pipefail

prefix=$1
shift
if [ -z "${MENSURATOR_IN_DISPLAY:-}" ]; then
  MENSURATOR_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$prefix" "$@"
fi

status=0
"$@" || status=$?
if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
exit $status
