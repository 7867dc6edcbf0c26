#!/usr/bin/env bash
# Builds Tempoline.exe (MinGW-w64) and starts it under Wine. Without a display it runs on a virtual
# one (Xvfb), takes a screenshot after a few seconds (build-win/screenshot.png) and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Tempoline
prefix=$root/build-win/wineprefix-run
[ -d "$prefix/drive_c" ] || scripts/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
if [ -n "${DISPLAY:-}" ]; then
  exec wine build-win/Tempoline.exe "$@"
fi
echo "no display: running on a virtual one and saving build-win/screenshot.png"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wine build-win/Tempoline.exe "$@" &
  sleep 8
  import -window root build-win/screenshot.png
  wineserver -k' sh "$@"
echo "saved build-win/screenshot.png"
