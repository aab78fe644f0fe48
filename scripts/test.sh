#!/usr/bin/env bash
# Sets up the machine, then builds and tests both the host build and the Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
for preset in native win32; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j 2
  ctest --preset "$preset"
done
