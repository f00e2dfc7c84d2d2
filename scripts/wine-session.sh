#!/usr/bin/env bash
# Starts what the tests under Wine need and prints the environment to use:
#   eval "$(scripts/wine-session.sh start DIR)"   ...   scripts/wine-session.sh stop DIR
# DIR holds the Wine prefix and the pid files. Only what this script started
# is stopped again. VANTREL_ARCH (i686 or x86_64) picks the build the session
# runs: a 32-bit prefix under the 32-bit loader, or a 64-bit one under the
# 64-bit loader; by default the first build this machine can run. The printed
# environment names the loader in VANTREL_WINE for the other scripts.
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?state directory}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
source "$(dirname "$0")/arch.sh"
# No .NET or HTML engine to install, and no menu builder: it writes file
# associations into the user's classes behind the tests' backs.
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

case "$cmd" in
start)
  arch=${VANTREL_ARCH:-$(vantrel_arches | cut -d' ' -f1)}
  VANTREL_WINE=$(vantrel_wine_for "$arch")
  case "$arch" in i686) export WINEARCH=win32 ;; *) export WINEARCH=win64 ;; esac
  wine() { "$VANTREL_WINE" "$@"; }
  if [ -z "${DISPLAY:-}" ] || [ -n "${VANTREL_OWN_DISPLAY:-}" ]; then
    # A display of our own: the first free number from 90 on.
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >"$dir/wineboot.log" 2>&1 || true
    # A virtual desktop: a taskbar with a notification area, and no stalls
    # when windows are hidden on a display without a window manager.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    # The desktop that boot started is not the virtual one: start afresh.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  VANTREL_WINE="$VANTREL_WINE" bash "$(dirname "$0")/wine-fonts.sh" "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 || true   # persistent: later wine starts are fast
  # Start the desktop and services now, detached from any caller's output: a
  # test runner waits for its pipes to close, and Wine's helper processes
  # would otherwise inherit them and outlive the tests.
  wine wineboot </dev/null >/dev/null 2>&1 || true
  echo "export DISPLAY='$DISPLAY' WINEPREFIX='$WINEPREFIX' WINEARCH='$WINEARCH' WINEDEBUG=-all" \
    "WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' VANTREL_WINE='$VANTREL_WINE'"
  ;;
stop)
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  fi
  ;;
esac
