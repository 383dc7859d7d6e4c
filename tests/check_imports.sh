#!/usr/bin/env bash
# Checks that a Windows executable imports only DLLs that come with Windows itself, so that it
# runs when copied alone onto a machine:
#   check_imports.sh OBJDUMP PROGRAM.exe
# Lists each imported DLL; exits 1 and names every DLL outside the list below (for instance the
# MinGW runtime DLLs libstdc++-6.dll, libgcc_s_dw2-1.dll, libwinpthread-1.dll).
set -euo pipefail

objdump=$1
program=$2

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

status=0
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
    status=1
  fi
done
if [ $status -ne 0 ]; then
  echo "$program: needs DLLs that Windows does not provide" >&2
fi
exit $status
