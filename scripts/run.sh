#!/usr/bin/env bash
# Sets up, builds the Windows programs and starts the updater with a simulated programming
# unit under Wine. Without a display it runs on a private X server and saves a screenshot
# to build/screenshot-<language>.png instead.
#   SPINDRA_SIM_SCENARIO     ready (default), wrong-mode, no-esc, incompatible, no-unit,
#                            short-reports, fail-at:<Command>[:<n>], silent-from:<n>
#   SPINDRA_SIM_ESC_VERSION  the ESC's firmware version, e.g. 0x0304
#   LANG                     de_DE.UTF-8 for the German texts, en_US.UTF-8 (or anything
#                            else) for the English
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/wine-desktop.sh
cmake --preset "$windows_preset"
cmake --build --preset "$windows_preset" -j 2

prepare_wine_prefix
program=build/$windows_preset/spindra-updater-sim.exe
choose_language "${LANG:-}"

if [ -n "${DISPLAY:-}" ]; then
  status=0
  "${in_language[@]}" "$wine_loader" "$program" || status=$?
  wineserver -w
  exit $status
fi

export screenshot="$PWD/build/screenshot-$language.png"
on_virtual_desktop "$program" 'sleep "${SPINDRA_SCREENSHOT_DELAY:-8}"; shoot "$screenshot"' "${in_language[@]}"
echo "screenshot saved to $screenshot"
