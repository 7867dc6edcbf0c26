#!/usr/bin/env bash
# The start-up time of Tempoline.exe to a visible day page under Wine on a virtual display, against
# a bare window of the same size and styles: each started 5 times (after one warm-up start), the
# medians in milliseconds. The time includes Wine's start of a process, so only the ratio means
# something; the settings are the defaults (a fresh prefix, nothing stored).
#   scripts/startup-time.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-5}
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Tempoline startup_probe bare_window >/dev/null
prefix=$root/build-win/wineprefix-startup
[ -d "$prefix/drive_c" ] || scripts/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -k 2>/dev/null || true
wineserver -w
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  runs=$1
  wineserver -p
  probe=build-win/bench/windows/startup_probe.exe
  median() { sort -n | awk "{v[NR]=\$1} END{print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}"; }
  measure() {
    wine "$probe" "$@" >/dev/null 2>&1 || true
    for i in $(seq 1 "$runs"); do wine "$probe" "$@" | tr -d "\r"; done
  }
  calendar=$(measure build-win/Tempoline.exe TempolineDayPage | median)
  bare=$(measure build-win/bench/windows/bare_window.exe TempolineBareWindow | median)
  echo "day page ${calendar} ms, bare window ${bare} ms (medians of $runs starts)"
  awk -v c="$calendar" -v b="$bare" "BEGIN{printf \"ratio %.2f\n\", c/b}"
  wineserver -k' sh "$runs"
