#!/usr/bin/env bash
# Runs a Windows program under Wine on a private X server and exits with its exit code.
# usage: WINEPREFIX=<dir> run-under-wine.sh <program.exe> [arguments...]
# The prefix is created on first use; a lock keeps tests that start together from
# creating it twice.
set -euo pipefail

: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX WINEDEBUG=-all
# No Mono or Gecko installers: the programs under test need neither.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -e "$WINEPREFIX/.prefix-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.prefix-ready"
  fi
) 9>"$WINEPREFIX.lock"

# The X server lives until every Wine process of the prefix has ended (wineserver -w):
# Wine processes started by one test may serve another test running at the same time.
# Start the search for a free display number at a place of our own so that runners
# starting together do not race for the same one.
exec xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" \
  bash -c 'status=0; wine "$@" || status=$?; wineserver -w; exit $status' wine-test "$@"
