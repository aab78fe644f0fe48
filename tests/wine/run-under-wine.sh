#!/usr/bin/env bash
# Runs a Windows program under Wine on a private X server and exits with its exit code.
# usage: WINEPREFIX=<dir> run-under-wine.sh <program.exe> [arguments...]
set -euo pipefail

: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
source "$(dirname "$0")/wine-prefix.sh"
prepare_wine_prefix
furnish_wine_prefix

# The X server lives until every Wine process of the prefix has ended (wineserver -w):
# Wine processes started by one test may serve another test running at the same time.
# Start the search for a free display number at a place of our own so that runners
# starting together do not race for the same one.
exec xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" \
  bash -c 'loader=$1; shift; status=0; "$loader" "$@" || status=$?; wineserver -w; exit $status' \
  wine-test "$wine_loader" "$@"
