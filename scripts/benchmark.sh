#!/usr/bin/env bash
# Builds the Windows programs and times a whole update of the simulated-unit program under
# Wine at real pacing: prints its wall time, the sum of its pauses and their ratio. Not part
# of the test run: it takes as long as an update, some 46 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset win32
cmake --build --preset win32 -j 2 --target update_pacing_benchmark spindra-updater-sim

export WINEPREFIX="$PWD/build/win32/wineprefix"
source tests/wine/wine-prefix.sh
prepare_wine_prefix
# Inside Wine's virtual desktop, as on Windows, a window hides at once; on a bare X server Wine
# waits up to two seconds for a window manager that is not there. The program started by the
# benchmark shares its desktop.
wine reg add 'HKCU\Software\Wine\AppDefaults\update_pacing_benchmark.exe\Explorer' /v Desktop /d benchmark /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v benchmark /d 1024x768 /f >/dev/null
bash tests/wine/run-under-wine.sh build/win32/update_pacing_benchmark.exe "Z:$PWD/build/win32/spindra-updater-sim.exe"
