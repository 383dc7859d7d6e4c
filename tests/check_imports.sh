#!/usr/bin/env bash
# Checks that a Windows executable imports only the DLLs that every dialog program loads, so that
# it runs when copied alone onto a machine and starts as fast as one, and that its header asks for
# ASLR with relocations kept, DEP, NO_SEH and TSAWARE; with the shipped program's link map, that it
# shows the stack protector and none of the runtime's parts that the program replaces:
#   check_imports.sh OBJDUMP PROGRAM.exe [LINK_MAP]
# Lists each imported DLL; exits 1 and names every problem.
set -euo pipefail

objdump=$1
program=$2
map=${3:-}

# What every Win32 dialog program loads anyway, the floor program (bench/win32/floor.cpp) too:
# the kernel, the window system, the common controls and the C runtime that MinGW builds on. Any
# other DLL, even one that comes with Windows, costs every start its loading (ole32 brings
# combase, rpcrt4 and more): the program loads such a DLL when it needs it, as it loads ole32 for
# a screen reader's first question.
allowed=(kernel32.dll user32.dll comctl32.dll msvcrt.dll)

listing=$("$objdump" -p "$program")
mapfile -t imports < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$listing")

if [ ${#imports[@]} -eq 0 ]; then
  echo "$program: no import table found" >&2
  exit 1
fi

status=0
fail() {
  echo "$program: $*" >&2
  status=1
}
for dll in "${imports[@]}"; do
  name=${dll,,}
  ok=0
  for allowedName in "${allowed[@]}"; do
    if [ "$name" = "$allowedName" ]; then ok=1; fi
  done
  if [ $ok -eq 1 ]; then
    echo "imports $dll: loaded by every dialog program"
  else
    fail "imports $dll, which a dialog program starts without: load it when needed"
  fi
done

# Binutils sets the first two unless told not to; --no-seh and --tsaware the others.
flags=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$listing")
for flag in DYNAMIC_BASE NX_COMPAT NO_SEH TERMINAL_SERVICE_AWARE; do
  grep -qw "$flag" <<<"$flags" || fail "its header lacks $flag"
done
grep -Eq "^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation" <<<"$listing" &&
  ! grep -q "relocations stripped" <<<"$listing" || fail "has no relocations for ASLR to move it"

[ -n "$map" ] || exit $status
# The guard is an archive member, so the map says which of the program's objects first took it.
grep -Eq "\((__stack_chk_guard|__stack_chk_fail)\)$" "$map" ||
  fail "its link map shows no code built with the stack protector"
# What each part of the runtime that app/runtime_failures.cpp replaces would bring back.
while read -r part; do
  case $part in
  *'++.a(functexcept.o)') why="throw helpers: a failed check ends with no report, and 54 KB" ;;
  *'++.a(new_op.o)' | *'++.a(new_opa.o)') why="throwing new: running out ends unreported" ;;
  *'++.a(new_op'*'nt.o)') why="nothrow new, which ends the process where it must give null" ;;
  *'++.a(functional.o)' | *'++.a(eh_aux_runtime.o)') why="throws, which end with no report" ;;
  *pthread.a) why="winpthreads (32 KB): an object of the -posix compiler or runtime came in" ;;
  *) continue ;;
  esac
  fail "its link map shows $part, the runtime's $why"
done < <(sed -n '/^Archive member included/,/^Discarded input sections/p' "$map" |
  grep -oE '[^/ ]+\.a\([^)]+\)' | sed -E 's/(pthread\.a)\(.*/\1/' | sort -u)
exit $status
