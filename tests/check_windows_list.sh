#!/usr/bin/env bash
# Checks that the CI's Windows job runs every 32-bit test program that CTest runs here, with the
# same arguments, and names each run missing from the script's $tests list:
#   check_windows_list.sh WIN32_BUILD_DIR WINDOWS_TESTS_PS1
set -euo pipefail

build=$1
script=$2

# CTest writes its log into the folder it reads, even when it only lists: it reads a copy of the
# test files, so that a run going on in the build folder keeps its own log.
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
(cd "$build" && find . \( -name 'wineprefix*' -o -name reproducible \) -prune -o \
  -name CTestTestfile.cmake -exec cp --parents {} "$copy" \;)
tests_json=$(ctest --test-dir "$copy" --show-only=json-v1)
# Each test's program and arguments, past the Wine and display wrappers; tests that are not
# .exe programs (the shell-script checks) are not for Windows.
ctest_runs=$(python3 -c '
import json, os, sys
for test in json.load(sys.stdin)["tests"]:
    command = test.get("command") or [""]
    while os.path.basename(command[0]) in ("with-display.sh", "wine-run.sh"):
        command = command[2:]
    if command[0].endswith(".exe"):
        print(" ".join([os.path.basename(command[0])[:-4]] + command[1:]))
' <<<"$tests_json" | sort -u)
# Entries such as  @{ Exe = 'dialog_test'; Args = @('--gtest_filter=*AtThisDpi') }
# shellcheck disable=SC2016 # the PowerShell variable's own name, not expanded here
listed=$(sed -n '/^\$tests = @(/,/^)/p' "$script" |
  sed -nE "s/.*Exe = '([^']*)'.*Args = @\(([^)]*)\).*/\1 \2/p; t; s/.*Exe = '([^']*)'.*/\1/p" |
  tr -d "'," | sort -u)

[ -n "$ctest_runs" ] || { echo "CTest in $build lists no .exe test"; exit 1; }
missing=$(comm -23 <(echo "$ctest_runs") <(echo "$listed"))
if [ -n "$missing" ]; then
  echo "Not run by $script:"
  echo "$missing"
  exit 1
fi
echo "All $(wc -l <<<"$ctest_runs") runs of 32-bit test programs in CTest are in $script."
