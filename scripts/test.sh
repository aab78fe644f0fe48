#!/usr/bin/env bash
# Sets up the machine, then builds and tests the host build, the host build under the
# address and undefined-behaviour sanitizers, and the Windows build under Wine; then fuzzes
# everything a unit sends for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native sanitize win32; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j 2
  ctest --preset "$preset"
done
bash scripts/fuzz.sh
