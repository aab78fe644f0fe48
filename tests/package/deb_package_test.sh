#!/bin/sh
# The Debian package of spindra-update, as a user gets it:
#   deb_package_test.sh <build dir> <source dir> <cmake> <cpack> <image the build carries>
#                       <1 when that is the placeholder, so no image> <test image>
# Packages the build, and builds the package once more from the release preset the other way:
# with the test image where the build carries no image, without an image where it carries one.
# Of both it checks the fields, the description, version and copyright that tell whether an
# image is carried, the image in the packaged program, the contents and lintian's verdict. Of
# the build's own package it also checks the man page against --help, installs and purges it
# in a throwaway root, and runs its maintainer scripts with a stand-in udevadm, with and
# without a running udev, never touching the machine's own udev.
set -eu
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
cmake=$3
cpack=$4
build_image=$5
build_has_no_image=$6
test_image=$7
work=$build/deb_package_test
rule_name=70-spindra-update.rules

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

flat() { tr -s ' \n' '  '; }

rm -rf "$work"
mkdir -p "$work"
command -v lintian > /dev/null || fail "lintian is not installed (scripts/setup.sh installs it)"

# make_package <build dir> <folder>: the build's package, made in that folder; prints its path.
make_package() {
  mkdir -p "$2"
  "$cpack" -G DEB -B "$2" --config "$1/CPackConfig.cmake" > "$2/cpack.log" 2>&1 ||
    { cat "$2/cpack.log" >&2; fail "cpack in $1"; }
  set -- "$2"/spindra-update_*.deb
  [ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single package: $*"
  echo "$1"
}

"$build/spindra-update" --help --lang en > "$work/help.txt"
version=$(sed -n 's/.* ESC to \([0-9]*\.[0-9]*\)\.$/\1/p' "$work/help.txt")
[ -n "$version" ] || fail "--help names no firmware version"
licence_holder=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
awk 'text; /^Copyright \(c\)/ { getline; text = 1 }' "$source/LICENSE" > "$work/licence.txt"

# check_package <deb> <the image it carries, empty for none>: fields, contents, the carried
# image, copyright, changelog and lintian. Leaves the package's files in $extracted.
check_package() {
  local deb=$1 image=$2 name dir version_field description copyright tag
  name=$(basename "$deb" .deb)
  dir=$work/$name
  mkdir -p "$dir"

  version_field=$(dpkg-deb -f "$deb" Version)
  description=$(dpkg-deb -f "$deb" Description | flat)
  [ "$(dpkg-deb -f "$deb" Package)" = spindra-update ] || fail "$name: package name"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "$name: architecture"
  dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "$name: no dependency on libc6"
  dpkg-deb -f "$deb" Maintainer | grep -q '<.*@.*>' || fail "$name: maintainer without an address"
  if [ -n "$image" ]; then
    [ "$version_field" = "$version" ] || fail "$name: version $version_field, the program writes $version"
    case $description in
      *"without firmware"*|*"carries no firmware"*) fail "$name carries an image but says not: $description" ;;
      *"It carries firmware $version and writes it into the ESC."*) ;;
      *) fail "$name: the description does not name the firmware it carries: $description" ;;
    esac
  else
    [ "$version_field" = "$version~noimage" ] || fail "$name: version $version_field for a package without an image"
    case $description in
      *", without firmware "*"carries no firmware image: it only shows the status and simulates updates"*) ;;
      *) fail "$name: the description does not say that it carries no image: $description" ;;
    esac
  fi

  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $NF}' | sort > "$dir/contents"
  sort > "$dir/expected" << CONTENTS
