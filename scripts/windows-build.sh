# Sourced from the repository's root: which build of the Windows programs this machine can
# run. The shipped program is the 32-bit build; running it needs wine32, which needs a
# machine whose 32-bit dynamic loader executes. Elsewhere the same programs run as their
# x86-64 build under wine64.
#   windows_preset   win32 or win64: the preset whose programs run here
#   windows_reason   one line saying which and why
# For win64, WINELOADER names wine64 for everything that starts Wine.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  windows_preset=win32
  windows_reason="the 32-bit build under wine32 (this machine runs 32-bit programs)"
else
  windows_preset=win64
  windows_reason="the 64-bit build under wine64, as this machine cannot run 32-bit programs (/lib/ld-linux.so.2 does not execute)"
  export WINELOADER=/usr/lib/wine/wine64
fi
