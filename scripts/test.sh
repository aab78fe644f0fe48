#!/usr/bin/env bash
# Sets up the machine, then builds and tests the host build, the host build under the
# address and undefined-behaviour sanitizers, and the Windows programs under Wine; then
# fuzzes everything a unit sends for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

build() {
  cmake --preset "$1"
  cmake --build --preset "$1" -j 2
}

bash scripts/setup.sh
for preset in native sanitize; do
  build "$preset"
  ctest --preset "$preset"
done

# The shipped program is the 32-bit build, so it is always built. Its tests need wine32,
# which needs a machine that runs 32-bit programs: that is, whose 32-bit dynamic loader
# executes. Elsewhere the same programs and tests are built for x86-64 and run under wine64.
build win32
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  wine_preset=win32
  echo "Windows tests: the 32-bit build under wine32 (this machine runs 32-bit programs)"
else
  wine_preset=win64
  echo "Windows tests: the 64-bit build under wine64, as this machine cannot run 32-bit programs" \
       "(/lib/ld-linux.so.2 does not execute); the 32-bit build is built but not run"
  build win64
fi
ctest --preset "$wine_preset"

bash scripts/fuzz.sh
