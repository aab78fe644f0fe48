#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time (FUZZ_SECONDS, default 60) from its
# seed corpus, two at a time. A crash, a sanitizer report, a broken rule or a leak fails the
# run, and the fuzzer's report is shown.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz
cmake --build --preset fuzz -j 2
# fuzz_one <target> [<libFuzzer options>...]: runs it from its seed corpus for its time; the
# fuzzer's exit status.
fuzz_one() {
  local name
  name=$(basename "$1" _fuzz)
  mkdir -p "build/fuzz/corpus-$name"
  # The reproducer of a failure is written to build/fuzz/ (crash-..., leak-...).
  "$1" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ "${@:2}" \
    "build/fuzz/corpus-$name" "tests/fuzz/corpus/$name" >"build/fuzz/$name.log" 2>&1
}

# report <target> <status>: its figures, and on failure its report; false on failure.
report() {
  local name log
  name=$(basename "$1" _fuzz)
  log=build/fuzz/$name.log
  # A single process ends with its stats; fork mode's last progress line says as much.
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" ||
    grep -E '^#[0-9]+: cov:' "$log" | tail -n 1 || true
  [ "$2" -eq 0 ] && return 0
  tail -n 60 "$log"
  echo "fuzzing $name failed (exit $2); full report in $log"
  return 1
}

# Each target gets a core for its time: two run side by side, and one left over runs on both
# cores (two fuzzing processes, libFuzzer's fork mode) for half of it.
targets=(build/fuzz/*_fuzz)
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pair=("${targets[@]:i:2}")
  pids=()
  if [ "${#pair[@]}" -eq 1 ]; then
    echo "fuzzing ${pair[0]##*/} on two cores for $((seconds / 2))s"
    seconds=$((seconds / 2)) fuzz_one "${pair[0]}" -fork=2 &
    pids+=($!)
  else
    echo "fuzzing ${pair[*]##*/} for ${seconds}s"
    for target in "${pair[@]}"; do
      fuzz_one "$target" &
      pids+=($!)
    done
  fi
  failed=0
  for j in "${!pair[@]}"; do
    status=0
    wait "${pids[$j]}" || status=$?
    report "${pair[$j]}" "$status" || failed=1
  done
  [ "$failed" -eq 0 ] || exit 1
done
