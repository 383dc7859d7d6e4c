#!/usr/bin/env bash
# Measures the engine: Convert against the bare number parse, and building the five tables, in
# an optimised native build without sanitizers. Prints the benchmark's own report and writes its
# figures as a Markdown table into this script's section of docs/performance.md.
#   tools/bench.sh [BENCHMARK_ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/performance_page.sh
. tools/performance_page.sh

scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j2

results=build/bench/bench-results.csv
section=build/bench/bench-section.md
repetitions=5
load=$(load_average)
build/bench/bench/convert_bench --benchmark_repetitions=$repetitions \
  --benchmark_report_aggregates_only=true --benchmark_out="$results" \
  --benchmark_out_format=csv "$@"

{
  echo '## The engine, native and optimised (`tools/bench.sh`)'
  echo
  describe_machine "$load"
  echo
  echo "Wall-clock time per iteration, over $repetitions repetitions of each benchmark."
  echo
  echo '| Benchmark | Median | Mean | Standard deviation |'
  echo '|---|---|---|---|'
  # Rows "BM_Name_statistic",iterations,real_time,cpu_time,time_unit,... after the context lines.
  awk -F, '
    function shown(time, unit) {
      if (unit == "ns" && time >= 1e6) return sprintf("%.2f ms", time / 1e6)
      if (unit == "ns" && time >= 1e3) return sprintf("%.1f µs", time / 1e3)
      return sprintf(time < 10 ? "%.2f %s" : "%.1f %s", time, unit)
    }
    /^"BM_/ {
      name = $1; gsub(/"/, "", name)
      statistic = name; sub(/.*_/, "", statistic); sub(/_[^_]*$/, "", name)
      if (!(name in order)) { order[name] = ++count; names[count] = name }
      value[name, statistic] = shown($3, $5)
    }
    END {
      for (i = 1; i <= count; i++) {
        n = names[i]
        printf "| %s | %s | %s | %s |\n", n, value[n, "median"], value[n, "mean"], value[n, "stddev"]
      }
    }' "$results"
} >"$section"
write_section tools/bench.sh "$section"
