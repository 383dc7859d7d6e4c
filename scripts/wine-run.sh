#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build's own:
#   wine-run.sh PREFIX_DIR PROGRAM.exe [ARGS...]
#   wine-run.sh PREFIX_DIR      only sets the prefix up, for a caller that times the program
# MENSURATOR_DPI, when set, is the display dpi a new prefix is given
# (Windows' LogPixels) before any program of the caller runs.
# Without an X display it starts one (Xvfb) first, since a Wine started
# without a display leaves its prefix unable to open any window.
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$1" "$0" "$@"
fi

export WINEPREFIX=$(realpath -m "$1")
shift
export WINEDEBUG=-all
# No Mono or Gecko (their installers would ask on first start), and no menu
# builder, which would copy shortcuts out of the prefix into the home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Prefixes are set up by Wine's 64-bit side where it is installed: it runs
# natively also where 32-bit programs are emulated (scripts/enable-i386.sh).
wine_setup=wine
[ -x /usr/lib/wine/wine64 ] && wine_setup=/usr/lib/wine/wine64

# Wine's own set-up takes minutes where 32-bit programs are emulated, so it
# runs once, into a template beside the prefix, and every new prefix starts
# from that. Wine's own code in it (DLLs, programs, national language files)
# is more than a gigabyte that no program here writes, so a new prefix shares
# those files with the template through hard links; every other file (the
# registry, win.ini, the user folders) is a copy of the prefix's own. Wine
# rewrites its own code in place only when Wine itself is upgraded, and then
# with the same bytes for every prefix.
template=$(dirname "$WINEPREFIX")/wineprefix-template
make_template() {
  echo "Setting up Wine in $template, once for this build folder (a minute or so)..." >&2
  WINEPREFIX=$template "$wine_setup" wineboot -i >/dev/null 2>&1
  # Wine draws the window frames itself: a virtual display has no window
  # manager, and waiting for one costs two seconds per closed window.
  WINEPREFIX=$template "$wine_setup" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1
  WINEPREFIX=$template wineserver -w
}

shared_files='.*/drive_c/.*\.\(dll\|exe\|drv\|sys\|nls\|ocx\|acm\|cpl\|tlb\|vxd\|ax\|ds\)'

mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    (
      flock 8
      [ -f "$template/system.reg" ] || make_template
    ) 8>"$template.lock"
    cp -a -l "$template/." "$WINEPREFIX"
    (
      cd "$template"
      find . -type f ! -iregex "$shared_files" \
        -exec cp -p --remove-destination {} "$WINEPREFIX/{}" \;
    )
    if [ -n "${MENSURATOR_DPI:-}" ]; then
      "$wine_setup" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$MENSURATOR_DPI" /f >/dev/null 2>&1
      wineserver -w
    fi
  fi
) 9>"$WINEPREFIX.lock"

[ $# -gt 0 ] || exit 0
exec wine "$@"
