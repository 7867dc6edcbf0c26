#!/usr/bin/env bash
# The steps of Tempoline.exe's start under Wine on a virtual display: a build with the start-up
# marks (CMake option TEMPO_STARTUP_TRACE, win/startup_trace.h) is started on the day page, on the
# month page, and the bare window of scripts/startup-time.sh with the same marks, in turn, RUNS
# times each (after one warm-up start each); for every mark the median of its milliseconds since
# the process was created, and the median time from the mark before.
# The settings are the defaults (a fresh prefix, nothing stored).
#   scripts/startup-profile.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-9}
cmake -S . -B build-win-trace -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTEMPO_STARTUP_TRACE=ON -DTEMPO_TESTS=OFF >/dev/null
cmake --build build-win-trace -j "$(nproc)" --target Tempoline startup_probe bare_window >/dev/null
prefix=$root/build-win-trace/wineprefix-startup
[ -d "$prefix/drive_c" ] || scripts/wine-prefix.sh "$prefix"
marks=$(mktemp -d)
trap 'rm -rf "$marks"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -k 2>/dev/null || true
wineserver -w
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  runs=$1 marks=$2
  wineserver -p
  probe=build-win-trace/bench/windows/startup_probe.exe
  for round in warm-up $(seq 1 "$runs"); do
    for start in day:Tempoline.exe:TempolineDayPage: month:Tempoline.exe:TempolineMonthPage:/M \
                 bare:bench/windows/bare_window.exe:TempolineBareWindow:; do
      name=${start%%:*} rest=${start#*:}
      program=${rest%%:*} rest=${rest#*:}
      class=${rest%%:*} switch=${rest#*:}
      file=$marks/$name.txt
      [ "$round" = warm-up ] && file=$marks/warm-up.txt
      TEMPO_STARTUP_TRACE="Z:$file" wine "$probe" "build-win-trace/$program" "$class" $switch >/dev/null 2>&1 || true
    done
  done
  wineserver -k' sh "$runs" "$marks"
# One block of marks per start, blank lines between: the median of each mark over the starts.
for name in day month bare; do
  echo "$name (medians of $runs starts; ms since the process was created, ms of the step)"
  awk '
    { sub(/\r$/, "") }
    NF == 0 { run++; i = 0; next }
    { i++; ms = $1; $1 = ""; step[i] = substr($0, 2); value[i, run] = ms; if (i > steps) steps = i; runs_of[i]++ }
    END {
      previous = 0
      for (s = 1; s <= steps; s++) {
        n = 0
        for (r = 0; r < run; r++) if ((s, r) in value) v[++n] = value[s, r] + 0
        for (a = 2; a <= n; a++) { x = v[a]; b = a - 1; while (b > 0 && v[b] > x) { v[b + 1] = v[b]; b-- } v[b + 1] = x }
        m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        printf "%7.1f %6.1f  %s\n", m, m - previous, step[s]
        previous = m
      }
    }' "$marks/$name.txt"
done
