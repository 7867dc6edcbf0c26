#!/usr/bin/env bash
# Makes a fresh Wine prefix for running and testing the Windows program: `wineboot -i`, then the
# Chinese fonts the windows ask for ("宋体", "楷体_GB2312") mapped to an installed CJK font, so that
# the windows and their screenshots show what a Chinese user sees.
#   scripts/wine-prefix.sh PREFIX
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
font="WenQuanYi Zen Hei Sharp"  # its 12-pixel bitmaps read like SimSun
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "宋体" "SimSun" "新宋体" "NSimSun" "楷体_GB2312" "KaiTi_GB2312" "楷体" "KaiTi"; do
  wine reg add "$key" /v "$face" /t REG_SZ /d "$font" /f >/dev/null 2>&1
done
wineserver -w
