#!/usr/bin/env bash
# Sets up, builds the Windows programs and starts the updater with a simulated programming
# unit under Wine. Without a display it runs on a private X server and saves a screenshot
# to build/screenshot-<language>.png instead.
#   SPINDRA_SIM_SCENARIO     ready (default), wrong-mode, no-esc, incompatible, no-unit,
#                            fail-at:<Command>[:<n>]
#   SPINDRA_SIM_ESC_VERSION  the ESC's firmware version, e.g. 0x0304
#   LANG                     de_DE.UTF-8 for the German texts, en_US.UTF-8 for the English
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset win32
cmake --build --preset win32 -j 2

export WINEPREFIX="$PWD/build/win32/wineprefix"
source tests/wine/wine-prefix.sh
prepare_wine_prefix
program=build/win32/spindra-updater-sim.exe

if [ -n "${DISPLAY:-}" ]; then
  status=0
  wine "$program" || status=$?
  wineserver -w
  exit $status
fi

language=en
case "${LANG:-}" in de*) language=de ;; esac
screenshot="$PWD/build/screenshot-$language.png"
# Wine's virtual desktop draws the title bar that a bare X server would not.
xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash -c '
  wine explorer /desktop=shot,800x600 "$1" &
  sleep "${SPINDRA_SCREENSHOT_DELAY:-8}"
  import -window root "$2"
  wineserver -k
  wait' run "$program" "$screenshot"
echo "screenshot saved to $screenshot"
