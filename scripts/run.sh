#!/usr/bin/env bash
# Builds the vantrel.exe this machine can run and starts it under Wine on the
# user's display, with an optional file: the 32-bit build where 32-bit
# programs run, else (or with ARCH=x86_64) the 64-bit one.
set -euo pipefail
cd "$(dirname "$0")/.."
unset MAKELEVEL MAKEFLAGS MFLAGS   # no "Entering directory" lines from the build under make
source scripts/arch.sh
arch=$(vantrel_arches | cut -d' ' -f1)
preset=$(vantrel_preset_for "$arch")
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target vantrel -j "$(nproc 2>/dev/null || echo 2)"
exe=build/$preset/vantrel.exe
if [ "$arch" = x86_64 ]; then
  echo "Starting the 64-bit build ($exe): $(vantrel_arch_reason)"
fi
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
No display: Vantrel is a windowed program. Run it from a desktop session, or
start a virtual display first and view it with a VNC client, for example:
  Xvfb :1 -screen 0 1280x1024x24 & export DISPLAY=:1
MSG
  exit 1
fi
export WINEDEBUG=${WINEDEBUG:--all}
wine=$(vantrel_wine_for "$arch")
# Wine's own Tahoma and Marlett in the prefix, so the windows look as on
# Windows; a new prefix is made first so there is a fonts folder to fill. A
# 64-bit prefix runs both builds, a 32-bit one only the 32-bit build.
prefix=${WINEPREFIX:-$HOME/.wine}
[ -d "$prefix/drive_c/windows/Fonts" ] || "$wine" wineboot -i >/dev/null 2>&1 || true
VANTREL_WINE=$wine bash scripts/wine-fonts.sh "$prefix"
if [ $# -gt 0 ] && [ -n "$1" ]; then
  file=$1
  # A Unix path is handed over as the Windows path Wine maps it to.
  case "$file" in /*) file=$("$wine" winepath -w "$file" 2>/dev/null || echo "Z:${file//\//\\}") ;; esac
  exec "$wine" "$exe" "$file"
fi
exec "$wine" "$exe"
