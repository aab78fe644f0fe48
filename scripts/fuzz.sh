#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time (FUZZ_SECONDS, default 60) from
# its seed corpus. A crash, a sanitizer report or a leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz
cmake --build --preset fuzz -j 2
for target in build/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  work=build/fuzz/corpus-$name
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "$work" "tests/fuzz/corpus/$name" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::new_units_added|==[0-9]+==|SUMMARY)' || true
  test "${PIPESTATUS[0]}" -eq 0
done
