#!/usr/bin/env bash
# Screenshots of the windows of Tempoline.exe under Wine on a virtual display, for looking at:
# build-win/screenshots/*.png: the day page (plain, with a background picture, with era names), the
# popup menu, the month page, the almanac, both pages on a public holiday, a table, the local-coordinates dialog, the help window, a date tool,
# the personal days of today (the day page's tooltip, the month panel), their editor and the alarms.
#   scripts/screenshots.sh [--dpi DPI] [NAME ...]   only the shots of these names (day-page-default, ...)
# --dpi 144 or 192: the display as a screen scaled to 150 % or 200 % (the prefix's DPI, a virtual
# screen as much larger), the shots saved as NAME-DPI.png; the points the actions click are given
# at 96 DPI and scaled.
set -euo pipefail
dpi=96
if [ "${1:-}" = --dpi ]; then
  dpi=${2:?--dpi needs a DPI}
  shift 2
fi
only=" $* "
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Tempoline
out=$root/build-win/screenshots
mkdir -p "$out"
prefix=$root/build-win/wineprefix-shots
scripts/wine-prefix.sh "$prefix"
suffix=""
if [ "$dpi" != 96 ]; then
  scripts/wine-prefix-dpi.sh "$prefix" "$prefix-$dpi" "$dpi"
  prefix=$prefix-$dpi
  suffix=-$dpi
fi
screen="$((1024 * dpi / 96))x$((768 * dpi / 96))"
export WINEPREFIX=$prefix WINEDEBUG=-all SHOT_DPI=$dpi
# No sound card on a virtual display: ALSA's default device of this HOME swallows what is played,
# so that the music player can open its files.
export HOME=$root/build-win/shots-home
mkdir -p "$HOME"
printf 'pcm.!default {\n  type file\n  slave.pcm "null"\n  file "/dev/null"\n  format "raw"\n}\n' >"$HOME/.asoundrc"
convert -size 260x150 gradient:'#ffd8a0'-'#ff8c1a' -fill '#ffffff80' -draw 'circle 200,40 230,40' BMP3:"$out/background.bmp"

# shot NAME TITLE ARGUMENTS ACTION [registry values NAME=VALUE ...]: start the program with these
# settings and arguments, wait for its first window, do ACTION, then photograph the window titled
# TITLE. ACTION: "" nothing; "menu" a right click on the window, which opens the popup menu (the
# whole screen is photographed); "menu:KEYS" the same, then the keys of the menu items to choose
# (their underlined letters), opening the window titled TITLE; "hover:X,Y" the pointer resting at
# X,Y of the window, whose tooltip then shows (the whole screen is photographed); "click:X,Y;X,Y"
# left clicks at those points of the window, then 3 s to settle ("clickscreen:..." the same, the
# whole screen photographed); "key:K1;K2" those keys pressed. A registry value
# named SUBKEY\NAME goes into that subkey of the program's key.
shot() {
  local name=$1 title=$2 arguments=$3 action=$4
  shift 4
  [ "$only" = "  " ] || [[ $only == *" $name "* ]] || return 0
  wine reg delete 'HKCU\Software\Tempoline' /f >/dev/null 2>&1 || true
  if [ $# -gt 0 ]; then
    wine reg add 'HKCU\Software\Tempoline' /v Version /t REG_SZ /d 4.2 /f >/dev/null
    for kv in "$@"; do
      local value=${kv%%=*} key='HKCU\Software\Tempoline'
      if [[ $value == *\\* ]]; then key="$key\\${value%%\\*}" value=${value#*\\}; fi
      wine reg add "$key" /v "$value" /t REG_SZ /d "${kv#*=}" /f >/dev/null
    done
  fi
  # A Wine server started without a display would keep the program's windows off the virtual one.
  wineserver -k || true
  wineserver -w
  xvfb-run -a -s "-screen 0 ${screen}x24" sh -c '
    # A point of a window at 96 DPI, at the display'"'"'s DPI: "x y".
    at() { echo "$((${1%,*} * SHOT_DPI / 96)) $((${1#*,} * SHOT_DPI / 96))"; }
    find_window() {
      for i in $(seq 1 60); do
        sleep 1
        id=$(xwininfo -root -tree | grep "\"$1\"" | awk "{print \$1}" | head -n 1)
        [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable && return
      done
      id=""
    }
    ${SHOT_TIME:+faketime "$SHOT_TIME"} wine build-win/Tempoline.exe $3 &
    case "$4" in menu*) find_window 橙鹿日历 ;; *) find_window "$2" ;; esac
    sleep 2
    case "$4" in
      menu*)
        xdotool mousemove --window "$id" $(at 60,40) click 3
        sleep 2
        keys=${4#menu}
        keys=${keys#:}
        if [ -n "$keys" ]; then
          for key in $(echo "$keys" | sed "s/./& /g"); do xdotool key "$key"; sleep 1; done
          find_window "$2"
          sleep 2
        fi
        ;;
      click*:*)
        for position in $(echo "${4#*:}" | tr ";" " "); do
          xdotool mousemove --window "$id" $(at "$position") click 1
          sleep 1
        done
        sleep 3
        ;;
      key:*)
        for key in $(echo "${4#key:}" | tr ";" " "); do xdotool key "$key"; sleep 1; done
        sleep 3
        ;;
      hover:*)
        position=${4#hover:}
        xdotool mousemove --window "$id" $(at "$position")
        sleep 3
        ;;
    esac
    if [ "$4" = menu ] || [ "${4%%:*}" = hover ] || [ "${4%%:*}" = clickscreen ] || [ -z "$id" ]; then
      [ -z "$id" ] && echo "the window did not appear; the whole screen is saved" >&2
      import -window root "$1"
    else
      geometry=$(xwininfo -id "$id" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4} /Width/{w=\$2} /Height/{h=\$2} END{print w\"x\"h\"+\"x\"+\"y}")
      import -window root -crop "$geometry" +repage "$1"
    fi
    wineserver -k' sh "$out/$name$suffix.png" "$title" "$arguments" "$action"
  echo "$out/$name$suffix.png"
}

