# Sourced: the Wine environment of the build and the creation of its prefix.
# WINEPREFIX must be set. The prefix is created on first use; a lock keeps runs that
# start together from creating it twice.

export WINEPREFIX WINEDEBUG=-all
# No Mono or Gecko installers: the programs here need neither.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

prepare_wine_prefix() {
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
}
