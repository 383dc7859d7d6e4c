#!/usr/bin/env bash
# Measures the 32-bit program under Wine against two floors: the bare floor, which only shows
# the same dialog, and the working floor, which takes every Win32 step the program takes before
# its dialog is ready but has no engine or tables. Start-up time, memory after start, stripped
# size and recalculation latency (against the bare floor), all in one virtual display and one
# Wine prefix. Writes them as Markdown into this script's section of docs/performance.md; the log
# with every start is build/win32/measure-log.txt.
#   tools/measure.sh [STARTS [CHANGES]]     (defaults 31 and 2000)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/performance_page.sh
. tools/performance_page.sh

starts=${1:-31}
changes=${2:-2000}
build=$PWD/build/win32
prefix=$build/wineprefix-bench
floor=$build/bench/win32/floor.exe
working=$build/bench/win32/working_floor.exe
program=$build/mensurator.exe

if [ -z "${MENSURATOR_IN_DISPLAY:-}" ]; then
  scripts/install-deps.sh
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j2 --target mensurator floor working_floor startup_timer \
    recalc_timer
  MENSURATOR_LOAD=$(load_average) exec scripts/with-display.sh "$prefix" "$0" "$starts" "$changes"
fi

log=$build/measure-log.txt
startup_log=$build/measure-startup.txt
recalc_log=$build/measure-recalc.txt
section=$build/measure-section.md
stripped=$build/measure-stripped
mkdir -p "$stripped"

# The C runtime under Wine ends its lines with CR LF.
run() { scripts/wine-run.sh "$prefix" "$@" | tr -d '\r'; }

{
  echo "Start-ups ($starts each, in turn, one warm-up each not counted):"
  run "$build/bench/win32/startup_timer.exe" "Z:$floor" "Z:$working" "Z:$program" "$starts" |
    tee "$startup_log"
  echo "Recalculation ($changes changes each, alternating):"
  run "$build/bench/win32/recalc_timer.exe" "Z:$floor" "Z:$program" "$changes" | tee "$recalc_log"
} | tee "$log" >&2

sizes=()
for exe in "$floor" "$working" "$program"; do
  i686-w64-mingw32-strip -o "$stripped/$(basename "$exe")" "$exe"
  sizes+=("$(stat -c %s "$stripped/$(basename "$exe")")")
done

{
  echo '## The program under Wine (`tools/measure.sh`)'
  echo
  describe_machine "${MENSURATOR_LOAD:-$(load_average)}"
  echo
  echo "The bare floor shows the same dialog template, with the same manifest and common-controls" \
    "set-up, through a procedure that does nothing. The working floor is the program's own" \
    "entry point, shell and dialog, built and linked as the program is, with a stand-in" \
    "(bench/win32/core_stand_in.cpp) for the engine and tables that gives the same names and" \
    "first results. Start-ups: $starts rounds of one start of each, the three in turn. Goal:" \
    "start-up at most 1.03 times the working floor's. Under Wine the working set is that of the" \
    "whole Wine process, and Wine's display driver loads ole32, combase and rpcrt4 into every" \
    "window program, the floors included, so the program's loading ole32 only when asked cannot" \
    "show here."
  echo
  echo '| Measure | Floor | Working floor | Mensurator | Mensurator / floor | Mensurator / working floor |'
  echo '|---|---|---|---|---|---|'
  grep '^|' "$startup_log"
  awk -v f="${sizes[0]}" -v w="${sizes[1]}" -v p="${sizes[2]}" \
    'BEGIN { printf "| Size stripped, bytes | %d | %d | %d | %.3f | %.3f |\n", f, w, p, p / f, p / w }'
  echo
  grep '^- ' "$startup_log"
  echo
  echo '| Measure | Floor | Mensurator | Mensurator / floor (medians) |'
  echo '|---|---|---|---|'
  grep '^|' "$recalc_log"
  echo
  grep '^- ' "$recalc_log"
} >"$section"
write_section tools/measure.sh "$section"
cat "$section"
