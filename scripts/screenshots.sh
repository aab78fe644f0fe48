#!/usr/bin/env bash
# Builds the simulated-unit program and takes the README's pictures of it under Wine, in
# English and German: docs/screenshot-<language>.png (ready to update),
# docs/progress-<language>.png (an update under way) and docs/failure-<language>.png (the box
# that reports a failed update). The update fails at its 1000th block, so the progress window
# is on screen for a while.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/wine-desktop.sh
cmake --preset "$windows_preset"
cmake --build --preset "$windows_preset" -j 2 --target screenshot_shooter

prepare_wine_prefix
export SPINDRA_SIM_SCENARIO=fail-at:WriteBlock:1000
requests=$(mktemp -d)
trap 'rm -rf "$requests"' EXIT
export requests SPINDRA_SCREENSHOT_REQUESTS="Z:$requests"

for wanted_language in en de; do
  choose_language "$wanted_language"
  export language
  # The shooter asks for each picture with a file <state>.wanted and goes on once it is gone;
  # it has ended without one after a minute.
  on_virtual_desktop "build/$windows_preset/screenshot_shooter.exe" '
    for state in ready progress failure; do
      for ((tries = 0; tries < 300; ++tries)); do
        [ -e "$requests/$state.wanted" ] && break
        sleep 0.2
      done
      [ -e "$requests/$state.wanted" ] || { echo "no $state picture was asked for" >&2; exit 1; }
      picture=docs/$state-$language.png
      [ "$state" = ready ] && picture=docs/screenshot-$language.png
      shoot "$picture"
      rm "$requests/$state.wanted"
      echo "saved $picture"
    done' "${in_language[@]}"
done
