#!/usr/bin/env bash
# Fonts of a Wine prefix, so that windows look as on Windows. Idempotent.
#   scripts/wine-fonts.sh PREFIX      (WINEPREFIX is set to PREFIX for Wine)
# - Wine's own Tahoma and Marlett (Debian's fonts-wine) are copied into the
#   prefix's fonts folder: Wine on Debian does not look where the package
#   installs them, and without them it draws the windows in a wider stand-in
#   (captions clipped) and the title-bar buttons as letters.
# - Chinese, Japanese and Korean text: Tahoma's font links name Windows' CJK
#   fonts (MS UI Gothic, SimSun, PMingLiU, Gulim); those names are substituted
#   by WenQuanYi Micro Hei (Debian's fonts-wqy-microhei), which covers all
#   three scripts, so such names are legible instead of boxes.
set -euo pipefail
prefix=${1:?Wine prefix}
export WINEPREFIX="$prefix"
src=/usr/share/wine/fonts
dest="$prefix/drive_c/windows/Fonts"
[ -d "$dest" ] || exit 0
for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "$src/$f" ] && ! cmp -s "$src/$f" "$dest/$f"; then
    cp "$src/$f" "$dest/$f"
  fi
done

cjk="WenQuanYi Micro Hei"
if fc-list 2>/dev/null | grep -q "$cjk" && ! grep -q "\"SimSun\"=\"$cjk\"" "$prefix/system.reg" 2>/dev/null; then
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in "MS UI Gothic" "SimSun" "PMingLiU" "Gulim"; do printf '"%s"="%s"\r\n' "$face" "$cjk"; done
  } >"$reg"
  "${VANTREL_WINE:-wine}" regedit /S "$("${VANTREL_WINE:-wine}" winepath -w "$reg")" >/dev/null 2>&1 || true
  rm -f "$reg"
fi
