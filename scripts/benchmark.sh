#!/usr/bin/env bash
# Builds the Windows programs and the browser updater and times a whole update of each with
# its simulated unit at real pacing, the Windows program under Wine and the page in headless
# Chromium (in a visible and in a hidden tab): prints each one's wall time, the sum of its
# pauses and their ratio. Not part of the test run: it takes as long as three updates, some
# 2.5 minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/windows-build.sh
echo "Measured on $windows_reason"
build_dir=build/$windows_preset
cmake --preset "$windows_preset"
cmake --build --preset "$windows_preset" -j 2 --target update_pacing_benchmark spindra-updater-sim

export WINEPREFIX="$PWD/$build_dir/wineprefix"
source tests/wine/wine-prefix.sh
prepare_wine_prefix
# Inside Wine's virtual desktop, as on Windows, a window hides at once; on a bare X server Wine
# waits up to two seconds for a window manager that is not there. The program started by the
# benchmark shares its desktop.
"$wine_loader" reg add 'HKCU\Software\Wine\AppDefaults\update_pacing_benchmark.exe\Explorer' /v Desktop /d benchmark /f >/dev/null
"$wine_loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v benchmark /d 1024x768 /f >/dev/null
windows_figure=$(bash tests/wine/run-under-wine.sh "$build_dir/update_pacing_benchmark.exe" \
                 "Z:$PWD/$build_dir/spindra-updater-sim.exe")
echo "Windows: $windows_figure"

# The page carries the same image, so its update has the same floor.
cmake --preset web
cmake --build --preset web -j 2 --target spindra-web-page-site
floor_ms=$(sed -n 's/.*floor of its pauses \([0-9]*\) ms.*/\1/p' <<<"$windows_figure")
node benchmarks/web_update_pacing.mjs build/web/site "$floor_ms"
