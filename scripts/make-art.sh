#!/usr/bin/env bash
# Regenerates every picture under resources/ from the SVG sources in
# resources/art/. Needs only Debian packages and installs any that are missing.
# Running it twice gives byte-identical files: PNG and ICO carry no timestamps
# or other ancillary chunks, and the BMP has no header fields that vary.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
art="$root/resources/art"
out="$root/resources"

pkgs=(librsvg2-bin imagemagick icoutils)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Call the packaged tools by full path so that look-alike commands earlier in
# PATH cannot change the output.
RSVG=/usr/bin/rsvg-convert
CONVERT=/usr/bin/convert
ICOTOOL=/usr/bin/icotool

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# The pictures are decoded by WIC, which wants plain 8-bit RGBA; PNG32 keeps
# colour type 6 even for opaque or grey images, and dropping every ancillary
# chunk removes the time stamps that would make runs differ.
png32() { # in.png out.png
  "$CONVERT" "$1" -strip -define png:exclude-chunks=all -define png:compression-level=9 "PNG32:$2"
}

render() { # svg width height out.png
  "$RSVG" -w "$2" -h "$3" -f png -o "$tmp/raw.png" "$1"
  png32 "$tmp/raw.png" "$4"
}

# Round picture buttons of the main window.
for b in save clear tray about exit; do
  render "$art/btn_$b.svg" 48 48 "$out/btn_$b.png"
done

# About window.
render "$art/about_close.svg" 48 48 "$out/about_close.png"
render "$art/about_frame.svg" 155 115 "$out/about_frame.png"
render "$art/about_logo.svg" 147 110 "$tmp/logo.png"
# LoadImage wants a classic 24-bit bottom-up bitmap: no alpha, BITMAPINFOHEADER.
"$CONVERT" "$tmp/logo.png" -background 'rgb(192,220,192)' -alpha remove -alpha off \
  -strip -type TrueColor "BMP3:$out/about_logo.bmp"

# Browse button: normal, hot (a little brighter) and pressed (one pixel down
# and to the right, the drawing leaves that pixel free).
render "$art/browse.svg" 20 17 "$out/browse.png"
"$CONVERT" "$out/browse.png" -modulate 116,115,100 "$tmp/hot.png"
png32 "$tmp/hot.png" "$out/browse_hot.png"
"$CONVERT" "$out/browse.png" -background none -gravity northwest -splice 1x1 \
  -crop 20x17+0+0 +repage "$tmp/pressed.png"
png32 "$tmp/pressed.png" "$out/browse_pressed.png"

# Program icon: the small sizes have their own pixel-aligned drawings; the
# 256 px image is stored PNG-compressed as Windows Vista and later expect.
render "$art/vantrel-16.svg" 16 16 "$tmp/i16.png"
render "$art/vantrel.svg" 24 24 "$tmp/i24.png"
render "$art/vantrel-32.svg" 32 32 "$tmp/i32.png"
render "$art/vantrel.svg" 48 48 "$tmp/i48.png"
render "$art/vantrel.svg" 256 256 "$tmp/i256.png"
"$ICOTOOL" -c -o "$out/vantrel.ico" "$tmp/i16.png" "$tmp/i24.png" "$tmp/i32.png" \
  "$tmp/i48.png" -r "$tmp/i256.png"
"$ICOTOOL" -c -o "$out/tray.ico" "$tmp/i16.png" "$tmp/i32.png"

echo "pictures written to $out"