shot day-page-default 橙鹿日历 "" ""
shot day-page-picture 橙鹿日历 "" "" "DFORMBackBitmapName=Z:${out//\//\\}\\background.bmp"
shot day-page-era-names 橙鹿日历 "" "" DFORMShowDynastyFlag=1 DFORMShowInfoTypeFlag=1 NowProvIndex=5 NowCityIndex=1
shot popup-menu 橙鹿日历 "" menu
shot month-page 橙鹿月历 /M ""
shot solar-terms-table "橙鹿万年历：计算节气日" /U/T ""
shot local-coordinates 本地坐标 "" menu:l
shot help 帮助 "" menu:h
shot date-tools-interval "橙鹿万年历：计算间隔日" /U/I ""

# The almanac 黄历 of 2024-02-10 (正月初一) alone (/H), with the wedding days (结婚) of the next 30
# days chosen (its 查找 button pressed), and opened from the popup menu beside the day page.
export SHOT_TIME="2024-02-10 10:00:00"
shot almanac 黄历 /H "click:415,445"
shot almanac-from-menu 黄历 "" menu:y
unset SHOT_TIME

# The public holidays of February 2026 (the clock set to the first day of 春节's span): 休 from
# 02-15 to 02-23, 班 on 02-14 and 02-28.
export SHOT_TIME="2026-02-15 10:00:00"
shot holidays-day-page 橙鹿日历 "" ""
shot holidays-month-page 橙鹿月历 /M ""
unset SHOT_TIME

# The personal days of today: a Gregorian memorial, a reminder and the countdown to New Year's Day.
today=$(date +%m-%d)
year=$(date +%Y)
pad() { printf '%*s%s' $((20 - $(printf '%s' "$1" | iconv -t GBK | wc -c))) '' "$1"; }
personal=("SolarMemorial\\$today=AD2016$(pad 结婚纪念日) "
          "SolarMemorial\\05-12=AD1990$(pad 妈妈生日) "
          "LunarMemorial\\08-15=AD2020$(pad 全家团圆) "
          "SolarReminded\\A=AD$today-$year$(pad 交水电费) "
          "SolarReminded\\B=AD12-31-$year$(pad 年终总结) "
          "MyCountdownDay=AD01-01-$((year + 1))元旦")
shot day-page-personal-tooltip 橙鹿日历 "" hover:120,99 "${personal[@]}"
shot month-page-personal 橙鹿月历 /M "" "${personal[@]}"
shot memorial-editor 编辑纪念日 "" menu:ue "${personal[@]}"
shot reminder-editor 编辑提醒日 "" menu:ur "${personal[@]}"
shot alarm-editor 编辑闹钟 "" menu:ua OpenAlarmClockAFlag=1 DefiniteAlarmATime=450 DefiniteAlarmASoundIndex=2

