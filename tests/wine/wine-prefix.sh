# Sourced: the Wine environment of the build and the creation of its prefix.
# WINEPREFIX must be set. The prefix is created on first use; a lock keeps runs that
# start together from creating it twice. A test with a prefix of its own may furnish it
# before every run (so rebuilt files take effect): WINE_PREFIX_SYSTEM_DLLS, colon-separated
# DLLs copied into the system directory of their machine; WINE_PREFIX_REGISTRY, a .reg
# file imported.
# WINELOADER names the loader of a 64-bit build (wine64), for Wine too; unset, Debian's
# wine runs the programs, which needs wine32. wine_loader is the one to start them with.

export WINEPREFIX WINEDEBUG=-all
wine_loader=${WINELOADER:-wine}
# No Mono or Gecko installers: the programs here need neither.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

prepare_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -e "$WINEPREFIX/.prefix-ready" ]; then
      rm -rf "$WINEPREFIX"
      "$wine_loader" wineboot -i >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.prefix-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# The machine field of a PE file's header, as hex: 014c for i386, 8664 for x86-64.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1")
  od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}

furnish_wine_prefix() {
  local windows="$WINEPREFIX/drive_c/windows" dll system_dir
  local -a dlls=()
  IFS=: read -ra dlls <<<"${WINE_PREFIX_SYSTEM_DLLS:-}"
  for dll in "${dlls[@]}"; do
    # A 64-bit prefix keeps 32-bit system DLLs in syswow64.
    system_dir=$windows/system32
    if [ "$(pe_machine "$dll")" = 014c ] && [ -d "$windows/syswow64" ]; then system_dir=$windows/syswow64; fi
    cp "$dll" "$system_dir/"
  done
  if [ -n "${WINE_PREFIX_REGISTRY:-}" ]; then "$wine_loader" reg import "Z:$WINE_PREFIX_REGISTRY" >/dev/null 2>&1; fi
}
