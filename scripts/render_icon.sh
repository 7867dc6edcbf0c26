#!/usr/bin/env bash
# Renders the program icon and packs it into resources/tempoline.ico.
#
#   scripts/render_icon.sh [PNG_DIR]
#
# Sizes 20, 24, 32, 40, 48, 64 and 256 come from resources/icon/tempoline.svg; 16 comes from
# resources/icon/tempoline-16.svg, the same picture redrawn on the pixel grid. These are the sizes
# Windows asks for at 100 %, 125 %, 150 % and 200 % (small icons 16, 20, 24, 32; large ones 32, 40,
# 48, 64) and for the largest views (256), so none is scaled. The 256 pixel image is stored
# PNG-compressed inside the .ico, the others as plain 32-bit bitmaps.
# The rendered PNGs are kept in PNG_DIR when one is given (to look at them), else thrown away.
#
# Needs: rsvg-convert (Debian package librsvg2-bin) and python3 (standard library only).
# The build does not run this script: the generated .ico is kept in the repository, so run it
# again and commit the .ico after changing either SVG.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icon_dir="$root/resources/icon"
out="$root/resources/tempoline.ico"

missing=""
command -v rsvg-convert >/dev/null || missing="$missing rsvg-convert (apt-get install librsvg2-bin)"
command -v python3 >/dev/null || missing="$missing python3 (apt-get install python3)"
if [ -n "$missing" ]; then
  echo "render_icon.sh: missing:$missing" >&2
  exit 1
fi

if [ $# -ge 1 ]; then
  png_dir=$1
  mkdir -p "$png_dir"
else
  png_dir=$(mktemp -d)
  trap 'rm -rf "$png_dir"' EXIT
fi

pngs=()
for size in 16 20 24 32 40 48 64 256; do
  svg="$icon_dir/tempoline.svg"
  if [ "$size" -eq 16 ]; then svg="$icon_dir/tempoline-16.svg"; fi
  png="$png_dir/tempoline-$size.png"
  rsvg-convert --width "$size" --height "$size" --output "$png" "$svg"
  pngs+=("$png")
done
python3 "$root/scripts/pack_ico.py" "$out" "${pngs[@]}"
echo "wrote $out ($(wc -c <"$out") bytes) from ${#pngs[@]} images"
