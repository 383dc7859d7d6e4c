#!/usr/bin/env bash
# Rehearses the CI's Windows job (ci/windows_job/) under Wine, in a display of its own so that no
# window of another test is in the screenshot: the runner from its folder on two test runs and the
# screenshot, which must pass and be a picture of the dialog; then on runs that fail, which must
# fail, named.
#   windows_job_rehearsal.sh SCRIPTS_DIR WINDOWS_JOB_DIR WINEPREFIX WORK_DIR
set -euo pipefail
scripts=$1 job=$2 prefix=$3 work=$4
if [ -z "${REHEARSAL_DISPLAY:-}" ]; then
  REHEARSAL_DISPLAY=1 exec env -u DISPLAY -u MENSURATOR_IN_DISPLAY \
    "$scripts/with-display.sh" "$prefix" "$0" "$@"
fi
# From a copy elsewhere, as the workflow moves the folder to Windows, and through cmd as its step.
rm -rf "$work" && mkdir -p "$work" && cp -r "$job" "$work/windows-job" && cd "$work"
runner() {
  "$scripts/wine-run.sh" "$prefix" cmd /D /C 'windows-job\windows_job.exe' "$@" | tr -d '\r'
}

runner --only engine_test,tables_test --screenshot shot.bmp | tee passing.log
grep -qx 'All 3 runs passed.' passing.log
python3 - shot.bmp <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
width, height, _, bits = struct.unpack_from('<iiHH', data, 18)
row = (width * 3 + 3) & ~3
colours = {data[54 + y * row + x:57 + y * row + x]
           for y in range(height) for x in range(0, width * 3, 3)}
print(f'{sys.argv[1]}: {width}x{height}, {bits} bits, {len(colours)} colours')
assert data[:2] == b'BM' and bits == 24 and 400 <= width <= 1200 and 150 <= height <= 600
assert len(colours) >= 16, 'hardly a picture of the dialog'
PY

printf '%s\t%s\t%s\t%s\n' engine_test engine_test.exe --gtest_filter=NumberCorpus.* \
  MENSURATOR_TESTDATA_DIR=nowhere missing_test missing_test.exe '' '' >failing-runs.txt
if runner --list failing-runs.txt >failing.log; then
  cat failing.log && echo "FAILED: the runner passed failing runs" && exit 1
fi
cat failing.log
grep -qx '::error::engine_test failed (exit code 1)' failing.log
grep -qx '::error::missing_test could not start (error 2)' failing.log
