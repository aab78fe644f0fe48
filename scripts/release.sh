#!/usr/bin/env bash
# Makes dist/ from the firmware image IMAGE: the stripped product carrying it, the browser
# updater's site carrying it (dist/web/), the user guide in English and German, and
# SHA256SUMS over all of them. The product and the site are built from two clean clones of
# the last commit in two different folders and shipped only when both builds are the same
# byte for byte, so anyone can build them again and check the sums. Uncommitted changes
# are not part of a release.
#
#   bash scripts/release.sh IMAGE
set -euo pipefail

fail() {
  echo "release: $*" >&2
  exit 1
}

[[ $# -eq 1 ]] || fail "usage: bash scripts/release.sh IMAGE (the firmware image the updater is to carry)"
[[ -f $1 ]] || fail "no firmware image file at '$1'"
[[ -s $1 ]] || fail "the firmware image '$1' is empty: there is nothing to write to an ESC"
image=$(realpath "$1")

cd "$(dirname "$0")/.."
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
git diff --quiet HEAD || echo "release: uncommitted changes are left out; building commit $commit"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# logged <log> <command...>: runs the command quietly; on failure shows the log's end.
logged() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || {
    tail -20 "$log" >&2
    fail "failed: $*"
  }
}

# build_product <folder>: a clean clone of the commit in <folder>, its product built with
# the image and stripped at link time (strip would stamp the file with the time of day),
# and the browser updater's site with the same image.
build_product() {
  local tree=$1
  git clone --quiet --no-checkout . "$tree"
  git -C "$tree" checkout --quiet "$commit"
  cd "$tree"
  logged "$tree.configure.log" cmake --preset win32 -B build/release \
    -DSPINDRA_FIRMWARE_IMAGE="$image" -DCMAKE_EXE_LINKER_FLAGS=-s
  logged "$tree.build.log" cmake --build build/release --target spindra-updater -j 2
  logged "$tree.web-configure.log" cmake --preset web -DSPINDRA_FIRMWARE_IMAGE="$image"
  logged "$tree.web-build.log" cmake --build --preset web --target spindra-web-page-site -j 2
  cd - >/dev/null
}

# site_sums <folder>: the SHA-256 of every file of a built site, as sha256sum lists them.
site_sums() {
  (cd "$1/build/web/site" && LC_ALL=C sha256sum -- *)
}

first=$work/first
second=$work/elsewhere/second-checkout
mkdir -p "$(dirname "$second")"
echo "release: building commit $commit twice (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
build_product "$first"
build_product "$second"

product=$first/build/release/spindra-updater.exe
first_sum=$(sha256sum <"$product" | cut -d' ' -f1)
second_sum=$(sha256sum <"$second/build/release/spindra-updater.exe" | cut -d' ' -f1)
[[ $first_sum == "$second_sum" ]] ||
  fail "the two builds differ ($first_sum, $second_sum): the release would not be reproducible"
echo "release: both builds agree, SHA-256 $first_sum"
[[ $(site_sums "$first") == "$(site_sums "$second")" ]] ||
  fail "the two builds of the site differ: the release would not be reproducible"
echo "release: both builds of the site agree"

rm -rf dist
mkdir dist
cp "$product" dist/spindra-updater.exe
cp "$first/docs/user-guide.en.md" "$first/docs/user-guide.de.md" dist/
cp -r "$first/build/web/site" dist/web
touch --date="@$SOURCE_DATE_EPOCH" dist/* dist/web/*
(cd dist && LC_ALL=C sha256sum -- $(LC_ALL=C find -- * -type f | LC_ALL=C sort) >SHA256SUMS &&
  touch --date="@$SOURCE_DATE_EPOCH" SHA256SUMS)
ls -l dist dist/web
