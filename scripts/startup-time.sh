#!/usr/bin/env bash
# The start-up time of Tempoline.exe under Wine on a virtual display, against a bare window of the
# day page's size and styles: the day page, the month page (/M) and the bare window are started in
# turn, RUNS times each (after one warm-up start each), so that a change of the machine's load
# falls on all three alike. Each start gives two times in milliseconds: until the window is visible,
# and until the program first waits for input with nothing left to do (its window painted). Printed:
# the medians, the ratios of the medians to the bare window's, and the median of the ratios of the
# starts taken together. The time includes Wine's start of a process, so only the ratios mean
# something; the settings are the defaults (a fresh prefix, nothing stored).
#   scripts/startup-time.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-9}
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Tempoline startup_probe bare_window >/dev/null
prefix=$root/build-win/wineprefix-startup
[ -d "$prefix/drive_c" ] || scripts/wine-prefix.sh "$prefix"
times=$(mktemp)
trap 'rm -f "$times"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -k 2>/dev/null || true
wineserver -w
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  runs=$1
  wineserver -p
  probe=build-win/bench/windows/startup_probe.exe
  start() { wine "$probe" "$@" 2>/dev/null | tr -d "\r"; }
  for round in warm-up $(seq 1 "$runs"); do
    day=$(start build-win/Tempoline.exe TempolineDayPage)
    month=$(start build-win/Tempoline.exe TempolineMonthPage /M)
    bare=$(start build-win/bench/windows/bare_window.exe TempolineBareWindow)
    [ "$round" = warm-up ] || echo "$day $month $bare"
  done
  wineserver -k' sh "$runs" >"$times"
# One line per round: day (visible painted), month (visible painted), bare (visible painted).
awk -v runs="$runs" '
  function median(a, n,    i, j, x) {
    for (i = 2; i <= n; i++) { x = a[i]; j = i - 1; while (j > 0 && a[j] > x) { a[j + 1] = a[j]; j-- } a[j + 1] = x }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  NF == 6 {
    n++
    for (k = 1; k <= 6; k++) { v[k, n] = $k }
    r[1, n] = $1 / $5; r[2, n] = $2 / $6; r[3, n] = $3 / $5; r[4, n] = $4 / $6
  }
  END {
    if (n == 0) { print "no start measured"; exit 1 }
    for (k = 1; k <= 6; k++) { for (i = 1; i <= n; i++) a[i] = v[k, i]; m[k] = median(a, n) }
    for (k = 1; k <= 4; k++) { for (i = 1; i <= n; i++) a[i] = r[k, i]; p[k] = median(a, n) }
    printf "medians of %d starts, ms     visible  painted\n", n
    printf "  day page                  %7.1f  %7.1f\n", m[1], m[2]
    printf "  month page                %7.1f  %7.1f\n", m[3], m[4]
    printf "  bare window               %7.1f  %7.1f\n", m[5], m[6]
    printf "ratio to the bare window     visible  painted\n"
    printf "  day page                  %7.2f  %7.2f   (starts taken together: %.2f  %.2f)\n", m[1] / m[5], m[2] / m[6], p[1], p[2]
    printf "  month page                %7.2f  %7.2f   (starts taken together: %.2f  %.2f)\n", m[3] / m[5], m[4] / m[6], p[3], p[4]
  }' "$times"
