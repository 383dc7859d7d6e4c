#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS_PER_TARGET seconds (default 30)
# on a working corpus in build/fuzz seeded from fuzz/corpus; exits non-zero if a target crashes
# or one of its property checks fails. The working corpus grows from run to run.
#
#   scripts/fuzz.sh [--only convert|format] [--runs N] [SECONDS_PER_TARGET]
#
# A longer run, say an hour per target: scripts/fuzz.sh 3600
# --runs N ends each target after N inputs, the seconds then being its time limit; --only runs
# one target. The nightly fuzzing: scripts/fuzz.sh --only format --runs 10000000 2400
# A crash leaves its input in build/fuzz/artifacts/<target>/; replay it with
#   build/fuzz/<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [--only convert|format] [--runs N] [SECONDS_PER_TARGET]" >&2
  exit 2
}
names=(convert format)
runs=()
while [ $# -gt 1 ]; do
  case "$1" in
    --only) [[ "$2" =~ ^(convert|format)$ ]] || usage; names=("$2") ;;
    --runs) [[ "$2" =~ ^[1-9][0-9]*$ ]] || usage; runs=(-runs="$2") ;;
    *) usage ;;
  esac
  shift 2
done
seconds="${1:-30}"
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage

build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2

status=0
for name in "${names[@]}"; do
  target="${name}_fuzz"
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$target"
  log="$build/$target.log"
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/"$name"/* "$corpus"/

  # With -jobs the fuzzer runs as a child that writes fuzz-<job>.log in the current directory.
  rm -f "$build/fuzz-0.log" "$log.job"
  echo "== $target: $seconds s${runs:+ at most, ${runs[0]#-runs=} runs}"
  if (cd "$build" && "./$target" -max_total_time="$seconds" "${runs[@]}" -jobs=1 \
        -print_final_stats=1 -artifact_prefix="artifacts/$target/" "corpus/$name") >"$log" 2>&1; then
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
