#!/usr/bin/env bash
# Builds Tempoline.exe (MinGW-w64) and starts it under Wine, with tempoline-web serving its weather
# pages on 127.0.0.1. Without a display it runs on a virtual one (Xvfb), takes a screenshot after a
# few seconds (build-win/screenshot.png) and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Tempoline
prefix=$root/build-win/wineprefix-run
[ -d "$prefix/drive_c" ] || scripts/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
# The weather service on this machine, with its demonstration forecast, so that the weather viewer
# and the new-version check answer without a network; the program is pointed at it ("WebHost").
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target tempoline-web
port=18080
build/tempoline-web --address 127.0.0.1 --port "$port" --source "file:$root/web/demo-forecast.json" \
  2>build/tempoline-web.log &
web=$!
trap 'kill "$web" 2>/dev/null || true' EXIT
wine reg add 'HKCU\Software\Tempoline' /v WebHost /t REG_SZ /d "127.0.0.1:$port" /f >/dev/null 2>&1
# A Wine server started without the display would keep the program's windows off it: let it end.
wineserver -w
if [ -n "${DISPLAY:-}" ]; then
  wine build-win/Tempoline.exe "$@"
  exit
fi
echo "no display: running on a virtual one and saving build-win/screenshot.png"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wine build-win/Tempoline.exe "$@" &
  sleep 8
  import -window root build-win/screenshot.png
  wineserver -k' sh "$@"
echo "saved build-win/screenshot.png"
