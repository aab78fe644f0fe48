#!/bin/sh
# The Debian package of spindra-update, as a user gets it:
#   deb_package_test.sh <build dir> <source dir> <cpack>
# Builds it, checks its contents (the program, the rule as in the tree, a man page that
# holds every option of --help and reads as a valid page), installs and purges it in a
# throwaway root, and runs its maintainer scripts with a stand-in udevadm, with and
# without a running udev, never touching the machine's own udev.
set -eu
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
cpack=$3
work=$build/deb_package_test
rule_name=70-spindra-update.rules

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

flat() { tr -s ' \n' '  '; }

rm -rf "$work"
mkdir -p "$work"
"$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
set -- "$work"/spindra-update_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single package: $*"
deb=$1

# --- metadata ------------------------------------------------------------------------
program=$build/spindra-update
"$program" --help --lang en > "$work/help.txt"
version=$(sed -n 's/.* ESC to \([0-9]*\.[0-9]*\)\.$/\1/p' "$work/help.txt")
[ "$(dpkg-deb -f "$deb" Package)" = spindra-update ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), the program writes $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "no dependency on libc6: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Maintainer | grep -q '<.*@.*>' || fail "maintainer without an address"

# --- contents ------------------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{print $1, $NF}' > "$work/contents"
for entry in "-rwxr-xr-x ./usr/bin/spindra-update" "-rw-r--r-- ./usr/lib/udev/rules.d/$rule_name" \
             "-rw-r--r-- ./usr/share/man/man1/spindra-update.1.gz"; do
  grep -qxF -- "$entry" "$work/contents" || fail "not in the package: $entry"
done
dpkg-deb -x "$deb" "$work/extracted"
cmp "$source/src/adapters/linux/$rule_name" "$work/extracted/usr/lib/udev/rules.d/$rule_name" ||
  fail "the packaged rule differs from the tree's"
"$work/extracted/usr/bin/spindra-update" --simulate ready > /dev/null || fail "the packaged program does not run"

# --- man page ------------------------------------------------------------------------
page=$work/spindra-update.1
gzip -dc "$work/extracted/usr/share/man/man1/spindra-update.1.gz" > "$page"
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns: $warnings"
whatis=$(lexgrog "$page")
printf '%s' "$whatis" | grep -qF ': "spindra-update - update the firmware of a SPINDRA 60 LV ESC"' ||
  fail "no short whatis entry: $whatis"
sections=$(sed -n 's/^\.SH //p' "$page" | tr -d '"' | paste -sd '|')
[ "$sections" = "NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|EXAMPLES|FILES|SEE ALSO" ] ||
  fail "the man page's sections are: $sections"
sed -n '/^\.SH FILES/,/^\.SH "SEE ALSO"/p' "$page" | grep -qF '~/.local/state/spindra-update/history.jsonl' ||
  fail "FILES lacks the history"
MANWIDTH=1000 man -l "$page" 2> "$work/man.err" | flat > "$work/man.txt"
[ -s "$work/man.err" ] && fail "man -l: $(cat "$work/man.err")"
# Each option of --help, term and description, and the exit codes, read as the page shows them.
awk '/^  [^ ]/ { if (entry) print entry; entry = $0; next }
     /^      / && entry { entry = entry " " $0; next }
     { if (entry) print entry; entry = "" }' "$work/help.txt" > "$work/options"
[ "$(grep -c -- '--' "$work/options")" -ge 10 ] || fail "the help text's options were not found"
while IFS= read -r option; do
  expected=$(printf '%s' "$option" | flat)
  grep -qF -- "$expected" "$work/man.txt" || fail "the man page lacks:$expected"
done < "$work/options"
exit_codes=$(sed -n '/^Exit codes: /,$p' "$work/help.txt" | sed 's/^Exit codes: //' | flat)
grep -qF -- "EXIT STATUS $exit_codes" "$work/man.txt" || fail "the man page lacks the exit codes"

# --- installing and purging in a throwaway root ----------------------------------------
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: > "$root/var/lib/dpkg/status"
in_root() {
  dpkg --root="$root" --log=/dev/null --force-script-chrootless --force-depends --force-not-root "$@" \
    > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg $*"; }
}
in_root --install "$deb"
for file in usr/bin/spindra-update "usr/lib/udev/rules.d/$rule_name" usr/share/man/man1/spindra-update.1.gz; do
  [ -f "$root/$file" ] || fail "not installed: /$file"
done
dpkg --root="$root" -s spindra-update | grep -qx 'Status: install ok installed' || fail "not installed cleanly"
in_root --purge spindra-update
left=$(find "$root" -path "$root/var" -prune -o -type f -print)
[ -z "$left" ] || fail "left after purging: $left"

# --- the maintainer scripts ---------------------------------------------------------------
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "$script is not executable"
done
mkdir -p "$work/bin"
cat > "$work/bin/udevadm" << 'STAND_IN'
#!/bin/sh
echo "udevadm $*" >> "$UDEVADM_CALLS"
exit "${UDEVADM_EXIT:-0}"
STAND_IN
chmod +x "$work/bin/udevadm"
export UDEVADM_CALLS="$work/udevadm.calls"
reload='udevadm control --reload-rules
udevadm trigger --subsystem-match=hidraw --action=change'

# run_script <udev: running|absent|host> <expected calls> <script> <args...>; env as given.
run_script() {
  udev=$1 expected=$2
  shift 2
  : > "$UDEVADM_CALLS"
  case $udev in
    host) PATH="$work/bin:$PATH" "$work/control/$@" ;;
    *) PATH="$work/bin:$PATH" UDEV=$udev unshare --mount --map-root-user sh -c \
         'mount -t tmpfs tmpfs /run && if [ "$UDEV" = running ]; then mkdir -p /run/udev/control; fi && exec "$@"' \
         sh "$work/control/$@" ;;
  esac || fail "$* failed with udev $udev"
  [ "$(cat "$UDEVADM_CALLS")" = "$expected" ] || fail "$* with udev $udev called: $(cat "$UDEVADM_CALLS")"
}

if unshare --mount --map-root-user sh -c 'mount -t tmpfs tmpfs /run' 2> /dev/null; then
  # Installing into another root never reloads the running system's udev.
  DPKG_ROOT=$root run_script running "" postinst configure
  DPKG_ROOT=$root run_script running "" postrm remove
  run_script running "$reload" postinst configure
  run_script running "$reload" postrm remove
  run_script running "$reload" postrm purge
  run_script running "" postinst abort-upgrade
  run_script running "" postrm upgrade
  UDEVADM_EXIT=1 run_script running "$reload" postinst configure
  run_script absent "" postinst configure
  run_script absent "" postrm remove
  echo "maintainer scripts run with a running and with no udev (mount namespace)"
else
  expected=""
  if [ -d /run/udev/control ] || [ -S /run/udev/control ]; then expected=$reload; fi
  run_script host "$expected" postinst configure
  run_script host "$expected" postrm remove
  DPKG_ROOT=$root run_script host "" postinst configure
  echo "no mount namespace here: maintainer scripts run with this machine's udev state only"
fi
echo "package $(basename "$deb") checked"
