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

# Every picture is made at 100 %, 150 % and 200 % of its size: the windows
# pick the rendition at or above the size a display scale needs and only ever
# scale down. The 100 % files keep their plain names; the others end in _150
# and _200. A size is scaled as the windows scale theirs: n*p/100, halves
# rounded up.
scaled() { # size percent
  echo $(( ($1 * $2 * 2 + 100) / 200 ))
}
suffix() { # percent
  [ "$1" -eq 100 ] && echo "" || echo "_$1"
}

for pct in 100 150 200; do
  sfx=$(suffix $pct)
  s48=$(scaled 48 $pct)

  # Round picture buttons of the main window.
  for b in save clear tray about exit; do
    render "$art/btn_$b.svg" "$s48" "$s48" "$out/btn_$b$sfx.png"
  done

  # About window.
  render "$art/about_close.svg" "$s48" "$s48" "$out/about_close$sfx.png"
  render "$art/about_frame.svg" "$(scaled 155 $pct)" "$(scaled 115 $pct)" "$out/about_frame$sfx.png"
  render "$art/about_logo.svg" "$(scaled 147 $pct)" "$(scaled 110 $pct)" "$tmp/logo.png"
  # LoadImage wants a classic 24-bit bottom-up bitmap: no alpha, BITMAPINFOHEADER.
  "$CONVERT" "$tmp/logo.png" -background 'rgb(192,220,192)' -alpha remove -alpha off \
    -strip -type TrueColor "BMP3:$out/about_logo$sfx.bmp"

  # Browse button: normal, hot (a little brighter) and pressed (one pixel
  # of the scale down and to the right, the drawing leaves that room free).
  bw=$(scaled 20 $pct) bh=$(scaled 17 $pct) shift=$(scaled 1 $pct)
  render "$art/browse.svg" "$bw" "$bh" "$out/browse$sfx.png"
  "$CONVERT" "$out/browse$sfx.png" -modulate 116,115,100 "$tmp/hot.png"
  png32 "$tmp/hot.png" "$out/browse_hot$sfx.png"
  "$CONVERT" "$out/browse$sfx.png" -background none -gravity northwest -splice "${shift}x${shift}" \
    -crop "${bw}x${bh}+0+0" +repage "$tmp/pressed.png"
  png32 "$tmp/pressed.png" "$out/browse_pressed$sfx.png"
done

# Program and tray icon, in the sizes the shell asks for from 100 % to 200 %
# and beyond: the 16 and 32 px images have their own pixel-aligned drawings;
# the images from 96 px on are stored PNG-compressed, as Windows Vista and
# later read them.
render "$art/vantrel-16.svg" 16 16 "$tmp/i16.png"
render "$art/vantrel-32.svg" 32 32 "$tmp/i32.png"
for s in 20 24 40 48 64 96 128 256; do
  render "$art/vantrel.svg" "$s" "$s" "$tmp/i$s.png"
done
"$ICOTOOL" -c -o "$out/vantrel.ico" "$tmp/i16.png" "$tmp/i20.png" "$tmp/i24.png" "$tmp/i32.png" \
  "$tmp/i40.png" "$tmp/i48.png" "$tmp/i64.png" -r "$tmp/i96.png" -r "$tmp/i128.png" -r "$tmp/i256.png"
"$ICOTOOL" -c -o "$out/tray.ico" "$tmp/i16.png" "$tmp/i20.png" "$tmp/i24.png" "$tmp/i32.png" \
  "$tmp/i40.png" "$tmp/i48.png" "$tmp/i64.png"

echo "pictures written to $out"
