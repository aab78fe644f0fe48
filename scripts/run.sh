#!/usr/bin/env bash
# Sets up, builds the Windows programs and starts the updater with a simulated programming
# unit under Wine. Without a display it runs on a private X server and saves a screenshot
# to build/screenshot-<language>.png instead.
#   SPINDRA_SIM_SCENARIO     ready (default), wrong-mode, no-esc, incompatible, no-unit,
#                            short-reports, fail-at:<Command>[:<n>]
#   SPINDRA_SIM_ESC_VERSION  the ESC's firmware version, e.g. 0x0304
#   LANG                     de_DE.UTF-8 for the German texts, en_US.UTF-8 (or anything
#                            else) for the English
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset win32
cmake --build --preset win32 -j 2

export WINEPREFIX="$PWD/build/win32/wineprefix"
source tests/wine/wine-prefix.sh
prepare_wine_prefix
program=build/win32/spindra-updater-sim.exe

language=en
case "${LANG:-}" in de*) language=de ;; esac
# Wine takes the interface language from LANG only where that locale is installed, and
# falls back to LC_ALL otherwise, so both name it. Passed through env: a shell started
# with a locale it lacks complains about it.
locale=en_US.UTF-8
[ "$language" = de ] && locale=de_DE.UTF-8
in_language=(env LANG=$locale LC_ALL=$locale)

if [ -n "${DISPLAY:-}" ]; then
  status=0
  "${in_language[@]}" wine "$program" || status=$?
  wineserver -w
  exit $status
fi

screenshot="$PWD/build/screenshot-$language.png"
# Wine's virtual desktop draws the title bar that a bare X server would not.
xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash -c '
  "${@:3}" wine explorer /desktop=shot,800x600 "$1" &
  sleep "${SPINDRA_SCREENSHOT_DELAY:-8}"
  import -window root "$2"
  wineserver -k
  wait' run "$program" "$screenshot" "${in_language[@]}"
echo "screenshot saved to $screenshot"
