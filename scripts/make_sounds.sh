#!/usr/bin/env bash
# Makes the program's WAVE resources in resources/sounds/: the words of the spoken time in Mandarin
# (espeak-ng, voice cmn), a signal before speaking and the five alarm sounds (sox). The files are
# committed; run this only to make them again (needs: apt-get install espeak-ng sox).
#
# Every file is 16-bit mono PCM at 11025 Hz: small, and what every Windows plays. The words are
# cut at their silences and spoken a little faster than espeak-ng's default, so a spoken time
# ("现在时刻 十四点 三十五分") takes about four seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/resources/sounds
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
format=(-r 11025 -c 1 -b 16 -e signed-integer)

# word FILE TEXT: TEXT spoken in Mandarin, silence cut at both ends, a short pause kept after it.
word() {
  espeak-ng -v cmn -s 150 -w "$tmp/raw.wav" "$2"
  sox "$tmp/raw.wav" "${format[@]}" "$out/$1.wav" \
    silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse pad 0 0.06 norm -3
}

word time 现在时刻
digits=(零 一 二 三 四 五 六 七 八 九)
for i in "${!digits[@]}"; do word "$i" "${digits[$i]}"; done
word 10 十
word 20 二十
word 30 三十
word 40 四十
word 50 五十
word two 两
word hour 点
word minute 分

# tone FILE SECONDS SOX-EFFECTS...: a synthesised sound.
tone() {
  local file=$1 seconds=$2
  shift 2
  sox -n "${format[@]}" "$out/$file.wav" synth "$seconds" "$@" norm -3
}

# The signal before the spoken time: two soft bell notes, high then low.
sox -n "${format[@]}" "$tmp/a.wav" synth 0.35 sine 1319 fade q 0.005 0.35 0.3
sox -n "${format[@]}" "$tmp/b.wav" synth 0.5 sine 988 fade q 0.005 0.5 0.45
sox "$tmp/a.wav" "$tmp/b.wav" "${format[@]}" "$out/ring.wav" norm -3

# 电话铃: the ringing of a telephone, 440 and 480 Hz trilled at 20 Hz, two rings.
sox -n "${format[@]}" "$tmp/ring1.wav" synth 0.8 sine 440 sine 480 remix 1,2 tremolo 20 100 fade q 0.01 0.8 0.02
sox -n "${format[@]}" "$tmp/gap.wav" trim 0 0.4
sox "$tmp/ring1.wav" "$tmp/gap.wav" "$tmp/ring1.wav" "$tmp/gap.wav" "${format[@]}" "$out/alarm0.wav" norm -3

# 号角声: a horn call, a brassy chord (sawtooth) rising a fourth, three blasts.
sox -n "${format[@]}" "$tmp/h1.wav" synth 0.45 sawtooth 294 sawtooth 441 remix 1,2 vol 0.4 lowpass 1800 fade q 0.04 0.45 0.08
sox -n "${format[@]}" "$tmp/h2.wav" synth 0.9 sawtooth 392 sawtooth 588 remix 1,2 vol 0.4 lowpass 1800 fade q 0.04 0.9 0.25
sox "$tmp/h1.wav" "$tmp/h1.wav" "$tmp/h2.wav" "${format[@]}" "$out/alarm1.wav" norm -3

# 鸡叫声: a rooster's crow, a rough tone gliding up, holding and falling (喔喔喔).
sox -n "${format[@]}" "$tmp/c1.wav" synth 0.25 square 600-900 vol 0.5 lowpass 2500 fade q 0.02 0.25 0.05
sox -n "${format[@]}" "$tmp/c2.wav" synth 0.3 square 900-1000 vol 0.5 lowpass 2500 fade q 0.01 0.3 0.05
sox -n "${format[@]}" "$tmp/c3.wav" synth 0.9 square 1000-500 vol 0.5 lowpass 2500 tremolo 30 40 fade q 0.01 0.9 0.4
sox "$tmp/c1.wav" "$tmp/c2.wav" "$tmp/c3.wav" "${format[@]}" "$out/alarm2.wav" norm -3

# 锣鼓声: drum beats and a gong: low thumps (a falling sine) and a long shimmering stroke.
sox -n "${format[@]}" "$tmp/drum.wav" synth 0.25 sine 120-50 fade q 0.002 0.25 0.22
sox -n "${format[@]}" "$tmp/gong.wav" synth 1.6 sine 180 sine 263 sine 390 remix 1,2,3 tremolo 5 30 fade q 0.002 1.6 1.5
sox "$tmp/drum.wav" "$tmp/drum.wav" "$tmp/drum.wav" "$tmp/gong.wav" "${format[@]}" "$out/alarm3.wav" norm -3

# 空袭警报: an air-raid siren, a tone rising and falling between 350 and 900 Hz.
sox -n "${format[@]}" "$tmp/up.wav" synth 1.2 sine 350-900
sox -n "${format[@]}" "$tmp/down.wav" synth 1.2 sine 900-350
sox "$tmp/up.wav" "$tmp/down.wav" "$tmp/up.wav" "$tmp/down.wav" "${format[@]}" "$out/alarm4.wav" fade q 0.05 4.8 0.2 norm -3

ls -l "$out"
