#!/usr/bin/env bash
# Installs what building and testing Vantrel needs on Debian. Idempotent: a
# package that is already there is not installed again. The 32-bit Wine is
# installed only where a 32-bit program really runs (scripts/arch.sh); both
# builds are made everywhere, and the 64-bit Wine runs the 64-bit one.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

pkgs=(cmake make g++ ninja-build googletest
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      wine wine64 fonts-wine fonts-wqy-microhei xvfb xauth x11-utils clang libclang-rt-dev
      python3 time         # the benchmarks time and weigh runs with /usr/bin/time
      openssl libssl-dev   # the benchmarks compare with OpenSSL; the signature tests make keys
      b3sum                # the BLAKE3 tests and benchmarks compare with it (b2sum is in coreutils)
      osslsigncode         # the signature tests sign their files
      gnupg minisign signify-openbsd python3-cryptography)  # the checksum-file signature tests sign their lists
need_i386=0
if vantrel_runs_32bit; then
  pkgs+=(wine32:i386)
  need_i386=1
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ $need_i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
