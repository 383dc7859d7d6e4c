#!/usr/bin/env bash
# Makes sure this machine can start 32-bit x86 Linux programs, as Wine's 32-bit side is. Most
# kernels run them themselves; where one refuses them ("Exec format error": a kernel without
# IA-32 emulation), they are handed to qemu's user-mode emulator through binfmt_misc. Safe to
# run again; needs root, and qemu-user-static (scripts/install-deps.sh installs it).
#   enable-i386.sh          set up what is missing
#   enable-i386.sh --query  exit 0 when 32-bit programs run emulated, 1 when natively
set -euo pipefail

binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
probe=/usr/lib/wine/wine # a 32-bit program that answers --version and nothing more

if [ "${1:-}" = --query ]; then
  grep -qx enabled "$entry" 2>/dev/null
  exit
fi

"$probe" --version >/dev/null 2>&1 && exit 0

[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -e "$entry" ]; then
  # i386 ELF executables and shared objects, as qemu's own binfmt configuration matches them;
  # F opens the emulator now, so it serves every mount namespace.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" >"$binfmt/register"
fi
"$probe" --version >/dev/null
echo "32-bit programs run under qemu's emulation on this machine: Wine tests take much longer."
