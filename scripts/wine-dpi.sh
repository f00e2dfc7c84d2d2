#!/usr/bin/env bash
# Runs a command under Wine with the screen at another display scale:
#   scripts/wine-dpi.sh DPI COMMAND...
# Needs the environment of a running session (scripts/wine-session.sh). Sets
# the prefix's LogPixels to DPI, restarts the session's Wine server so that the
# new scale is in force, runs COMMAND with VANTREL_TEST_DPI=DPI, and puts the
# prefix back to 96 dpi afterwards, whatever the command's outcome.
set -euo pipefail
dpi=${1:?dpi}
shift
: "${WINEPREFIX:?run inside a session started by scripts/wine-session.sh}"

set_dpi() {
  "${VANTREL_WINE:-wine}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  # A screen of that scale has as many more pixels: the virtual desktop grows
  # with it, so that the scaled windows fit on it as they do at 96 dpi.
  "${VANTREL_WINE:-wine}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d "$((1280 * $1 / 96))x$((1024 * $1 / 96))" /f >/dev/null 2>&1
  # The server keeps the registry in memory and the scale is read when the
  # desktop starts: stop both and start them afresh, detached from our output.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || true
  "${VANTREL_WINE:-wine}" wineboot </dev/null >/dev/null 2>&1 || true
}

trap 'set_dpi 96' EXIT
set_dpi "$dpi"
VANTREL_TEST_DPI="$dpi" "$@"
