#!/usr/bin/env bash
# Measures the engine: Convert against the bare number parse, and building
# the five tables. Optimised native build, no sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
build/bench/bench/convert_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
