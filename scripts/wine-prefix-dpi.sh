#!/usr/bin/env bash
# Makes a copy of a Wine prefix whose display has another DPI, for running the windows as on a
# screen scaled to 150 % (144 DPI) or 200 % (192 DPI): the prefix's LogPixels, which a program that
# declares itself DPI-aware sees as the DPI of the monitor.
#   scripts/wine-prefix-dpi.sh BASE PREFIX DPI
# BASE is a prefix made by scripts/wine-prefix.sh. Its system DLLs (most of its size, never written)
# are linked, not copied; the rest (the registry, the user's folders) is copied.
set -euo pipefail
base=${1:?usage: wine-prefix-dpi.sh BASE PREFIX DPI}
prefix=${2:?usage: wine-prefix-dpi.sh BASE PREFIX DPI}
dpi=${3:?usage: wine-prefix-dpi.sh BASE PREFIX DPI}
[ -d "$base/drive_c" ] || { echo "wine-prefix-dpi.sh: $base is no Wine prefix" >&2; exit 1; }
# The base prefix's server writes its registry when it ends: wait for that.
WINEPREFIX=$base wineserver -w || true
rm -rf "$prefix"
mkdir -p "$prefix"
tar -C "$base" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$prefix" -xf -
cp -al "$base/drive_c/windows/system32" "$prefix/drive_c/windows/system32"
export WINEPREFIX=$prefix WINEDEBUG=-all
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
