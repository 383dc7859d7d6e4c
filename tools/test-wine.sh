#!/usr/bin/env bash
# Runs the Wine test set (the CTest label wine) under a second, newer Wine: Debian 13's Wine 10,
# in a Debian 13 root of its own. Needs root (debootstrap, mounts, chroot):
#   tools/test-wine.sh [CTEST_ARGUMENTS...]      e.g. -R '^dialog_test$'
# MENSURATOR_* variables (such as MENSURATOR_STRESS_ACTIONS) reach the tests. Not part of
# scripts/test.sh: it runs on demand and every night.
#
# The programs and tests are built here by the usual toolchain, into build/win32-wine10 (preset
# win32-wine10), so that Wine 10's prefixes never meet Wine 8's: each records its Wine and would
# be made again at every switch. The root is made once, with debootstrap from Debian's own
# archive, and kept in build/debian13-root: beside the build folders, it is ignored by git like
# them and goes with `rm -rf build`. To take Debian's updates, remove it and run again.
#
# The source tree (the build folder is inside it) appears in the root at its own absolute path, so
# the paths CTest and the tests hold are the same in there. The mounts that do it are made in a
# mount namespace of this script's own: none outlives it, however it ends, and no other process
# sees one, so `rm -rf build` never deletes through one.
set -euo pipefail
cd "$(dirname "$0")/.."

source_dir=$(pwd -P)
preset=win32-wine10
root=$source_dir/build/debian13-root
mirror=${MENSURATOR_DEBIAN_MIRROR:-http://deb.debian.org/debian}
# What the Wine test set runs in there: Wine, CTest, the display and its tools.
packages=(wine wine32:i386 wine64 xvfb xauth xdotool imagemagick python3 cmake)

if [ -z "${MENSURATOR_WINE_NAMESPACE:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "tools/test-wine.sh needs root: it makes a Debian root, mounts into it and chroots." >&2
    exit 1
  fi
  # The toolchain, and qemu where the kernel refuses 32-bit programs: its binfmt entry opens the
  # emulator when registered (F), so it serves the root too.
  scripts/install-deps.sh
  if ! command -v debootstrap >/dev/null; then
    echo "Installing debootstrap."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
  fi
  MENSURATOR_WINE_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi

# Mounts what programs in the root expect of a system. /tmp is the host's: Xvfb numbers its
# displays by the lock files there, and its sockets' abstract names are shared with the host.
mount_system() {
  mount -t proc proc "$1/proc"
  mount --rbind /dev "$1/dev"
  mount --rbind /sys "$1/sys"
  mount --bind /tmp "$1/tmp"
}

# Made under another name and renamed only once whole, so that a run cut short leaves no root
# that looks ready; the next run starts it again.
make_root() {
  local new=$root.new
  echo "Making the Debian 13 root in $root (once; several minutes)..."
  rm -rf "$new"
  local log=$root.log
  if ! debootstrap --variant=minbase trixie "$new" "$mirror" >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    exit 1
  fi
  mount_system "$new"
  chroot "$new" dpkg --add-architecture i386
  chroot "$new" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive chroot "$new" \
    apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
  chroot "$new" apt-get clean
  umount -R "$new/proc" "$new/dev" "$new/sys" "$new/tmp"
  mv -T "$new" "$root"
  rm "$log"
}

seconds_since() { echo $(($(date +%s) - $1)); }

start=$(date +%s)
mkdir -p build
if [ ! -d "$root" ]; then
  make_root
  echo "The root took $(seconds_since "$start") s to make."
fi
wine_version=$(chroot "$root" dpkg-query -W -f='${Version}' wine)
echo "Debian 13 root, with Wine $wine_version: $root, $(du -sh "$root" | cut -f1)." \
  "Remove it to make it anew."

start=$(date +%s)
cmake --preset "$preset" >/dev/null
nice -n 5 cmake --build --preset "$preset"
echo "Build: $(seconds_since "$start") s."

mount_system "$root"
mkdir -p "$root$source_dir"
mount --bind "$source_dir" "$root$source_dir"

environment=(PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root LANG=C.UTF-8)
while IFS= read -r name; do
  [ "$name" = MENSURATOR_WINE_NAMESPACE ] || environment+=("$name=${!name}")
done < <(compgen -e | grep '^MENSURATOR_' || true)

start=$(date +%s)
status=0
chroot "$root" /usr/bin/env -i "${environment[@]}" /bin/bash -c \
  'cd "$1" && shift && scripts/with-display.sh "$0" ctest --preset win32-wine10 "$@"' \
  "build/$preset/wineprefix" "$source_dir" "$@" || status=$?
echo "CTest under Wine $wine_version: $(seconds_since "$start") s."
exit $status
