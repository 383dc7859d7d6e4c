#!/usr/bin/env bash
# Checks a Windows executable as Windows loads it, and the shipped program as it was linked:
#   check_imports.sh OBJDUMP PROGRAM.exe [LINK_MAP]
# It may import only DLLs that come with Windows itself, so that it runs when copied alone onto a
# machine; its header must ask for ASLR with relocations kept, DEP, no structured exception
# handlers and Terminal Server awareness; its link map, when given, must show the stack
# protector's guard taken by the program's code. Names each problem; exits 1 when there is any.
set -euo pipefail

objdump=$1
program=$2
map=${3:-}
status=0
fail() {
  echo "$program: $*" >&2
  status=1
}

# Part of every Windows installation since Windows XP, in the system directory: the kernel,
# window system and drawing (kernel32, user32, gdi32), the common controls (comctl32), the C
# runtime that MinGW builds on (msvcrt), and the usual system services a Win32 program may call
# (advapi32 registry and security, shell32, shlwapi, ole32, oleaut32, comdlg32, version, winmm,
# ws2_32, uxtheme).
allowed=(
  kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll
  advapi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll comdlg32.dll
  version.dll winmm.dll ws2_32.dll uxtheme.dll
)

listing=$("$objdump" -p "$program")
mapfile -t imports < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$listing")

if [ ${#imports[@]} -eq 0 ]; then
  echo "$program: no import table found" >&2
  exit 1
fi

for dll in "${imports[@]}"; do
  name=${dll,,}
  ok=0
  for allowedName in "${allowed[@]}"; do
    if [ "$name" = "$allowedName" ]; then ok=1; fi
  done
  if [ $ok -eq 1 ]; then
    echo "imports $dll: system DLL"
  else
    echo "imports $dll: not a system DLL"
    fail "needs DLLs that Windows does not provide"
  fi
done

# Binutils sets the first two unless told not to; --no-seh and --tsaware the others.
flags=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$listing")
for flag in DYNAMIC_BASE NX_COMPAT NO_SEH TERMINAL_SERVICE_AWARE; do
  grep -qw "$flag" <<<"$flags" || fail "its header lacks $flag"
done
if grep -q "relocations stripped" <<<"$listing" ||
  ! grep -Eq "^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation" <<<"$listing"; then
  fail "has no relocations, so ASLR cannot move it"
fi

# The guard is an archive member, so the map says which of the program's objects first took it.
if [ -n "$map" ] && ! grep -Eq "\((__stack_chk_guard|__stack_chk_fail)\)$" "$map"; then
  fail "its link map shows no code built with the stack protector"
fi
exit $status
