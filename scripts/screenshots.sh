#!/usr/bin/env bash
# Screenshots of the windows of Tempoline.exe under Wine on a virtual display, for looking at:
# build-win/screenshots/*.png. The day page on 2024-02-10 and today: plain, with a background
# picture, with era names.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Tempoline
out=$root/build-win/screenshots
mkdir -p "$out"
prefix=$root/build-win/wineprefix-shots
scripts/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
convert -size 260x150 gradient:'#ffd8a0'-'#ff8c1a' -fill '#ffffff80' -draw 'circle 200,40 230,40' BMP3:"$out/background.bmp"

# shot NAME TITLE ARGUMENTS ACTION [registry values NAME=VALUE ...]: start the program with these
# settings and arguments, wait for its window titled TITLE, do ACTION ("" or "menu": a right click
# on the window, which opens the popup menu), photograph the window (with the menu: the screen).
shot() {
  local name=$1 title=$2 arguments=$3 action=$4
  shift 4
  wine reg delete 'HKCU\Software\Tempoline' /f >/dev/null 2>&1 || true
  if [ $# -gt 0 ]; then
    wine reg add 'HKCU\Software\Tempoline' /v Version /t REG_SZ /d 4.2 /f >/dev/null
    for kv in "$@"; do
      wine reg add 'HKCU\Software\Tempoline' /v "${kv%%=*}" /t REG_SZ /d "${kv#*=}" /f >/dev/null
    done
  fi
  # A Wine server started without a display would keep the program's windows off the virtual one.
  wineserver -k || true
  wineserver -w
  xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    wine build-win/Tempoline.exe $3 &
    id=""
    for i in $(seq 1 60); do
      sleep 1
      id=$(xwininfo -root -tree | grep "\"$2\"" | awk "{print \$1}" | head -n 1)
      [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable && break
    done
    sleep 2
    if [ -n "$id" ]; then
      geometry=$(xwininfo -id "$id" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4} /Width/{w=\$2} /Height/{h=\$2} END{print w\"x\"h\"+\"x\"+\"y}")
      if [ "$4" = menu ]; then
        xdotool mousemove --window "$id" 60 40 click 3
        sleep 2
        import -window root "$1"
      else
        import -window root -crop "$geometry" +repage "$1"
      fi
    else
      echo "the window did not appear; the whole screen is saved" >&2
      import -window root "$1"
    fi
    wineserver -k' sh "$out/$name.png" "$title" "$arguments" "$action"
  echo "$out/$name.png"
}

shot day-page-default 橙鹿日历 "" ""
shot day-page-picture 橙鹿日历 "" "" "DFORMBackBitmapName=Z:${out//\//\\}\\background.bmp"
shot day-page-era-names 橙鹿日历 "" "" DFORMShowDynastyFlag=1 DFORMShowInfoTypeFlag=1 NowProvIndex=5 NowCityIndex=1
shot popup-menu 橙鹿日历 "" menu
shot month-page 橙鹿月历 /M ""
shot solar-terms-table "橙鹿万年历：计算节气日" /U/T ""
