#!/usr/bin/env bash
# Checks a Windows executable as Windows loads it, and the shipped program as it was linked:
#   check_imports.sh OBJDUMP PROGRAM.exe [LINK_MAP]
# It may import only the DLLs that every dialog program loads, so that it runs when copied alone
# onto a machine and starts as fast as such a program; its header must ask for ASLR with
# relocations kept, DEP, no structured exception handlers and Terminal Server awareness; its link
# map, when given, must show the stack protector's guard taken by the program's code and none of
# the runtime's parts that the program replaces. Names each problem; exits 1 when there is any.
set -euo pipefail

objdump=$1
program=$2
map=${3:-}
status=0
fail() {
  echo "$program: $*" >&2
  status=1
}

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
if grep -q "relocations stripped" <<<"$listing" ||
  ! grep -Eq "^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation" <<<"$listing"; then
  fail "has no relocations, so ASLR cannot move it"
fi

[ -n "$map" ] || exit $status
# The guard is an archive member, so the map says which of the program's objects first took it.
grep -Eq "\((__stack_chk_guard|__stack_chk_fail)\)$" "$map" ||
  fail "its link map shows no code built with the stack protector"
# Parts of the runtime that app/runtime_failures.cpp replaces, for the reason each gives.
while read -r member; do
  case $member in
  *'++.a(functexcept.o)')
    why="its throw helpers: a failed library check ends in std::terminate (exit code 3, no"
    why+=" report), and the exception classes come back (54 KB)" ;;
  *'++.a(new_op.o)' | *'++.a(new_opa.o)')
    why="its throwing operator new: memory running out ends in std::terminate, not the report" ;;
  *'++.a(new_op'*'nt.o)')
    why="its nothrow operator new, which calls the program's throwing one: it ends the process"
    why+=" where it must return null" ;;
  *'++.a(functional.o)' | *'++.a(eh_aux_runtime.o)')
    why="its throw of bad_function_call or of the compiler's checks: std::terminate, no report" ;;
  *pthread.a)
    why="winpthreads (32 KB), which the program's runtime does without: an object of the"
    why+=" -posix compiler or its runtime came in" ;;
  *) continue ;;
  esac
  fail "its link map shows $member, $why"
done < <(sed -n '/^Archive member included/,/^Discarded input sections/p' "$map" |
  grep -oE '[^/ ]+\.a\([^)]+\)' | sed -E 's/(pthread\.a)\(.*/\1/' | sort -u)
exit $status
