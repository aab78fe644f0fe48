#!/usr/bin/env bash
# Sets up the machine, then builds and tests the host build, the host build under the
# address and undefined-behaviour sanitizers, the Debian package's release build with the
# package itself, the browser updater in headless Chromium, and the Windows programs under
# Wine; then fuzzes everything a unit sends for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

build() {
  cmake --preset "$1"
  cmake --build --preset "$1" -j 2
}

bash scripts/setup.sh
for preset in native sanitize release web; do
  build "$preset"
  ctest --preset "$preset"
done

# The shipped program is the 32-bit build, so it is always built; its tests run on the build
# this machine can run, and only that build builds them.
source scripts/windows-build.sh
echo "Windows tests: $windows_reason"
if [ "$windows_preset" = win32 ]; then
  build win32
else
  cmake --preset win32
  cmake --build --preset win32 -j 2 --target spindra-updater spindra-updater-sim
  build "$windows_preset"
fi
ctest --preset "$windows_preset"

bash scripts/fuzz.sh
