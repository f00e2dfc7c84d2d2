#!/usr/bin/env bash
# Starts vantrel.exe under Wine on the user's display, with an optional file.
set -euo pipefail
exe=$1; shift || true
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
No display: Vantrel is a windowed program. Run it from a desktop session, or
start a virtual display first and view it with a VNC client, for example:
  Xvfb :1 -screen 0 1280x1024x24 & export DISPLAY=:1
MSG
  exit 1
fi
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's own Tahoma and Marlett in the prefix, so the windows look as on
# Windows; a new prefix is made first so there is a fonts folder to fill.
prefix=${WINEPREFIX:-$HOME/.wine}
[ -d "$prefix/drive_c/windows/Fonts" ] || wineboot -i >/dev/null 2>&1 || true
bash "$(dirname "$0")/wine-fonts.sh" "$prefix"
if [ $# -gt 0 ] && [ -n "$1" ]; then
  file=$1
  # A Unix path is handed over as the Windows path Wine maps it to.
  case "$file" in /*) file=$(winepath -w "$file" 2>/dev/null || echo "Z:${file//\//\\}") ;; esac
  exec wine "$exe" "$file"
fi
exec wine "$exe"
