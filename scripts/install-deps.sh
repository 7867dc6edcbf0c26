#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian/Ubuntu machine. sox makes the
# sounds the music player's tests play; Wine's MCI plays MP3 and WAV files through GStreamer.
# libical writes the files of `tempo ics`; python3-icalendar (for /usr/bin/python3) reads them back
# in its tests. tempoline-web is Boost.Beast on Boost.Asio (libboost-dev); cpp-httplib is the
# independent client of its tests; apache2-utils brings `ab` for scripts/web-load.sh. man-db shows
# the manual pages of the Debian package in their tests, dpkg-dev and file let cpack find its
# dependencies, lintian checks the package; unzip opens the Windows archive and python3-yaml reads
# the winget manifests in the release checks; faketime sets the clock of a screenshot.
set -euo pipefail
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends \
  cmake make g++ python3 ca-certificates \
  googletest libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev \
  pkg-config libical-dev python3-icalendar libcpp-httplib-dev libboost-dev apache2-utils \
  g++-mingw-w64-x86-64-posix wine wine64 \
  clang libclang-rt-14-dev \
  xvfb xauth imagemagick xdotool fonts-wqy-zenhei faketime \
  sox libsox-fmt-mp3 gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
  man-db dpkg-dev file lintian unzip python3-yaml \
  >/dev/null
