#!/usr/bin/env bash
# Builds everything and runs every test: the portable part natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, with the style checks
# (scripts/check-style.sh) beside it, the benchmarks once as a
# smoke test, the fuzz targets for a bounded time (30 s each), and the 32-bit
# Windows build under Wine in one Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Every Wine test waits for Wine's template prefix (scripts/wine-run.sh): it is set up beside the
# native build, in the build folder that the configuration makes first.
cmake --preset win32 >/dev/null
scripts/wine-run.sh build/win32/wineprefix &
wine_setup=$!

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset bench >/dev/null
cmake --build --preset bench
ctest --preset bench

scripts/fuzz.sh 30

cmake --build --preset win32
wait "$wine_setup"
scripts/with-display.sh build/win32/wineprefix ctest --preset win32
