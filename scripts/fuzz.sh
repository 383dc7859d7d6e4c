#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS_PER_TARGET seconds (default 30)
# on a working corpus in build/fuzz seeded from fuzz/corpus; exits non-zero if a target crashes
# or one of its property checks fails. The working corpus grows from run to run.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
#
# A longer run, say an hour per target: scripts/fuzz.sh 3600
# A crash leaves its input in build/fuzz/artifacts/<target>/; replay it with
#   build/fuzz/<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS_PER_TARGET]" >&2
  exit 2
fi

build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2

status=0
for name in convert format; do
  target="${name}_fuzz"
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$target"
  log="$build/$target.log"
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/"$name"/* "$corpus"/

  # With -jobs the fuzzer runs as a child that writes fuzz-<job>.log in the current directory.
  rm -f "$build/fuzz-0.log" "$log.job"
  echo "== $target: $seconds s"
  if (cd "$build" && "./$target" -max_total_time="$seconds" -jobs=1 -print_final_stats=1 \
        -artifact_prefix="artifacts/$target/" "corpus/$name") >"$log" 2>&1; then
    result=passed
  else
    result=FAILED
    status=1
  fi
  mv "$build/fuzz-0.log" "$log.job" 2>/dev/null || true
  if [[ "$result" == FAILED ]]; then
    tail -n 40 "$log.job" 2>/dev/null || tail -n 40 "$log"
  fi
  # After a crash libFuzzer prints its final statistics twice.
  grep -h -E 'stat::number_of_executed_units|stat::peak_rss_mb|^Done [0-9]+ runs' \
    "$log.job" 2>/dev/null | awk '!seen[$0]++' || true
  echo "== $target: $result (full log: $log.job)"
done
exit "$status"
