#!/usr/bin/env bash
# Measures the 32-bit program under Wine against the floor program (the same
# dialog, doing nothing): start-up time, memory after start, recalculation
# latency and stripped size, all in one virtual display and one Wine prefix.
# Prints a markdown table and writes it to build/win32/measure.txt; the log
# with every start is build/win32/measure-log.txt.
#   tools/measure.sh [STARTS [CHANGES]]     (defaults 21 and 2000)
set -euo pipefail
cd "$(dirname "$0")/.."

starts=${1:-21}
changes=${2:-2000}
build=$PWD/build/win32
prefix=$build/wineprefix-bench
floor=$build/bench/win32/floor.exe
program=$build/mensurator.exe

if [ -z "${MENSURATOR_IN_DISPLAY:-}" ]; then
  scripts/install-deps.sh
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target mensurator floor startup_timer recalc_timer
  exec scripts/with-display.sh "$prefix" "$0" "$starts" "$changes"
fi

log=$build/measure-log.txt
table=$build/measure.txt
stripped=$build/measure-stripped
mkdir -p "$stripped"

# The C runtime under Wine ends its lines with CR LF.
run() { scripts/wine-run.sh "$prefix" "$@" | tr -d '\r'; }

{
  echo "Start-ups ($starts each, alternating, one warm-up each not counted):"
  run "$build/bench/win32/startup_timer.exe" "Z:$floor" "Z:$program" "$starts"
  echo "Recalculation ($changes changes each, alternating):"
  run "$build/bench/win32/recalc_timer.exe" "Z:$floor" "Z:$program" "$changes"
} | tee "$log" >&2

i686-w64-mingw32-strip -o "$stripped/floor.exe" "$floor"
i686-w64-mingw32-strip -o "$stripped/mensurator.exe" "$program"
floor_size=$(stat -c %s "$stripped/floor.exe")
program_size=$(stat -c %s "$stripped/mensurator.exe")

{
  echo "| Measure | Floor | Mensurator | Mensurator / floor (medians) |"
  echo "|---|---|---|---|"
  grep '^|' "$log"
  awk -v f="$floor_size" -v p="$program_size" \
    'BEGIN { printf "| Size stripped, bytes | %d | %d | %.3f |\n", f, p, p / f }'
  echo
  grep '^- ' "$log"
  echo "- Wine $(wine --version 2>/dev/null | sed 's/^wine-//'), Xvfb, $(nproc) cores shared" \
    "with other work; measured $(date -u +%Y-%m-%d)."
} | tee "$table"
