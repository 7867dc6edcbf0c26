#!/usr/bin/env bash
# Makes a fresh Wine prefix for running and testing the Windows program: `wineboot -i`, then the
# Chinese fonts the windows ask for ("宋体", "楷体_GB2312") mapped to an installed CJK font, so that
# the windows and their screenshots show what a Chinese user sees.
#   scripts/wine-prefix.sh PREFIX [--unmanaged]
# --unmanaged (for the tests): no window manager runs on the virtual display, and a window that
# Wine's X11 driver counts as managed waits 2 s for one whenever it is hidden or destroyed; an
# unmanaged window does not wait (Wine then draws the captions itself).
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX [--unmanaged]}
unmanaged=${2:-}
export WINEPREFIX=$prefix WINEDEBUG=-all
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
font="WenQuanYi Zen Hei Sharp"  # its 12-pixel bitmaps read like SimSun
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "宋体" "SimSun" "新宋体" "NSimSun" "楷体_GB2312" "KaiTi_GB2312" "楷体" "KaiTi"; do
  wine reg add "$key" /v "$face" /t REG_SZ /d "$font" /f >/dev/null 2>&1
done
if [ "$unmanaged" = --unmanaged ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
fi
wineserver -w
