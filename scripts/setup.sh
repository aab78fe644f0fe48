#!/usr/bin/env bash
# Installs every package the build and the tests need on Debian 12. Safe to run again.
set -euo pipefail

packages=(cmake g++ ninja-build libgtest-dev googletest clang libclang-rt-14-dev g++-mingw-w64-i686
          binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine32
          wine64 fonts-wine xvfb xauth imagemagick nlohmann-json3-dev dpkg-dev man-db groff-base
          lintian emscripten binaryen chromium nodejs)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
