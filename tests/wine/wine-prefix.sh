# Sourced: the Wine environment of the build and the creation of its prefix.
# WINEPREFIX must be set. The prefix is created on first use; a lock keeps runs that
# start together from creating it twice. A test with a prefix of its own may furnish it
# before every run (so rebuilt files take effect): WINE_PREFIX_SYSTEM_DLLS, colon-separated
# DLLs copied into its 32-bit system directory; WINE_PREFIX_REGISTRY, a .reg file imported.

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

furnish_wine_prefix() {
  local system_dir="$WINEPREFIX/drive_c/windows/system32" dll
  if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then system_dir="$WINEPREFIX/drive_c/windows/syswow64"; fi
  local -a dlls=()
  IFS=: read -ra dlls <<<"${WINE_PREFIX_SYSTEM_DLLS:-}"
  for dll in "${dlls[@]}"; do cp "$dll" "$system_dir/"; done
  if [ -n "${WINE_PREFIX_REGISTRY:-}" ]; then wine reg import "Z:$WINE_PREFIX_REGISTRY" >/dev/null 2>&1; fi
}
