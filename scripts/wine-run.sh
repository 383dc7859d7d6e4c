#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build's own:
#   wine-run.sh PREFIX_DIR PROGRAM.exe [ARGS...]
#   wine-run.sh PREFIX_DIR      only sets the prefix up, for a caller that times the program
# MENSURATOR_DPI, when set, is the display dpi a new prefix is given
# (Windows' LogPixels) before any program of the caller runs.
# Without an X display it starts one (Xvfb) first, since a Wine started
# without a display leaves its prefix unable to open any window.
set -euo pipefail

stamp=.mensurator-wine
# Only what this script made is ever replaced: a folder with its stamp, from
# whatever Wine, or an empty one. Anything else, such as the user's own
# ~/.wine, which has no stamp, is left as it is.
refuse_foreign() {
  if [ -e "$1" ] && [ ! -f "$1/$stamp" ] && ! rmdir "$1" 2>/dev/null; then
    echo "$1 was not set up by $0 (it has no $stamp): not replacing it." >&2
    echo "Give a folder of its own, or remove $1 if it is a prefix you no longer need." >&2
    exit 1
  fi
}

prefix=$(realpath -m "$1")
# Refused before anything runs in it (the display's end stops the Wine server
# of the prefix it was given) or is written beside it.
[ -f "$prefix/$stamp" ] || refuse_foreign "$prefix"

if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$1" "$0" "$@"
fi
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko (their installers would ask on first start), no menu
# builder, which would copy shortcuts out of the prefix into the home folder,
# and no debugger: a program that crashes ends at once, where the debugger's
# window would wait for a click on a display that nobody watches.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

# Prefixes are set up by Wine's 64-bit side where it is installed: it runs
# natively also where 32-bit programs are emulated (scripts/enable-i386.sh).
wine_setup=wine
[ -x /usr/lib/wine/wine64 ] && wine_setup=/usr/lib/wine/wine64

# Wine's own set-up takes minutes where 32-bit programs are emulated, so it
# runs once per build folder, into a template there, and every new prefix in
# that build folder starts from it. Wine's own code in it (DLLs, programs,
# national language files) is more than a gigabyte that no program here
# writes, so a new prefix shares those files with the template through hard
# links; every other file (the registry, win.ini, the user folders) is a copy
# of the prefix's own. The build folder is the nearest folder above the prefix
# that CMake or CTest made; a prefix outside any is set up on its own.
template=
folder=$(dirname "$prefix")
while [ "$folder" != / ]; do
  if [ -f "$folder/CMakeCache.txt" ] || [ -f "$folder/CTestTestfile.cmake" ]; then
    template=$folder/wineprefix-template
    break
  fi
  folder=$(dirname "$folder")
done
shared_files='.*/drive_c/.*\.\(dll\|exe\|drv\|sys\|nls\|ocx\|acm\|cpl\|tlb\|vxd\|ax\|ds\)'

# Wine rewrites its own code in a prefix in place when Wine changes, which
# would write through the shared links into the template and every prefix.
# So the template and each prefix record the Wine they were made with (Debian
# names its package's build in the version), and a change makes them again.
wine_version=$(wine --version && "$wine_setup" --version)
is_current() { [ "$(cat "$1/$stamp" 2>/dev/null)" = "$wine_version" ]; }

# Makes DIR by SET_UP under the name DIR.new and gives it its name only once
# it is whole and stamped, so that a set-up cut short leaves no prefix that
# looks ready; what was at DIR, or was left at DIR.new by such a set-up, is
# removed first:
#   make_whole DIR SET_UP
make_whole() {
  refuse_foreign "$1"
  rm -rf "$1" "$1.new"
  mkdir "$1.new"
  "$2" "$1.new"
  echo "$wine_version" >"$1.new/$stamp"
  mv -T "$1.new" "$1"
}

set_up_wine() {
  echo "Setting up Wine in $1, once for this Wine (a minute or so)..." >&2
  WINEPREFIX=$1 "$wine_setup" wineboot -i >/dev/null 2>&1
  # Wine draws the window frames itself: a virtual display has no window
  # manager, and waiting for one costs two seconds per closed window.
  WINEPREFIX=$1 "$wine_setup" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1
  WINEPREFIX=$1 wineserver -w
}

# What each prefix has of its own.
personalise() {
  # Wine also updates a prefix whenever its wine.inf has another date than the
  # prefix records: here it is made again instead (above), so Wine never does.
  echo disable >"$1/.update-timestamp"
  if [ -n "${MENSURATOR_DPI:-}" ]; then
    WINEPREFIX=$1 "$wine_setup" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
      /t REG_DWORD /d "$MENSURATOR_DPI" /f >/dev/null 2>&1
    WINEPREFIX=$1 wineserver -w
  fi
}

copy_template() {
  cp -a -l "$template/." "$1"
  (
    cd "$template"
    find . -type f ! -iregex "$shared_files" \
      -exec cp -p --remove-destination {} "$1/{}" \;
  )
  personalise "$1"
}

set_up_alone() {
  set_up_wine "$1"
  personalise "$1"
}

# The template's lock is held while a prefix is copied from it, so that it is
# never made again under a copy.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if ! is_current "$prefix"; then
    if [ -z "$template" ]; then
      make_whole "$prefix" set_up_alone
    else
      (
        flock 8
        is_current "$template" || make_whole "$template" set_up_wine
        make_whole "$prefix" copy_template
      ) 8>"$template.lock"
    fi
  fi
) 9>"$prefix.lock"

[ $# -gt 0 ] || exit 0
exec wine "$@"
