#!/usr/bin/env bash
# Builds everything and runs every test: the portable part natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, the benchmarks once as a
# smoke test, the fuzz targets for a bounded time (30 s each), and the 32-bit
# Windows build under Wine in one Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset bench >/dev/null
cmake --build --preset bench
ctest --preset bench

scripts/fuzz.sh 30

cmake --preset win32 >/dev/null
cmake --build --preset win32
win32_args=()
if scripts/enable-i386.sh --query; then
  # 32-bit programs run emulated here: each Wine process takes about a minute to start, and
  # every action of the stress test is slower by as much.
  win32_args=(--timeout 3600)
  export MENSURATOR_STRESS_ACTIONS=${MENSURATOR_STRESS_ACTIONS:-4000}
fi
scripts/with-display.sh build/win32/wineprefix ctest --preset win32 "${win32_args[@]}"
