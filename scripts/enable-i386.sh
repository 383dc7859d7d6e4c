#!/usr/bin/env bash
# Makes sure this machine can start 32-bit x86 Linux programs, as Wine's 32-bit side is. Most
# kernels run them themselves; where one refuses them ("Exec format error": a kernel without
# IA-32 emulation), they are handed to qemu's user-mode emulator through binfmt_misc. Safe to
# run again; needs root.
#
# The emulator is qemu 10 from Debian 12's backports: Wine's 32-bit side reserves the address
# space below 4 GB in about 130,000 mmap calls as it starts, and bookworm's own qemu 7.2 takes
# a millisecond over each, so every Wine process took a minute and a half to start; qemu 10
# starts it in about two seconds.
set -euo pipefail

binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
emulator=/usr/bin/qemu-i386
probe=/usr/lib/wine/wine # a 32-bit program that answers --version and nothing more

# An entry of ours means the kernel refused these programs when it was made; it is kept only
# when it already names the current emulator.
if [ -e "$entry" ]; then
  grep -qx "interpreter $emulator" "$entry" && [ -x "$emulator" ] && exit 0
elif "$probe" --version >/dev/null 2>&1; then
  exit 0
fi

# Backports, with the mirror and keyring of the machine's own Debian sources; qemu-user alone
# is taken from there (-t), everything else stays bookworm's.
if ! grep -rqs --include='*.list' --include='*.sources' bookworm-backports \
  /etc/apt/sources.list /etc/apt/sources.list.d; then
  mirror=http://deb.debian.org/debian
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # The deb822 stanza whose suites include plain bookworm.
    read -r found_mirror found_keyring < <(awk '
      /^$/ { if (bookworm) exit; uris = ""; key = "" }
      /^URIs:/ { uris = $2 }
      /^Signed-By:/ { key = $2 }
      /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") bookworm = 1 }
      END { if (bookworm) print uris, key }' /etc/apt/sources.list.d/debian.sources) || true
  elif [ -f /etc/apt/sources.list ]; then
    read -r found_mirror found_keyring < <(awk '
      $1 == "deb" {
        key = ""
        for (i = 2; i <= NF; i++) {
          if ($i ~ /^\[?signed-by=/) { key = $i; sub(/^\[?signed-by=/, "", key); sub(/\]$/, "", key) }
          else if ($i !~ /^\[/ && $i !~ /\]$/ && $i !~ /=/) break
        }
        if ($(i + 1) == "bookworm") { print $i, key; exit }
      }' /etc/apt/sources.list) || true
  fi
  mirror=${found_mirror:-$mirror}
  keyring=${found_keyring:-$keyring}
  cat >/etc/apt/sources.list.d/bookworm-backports.sources <<EOF
Types: deb
URIs: $mirror
Suites: bookworm-backports
Components: main
Signed-By: $keyring
EOF
  echo "Added Debian's bookworm-backports ($mirror) to apt's sources, for qemu 10."
fi

if ! dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '^1:\(1[0-9]\|[2-9][0-9]\)\.'; then
  echo "32-bit programs need an emulator here: installing qemu-user from bookworm-backports."
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
fi

[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"

# i386 ELF executables and shared objects, as qemu's own binfmt configuration matches them;
# F opens the emulator now, so it serves every mount namespace.
[ -e "$entry" ] && echo -1 >"$entry"
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf '%s' ":qemu-i386:M::$magic:$mask:$emulator:F" >"$binfmt/register"
"$probe" --version >/dev/null
echo "32-bit programs run under $("$emulator" --version | head -n 1) on this machine."
