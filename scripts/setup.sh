#!/usr/bin/env bash
# Installs every Debian package the build, the tests and Wine need. Safe to run again.
set -euo pipefail
pkgs=(cmake make ninja-build libbenchmark-dev g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      wine wine64 fonts-wine xvfb xauth x11-utils fonts-wqy-microhei
      googletest imagemagick clang libclang-rt-14-dev python3 zip unzip file)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
