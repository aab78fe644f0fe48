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
# The browser tests' packages, exactly as the lock file pins them; again only when it changed.
install_web_test_packages() {
  local folder="$(dirname "$0")/../tests/web"
  [ -f "$folder/node_modules/.package-lock.json" ] && [ "$folder/node_modules/.package-lock.json" -nt "$folder/package-lock.json" ] && return 0
  (cd "$folder" && npm ci --no-audit --no-fund --loglevel=error)
}

if [ ${#missing[@]} -eq 0 ]; then
  install_web_test_packages
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
install_web_test_packages