-rwxr-xr-x ./usr/bin/spindra-update
-rw-r--r-- ./usr/lib/udev/rules.d/$rule_name
-rw-r--r-- ./usr/share/doc/spindra-update/changelog.gz
-rw-r--r-- ./usr/share/doc/spindra-update/copyright
-rw-r--r-- ./usr/share/man/man1/spindra-update.1.gz
CONTENTS
  diff "$dir/expected" "$dir/contents" > "$dir/contents.diff" || fail "$name holds other files: $(cat "$dir/contents.diff")"
  extracted=$dir/extracted
  dpkg-deb -x "$deb" "$extracted"
  cmp "$source/src/adapters/linux/$rule_name" "$extracted/usr/lib/udev/rules.d/$rule_name" ||
    fail "$name: the packaged rule differs from the tree's"
  "$extracted/usr/bin/spindra-update" --simulate ready > /dev/null || fail "$name: the packaged program does not run"
  if [ -n "$image" ]; then
    perl -e 'local $/; open my $i, "<", $ARGV[0] or die; open my $p, "<", $ARGV[1] or die;
             exit(index(<$p>, <$i>) < 0 ? 1 : 0)' "$image" "$extracted/usr/bin/spindra-update" ||
      fail "$name: the packaged program does not carry $image"
  fi

  # The copyright: the notice and text of LICENSE, and a paragraph of the image's own where
  # the package carries one.
  copyright=$extracted/usr/share/doc/spindra-update/copyright
  grep -qxF "Copyright: $licence_holder" "$copyright" || fail "$name: copyright lacks $licence_holder"
  awk '/^License: Expat$/ { text = ""; next }
       { sub(/^ /, ""); if ($0 == ".") $0 = ""; text = text $0 "\n" } END { printf "%s", text }' \
    "$copyright" > "$dir/licence.txt"
  cmp -s "$work/licence.txt" "$dir/licence.txt" || fail "$name: the licence in copyright differs from LICENSE"
  if grep -qx 'Files: firmware_image.bin' "$copyright"; then
    [ -n "$image" ] || fail "$name: copyright names an image the package does not carry"
  else
    [ -z "$image" ] || fail "$name: copyright says nothing of the image"
  fi
  gzip -dc "$extracted/usr/share/doc/spindra-update/changelog.gz" | head -n 1 |
    grep -q "^spindra-update ($version_field) " || fail "$name: the changelog's latest entry is not $version_field"

  # lintian: no error, warning or override; each info and pedantic tag is explained in README.md.
  lintian --display-info --pedantic --show-overrides --fail-on none "$deb" > "$dir/lintian.txt" 2> "$dir/lintian.err" ||
    { cat "$dir/lintian.err" >&2; fail "lintian did not run"; }
  sed "s/^/lintian $name: /" "$dir/lintian.txt"
  if grep -v '^[IP]: ' "$dir/lintian.txt"; then fail "lintian finds more than info and pedantic tags in $name"; fi
  for tag in $(awk '{print $3}' "$dir/lintian.txt" | sort -u); do
    grep -qF "\`$tag\`" "$source/README.md" || fail "lintian's $tag in $name is not explained in README.md"
  done
}

# --- the build's package and the one built the other way ---------------------------------
if [ "$build_has_no_image" = 1 ]; then
  build_image= other_image=$test_image
else
  other_image=
fi
deb=$(make_package "$build" "$work/package")
check_package "$deb" "$build_image"
package_files=$extracted

# Kept between runs, so that a run builds again only what changed.
other=$build/deb_package_test_build
(cd "$source" && "$cmake" --preset release -B "$other" -DSPINDRA_FIRMWARE_IMAGE="$other_image" \
   -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON) > "$work/other.log" 2>&1 || { cat "$work/other.log"; fail "configuring $other"; }
"$cmake" --build "$other" -j 2 --target spindra-update spindra_update_man > "$work/other.log" 2>&1 ||
  { tail -30 "$work/other.log"; fail "building $other"; }
other_deb=$(make_package "$other" "$work/other-package")
check_package "$other_deb" "$other_image"

# --- man page ------------------------------------------------------------------------
page=$work/spindra-update.1
gzip -dc "$package_files/usr/share/man/man1/spindra-update.1.gz" > "$page"
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
