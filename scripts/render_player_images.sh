#!/usr/bin/env bash
# Renders the image buttons of the music player into resources/player/*.bmp.
#
#   scripts/render_player_images.sh [PNG_DIR]
#
# Each resources/player/NAME.svg is drawn on a 20x16 pixel grid and becomes NAME.bmp, a 24-bit
# Windows bitmap (BMP3, no alpha) of 20x16 pixels, flattened onto the light cyan RGB(160,255,255)
# of the player's skin so the buttons blend into it. The resource script embeds them as CTL_SOUND,
# CTL_MUTE, CTL_LYRIC, CTL_NOLRC, CTL_LIST and CTL_NOLIST.
# The rendered PNGs are kept in PNG_DIR when one is given (to look at them), else thrown away.
#
# Needs: rsvg-convert (Debian package librsvg2-bin) and ImageMagick's convert.
# The build does not run this script: the generated .bmp files are kept in the repository, so run
# it again and commit the .bmp files after changing an SVG.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/resources/player"

missing=""
command -v rsvg-convert >/dev/null || missing="$missing rsvg-convert (apt-get install librsvg2-bin)"
command -v convert >/dev/null || missing="$missing convert (apt-get install imagemagick)"
if [ -n "$missing" ]; then
  echo "render_player_images.sh: missing:$missing" >&2
  exit 1
fi

if [ $# -ge 1 ]; then
  png_dir=$1
  mkdir -p "$png_dir"
else
  png_dir=$(mktemp -d)
  trap 'rm -rf "$png_dir"' EXIT
fi

count=0
for name in sound mute lyric nolrc list nolist; do
  png="$png_dir/$name.png"
  bmp="$dir/$name.bmp"
  rsvg-convert --width 20 --height 16 --output "$png" "$dir/$name.svg"
  # -type TrueColor keeps 24 bits per pixel even when few colours are used (no palette);
  # BMP3 is the plain BITMAPINFOHEADER format that LoadBitmap reads on every Windows.
  convert "$png" -background 'rgb(160,255,255)' -flatten -type TrueColor "BMP3:$bmp"
  count=$((count + 1))
done
echo "wrote $count bitmaps to $dir"
