#!/usr/bin/env bash
# Builds the Windows programs and times a whole update of the simulated-unit program under
# Wine at real pacing: prints its wall time, the sum of its pauses and their ratio. Not part
# of the test run: it takes as long as an update, some 46 seconds.
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
bash tests/wine/run-under-wine.sh "$build_dir/update_pacing_benchmark.exe" "Z:$PWD/$build_dir/spindra-updater-sim.exe"
