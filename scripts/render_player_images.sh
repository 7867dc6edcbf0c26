#!/usr/bin/env bash
# Renders the image buttons of the music player into resources/player/*.bmp.
#
#   scripts/render_player_images.sh [PNG_DIR]
#
# Each resources/player/NAME.svg is drawn on a 20x16 pixel grid. It becomes NAME.bmp (100 %, 20x16
# pixels), NAME_150.bmp (150 %, 30x24) and NAME_200.bmp (200 %, 40x32): 24-bit Windows bitmaps (BMP3,
# no alpha) flattened onto the light cyan RGB(160,255,255) of the player's skin so the buttons blend
# into it. The player draws the one nearest to the scale of its monitor. The resource script embeds
# them as CTL_SOUND, CTL_SOUND_150, CTL_SOUND_200, and so on for CTL_MUTE, CTL_LYRIC, CTL_NOLRC,
# CTL_LIST and CTL_NOLIST. At 100 % and 200 % the drawing's pixels fall on whole pixels and keep their
# crisp edges; at 150 % a drawing pixel covers one and a half, so it is rendered smoothly instead.
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
  for scale in 100 150 200; do
    suffix=""
    [ "$scale" -eq 100 ] || suffix="_$scale"
    png="$png_dir/$name$suffix.png"
    bmp="$dir/$name$suffix.bmp"
    svg="$dir/$name.svg"
    if [ "$scale" -eq 150 ]; then
      svg="$png_dir/$name-smooth.svg"
      sed 's/ shape-rendering="crispEdges"//' "$dir/$name.svg" >"$svg"
    fi
    rsvg-convert --width $((20 * scale / 100)) --height $((16 * scale / 100)) --output "$png" "$svg"
    # -type TrueColor keeps 24 bits per pixel even when few colours are used (no palette);
    # BMP3 is the plain BITMAPINFOHEADER format that LoadBitmap reads on every Windows.
    convert "$png" -background 'rgb(160,255,255)' -flatten -type TrueColor "BMP3:$bmp"
    count=$((count + 1))
  done
done
echo "wrote $count bitmaps to $dir"
