#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time (FUZZ_SECONDS, default 60) from
# its seed corpus. A crash, a sanitizer report, a broken rule or a leak fails the run, and
# the fuzzer's report is shown.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz
cmake --build --preset fuzz -j 2
for target in build/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  work=build/fuzz/corpus-$name
  log=build/fuzz/$name.log
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  status=0
  # The reproducer of a failure is written to build/fuzz/ (crash-..., leak-...).
  "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ \
    "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "fuzzing $name failed (exit $status); full report in $log"
    exit 1
  fi
done
