#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS_PER_TARGET seconds (default 30),
# all at the same time, on a working corpus in build/fuzz seeded from fuzz/corpus; exits non-zero
# if a target crashes or one of its property checks fails. The working corpus grows from run to run.
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

# Fuzzes one target and writes what it found to $build/<target>.report; fails as the target does.
fuzz_one() {
  local name=$1 target="$1_fuzz" result=passed status=0
  local corpus="$build/corpus/$name" artifacts="$build/artifacts/$target" log="$build/$target.log"
  local work="$build/$target.run" top=$PWD
  mkdir -p "$corpus" "$artifacts" "$work"
  cp fuzz/corpus/"$name"/* "$corpus"/

  # With -jobs the fuzzer runs as a child that writes fuzz-<job>.log in the current directory.
  rm -f "$work/fuzz-0.log" "$log.job"
  if ! (cd "$work" && "$top/$build/$target" -max_total_time="$seconds" "${runs[@]}" -jobs=1 \
        -print_final_stats=1 -artifact_prefix="$top/$artifacts/" "$top/$corpus") >"$log" 2>&1; then
    result=FAILED
    status=1
  fi
  mv "$work/fuzz-0.log" "$log.job" 2>/dev/null || true
  {
    echo "== $target: $seconds s${runs:+ at most, ${runs[0]#-runs=} runs}"
    if [[ "$result" == FAILED ]]; then
      tail -n 40 "$log.job" 2>/dev/null || tail -n 40 "$log"
    fi
    # After a crash libFuzzer prints its final statistics twice.
    grep -h -E 'stat::number_of_executed_units|stat::peak_rss_mb|^Done [0-9]+ runs' \
      "$log.job" 2>/dev/null | awk '!seen[$0]++' || true
    echo "== $target: $result (full log: $log.job)"
  } >"$build/$target.report"
  return "$status"
}

# The targets run at the same time, each on a core of its own where there are enough.
pids=()
for name in "${names[@]}"; do
  fuzz_one "$name" &
  pids+=($!)
done
status=0
for i in "${!names[@]}"; do
  wait "${pids[$i]}" || status=1
  cat "$build/${names[$i]}_fuzz.report" || true
done
exit "$status"
