#!/usr/bin/env bash
# Puts Wine's own Tahoma and Marlett (Debian's fonts-wine) into the fonts
# folder of a Wine prefix. Wine on Debian does not look where the package
# installs them, and without them it draws the windows in a wider stand-in
# (captions clipped) and the title-bar buttons as letters. Idempotent.
#   scripts/wine-fonts.sh PREFIX
set -euo pipefail
prefix=${1:?Wine prefix}
src=/usr/share/wine/fonts
dest="$prefix/drive_c/windows/Fonts"
[ -d "$dest" ] || exit 0
for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "$src/$f" ] && ! cmp -s "$src/$f" "$dest/$f"; then
    cp "$src/$f" "$dest/$f"
  fi
done
