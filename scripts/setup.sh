#!/usr/bin/env bash
# Installs what building and testing Vantrel needs on Debian. Idempotent: a
# package that is already there is not installed again.
set -euo pipefail

pkgs=(cmake make g++ ninja-build googletest
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
      wine wine32:i386 fonts-wine fonts-wqy-microhei xvfb xauth x11-utils clang libclang-rt-dev
      python3
      openssl libssl-dev)  # the benchmarks compare with OpenSSL

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