# The music player on two generated sounds with a lyric file: before it plays, paused, and playing
# with its lyrics in each of the four styles (the scrolling list with the play list shown).
audio=$out/audio
mkdir -p "$audio"
sox -q -n -r 44100 -c 2 "$audio/晨曲.wav" synth 30 sine 440 vol 0.3
sox -q -n -r 44100 -c 2 "$audio/夜曲.wav" synth 20 sine 660 vol 0.3
printf '[ti:晨曲]\r\n[00:00.50]清晨的第一缕阳光\r\n[00:20.00]照在窗前\r\n' | iconv -f UTF-8 -t GBK >"$audio/晨曲.lrc"
songs="Z:${audio//\//\\}\\晨曲.wav|Z:${audio//\//\\}\\夜曲.wav|"
shot music-player-idle 橙鹿音乐 /A "" "HistoryAudioList=$songs"
shot music-player-paused 橙鹿音乐 /A "click:50,84;50,84" "HistoryAudioList=$songs"
shot music-player-tooltip 橙鹿音乐 /A "clickscreen:50,84" "HistoryAudioList=$songs" ShowLyricWindowFlag=0
shot music-player-list-scrolling 橙鹿音乐 /A "clickscreen:50,84;78,57" "HistoryAudioList=$songs" ShowLyricWindowFlag=1
shot music-player-karaoke 橙鹿音乐 /A "clickscreen:50,84" "HistoryAudioList=$songs" ShowLyricWindowFlag=2
shot music-player-double-karaoke 橙鹿音乐 /A "clickscreen:50,84" "HistoryAudioList=$songs" ShowLyricWindowFlag=3
# A lyric file in UTF-8, as most are today, with a line in Korean, which GBK lacks (shown as "?").
sox -q -n -r 44100 -c 2 "$audio/月亮.wav" synth 20 sine 523 vol 0.3
printf '[ti:月亮代表我的心]\r\n[00:00.50]你问我爱你有多深 我爱你有几分\r\n[00:10.00]사랑해요 月亮代表我的心\r\n' >"$audio/月亮.lrc"
moon="Z:${audio//\//\\}\\月亮.wav|$songs"
shot music-player-utf8-karaoke 橙鹿音乐 /A "clickscreen:50,84" "HistoryAudioList=$moon" ShowLyricWindowFlag=2
shot music-player-utf8-double-karaoke 橙鹿音乐 /A "clickscreen:50,84;78,57;40,133" "HistoryAudioList=$moon" ShowLyricWindowFlag=3
# Four songs in the play list, shown: every row whole at every DPI. Then playing with the scrolling
# lyric window, which stands beside the player and leaves its list free.
sox -q -n -r 44100 -c 2 "$audio/星空.wav" synth 20 sine 587 vol 0.3
four="${songs}Z:${audio//\//\\}\\月亮.wav|Z:${audio//\//\\}\\星空.wav|"
shot music-player-four-songs 橙鹿音乐 /A "click:78,57" "HistoryAudioList=$four"
shot music-player-beside-list 橙鹿音乐 /A "clickscreen:78,57;50,84" "HistoryAudioList=$four" ShowLyricWindowFlag=1

# The weather viewer filled from tempoline-web's demonstration forecast for 上海 市区, and the help
# window naming the newer version the service offers.
wanted() { [ "$only" = "  " ] || [[ $only == *" $1 "* ]]; }
if wanted weather-viewer || wanted help-new-version || wanted holidays-update; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j "$(nproc)" --target tempoline-web >/dev/null
  # On a port the kernel chose free, read back from the service's first log line.
  web_log=$(mktemp)
  build/tempoline-web --address 127.0.0.1 --port 0 --source "file:$root/web/demo-forecast.json" \
    --version-offered 4.3 >/dev/null 2>"$web_log" &
  web=$!
  host=""
  for i in $(seq 1 100); do
    host=$(sed -n 's/.*listening on \(127\.0\.0\.1:[0-9][0-9]*\),.*/\1/p' "$web_log" | head -n 1)
    [ -n "$host" ] && break
    kill -0 "$web" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$host" ]; then
    echo "screenshots.sh: tempoline-web did not start:" >&2
    cat "$web_log" >&2
    exit 1
  fi
  shot weather-viewer 橙鹿天气 /W "key:Return" "WebHost=$host" NowProvIndex=2 NowCityIndex=1
  shot help-new-version 帮助 "" menu:h "WebHost=$host"
  shot holidays-update 更新节假日安排 "" menu:oj "WebHost=$host"
  kill "$web"
  rm -f "$web_log"
fi

# 更新节假日安排 refusing a table whose end line does not match it: the longest reason its status
# line shows, from a server on a port the system chose.
if wanted holidays-update-refused; then
  port_file=$(mktemp)
  python3 - "$port_file" "$root/data/cn_public_holidays_2007_2026.tsv" <<'PY' &
import http.server, sys
rows = open(sys.argv[2], "rb").read().split(b"# end of table: ")[0]
body = rows + "2027-01-01\t休\t元旦\n2027-02-06\t休\t春节\n".encode() + b"# end of table: 677 rows, years 2007..2026\n"
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
open(sys.argv[1], "w").write(str(server.server_port))
server.serve_forever()
PY
  server=$!
  for i in $(seq 1 50); do [ -s "$port_file" ] && break; sleep 0.1; done
  shot holidays-update-refused 更新节假日安排 "" menu:oj "WebHost=127.0.0.1:$(cat "$port_file")"
  kill "$server"
  rm -f "$port_file"
fi
