#!/usr/bin/env bash
# The release of Tempoline, into dist/:
#   dist/Tempoline-VERSION-win64.zip  Tempoline.exe and tempo.exe (MinGW-w64, static), 说明.txt,
#                                     the licence and the licence texts of every library linked in
#   dist/tempoline_VERSION_amd64.deb  tempo and tempoline-web for Debian, their manual pages, and
#                                     tempoline-web as a systemd service
#   dist/winget/                      the winget manifests of the zip (packaging/winget/ with the
#                                     version, the date and the zip's SHA-256 filled in)
#
#   scripts/package.sh           builds both
#   scripts/package.sh --check   builds both, then checks them as a user and CI would:
#     - the Windows programs built a second time from the same commit, in another folder (its path
#       with Chinese and blanks), give a byte-identical archive;
#     - the archive unzipped into a folder whose path has Chinese and blanks, under a fresh Wine
#       prefix: tempo.exe day 2024-02-10 answers, Tempoline.exe opens its window;
#     - the winget manifests hold what winget wants and the zip's hash (tests/winget_test.py);
#     - lintian finds no error and no warning in the Debian package, nor a hardening tag; the
#       Windows programs have address randomisation, no-execute data and stack canaries;
#     - the Debian package's copyright carries the licence of every library compiled in, and the
#       package made again under umask 077 and the C locale, in a folder with Chinese and a blank,
#       has the same entries and modes (tests/deb_package_test.py);
#     - the Debian package installs with dpkg -i (as root) where a tempoline-web group was left
#       behind without its user, tempo day 2024-02-10 and tempoline-web --help run from it, man
#       tempo shows its Chinese, and it is purged again, leaving its system user.
#
# The archive is made from the committed tree (git archive HEAD), so that it is exactly a commit:
# the programs are linked without a time stamp (-Wl,--no-insert-timestamp) and without the paths of
# the build (-ffile-prefix-map), and every entry of the zip has the commit's time
# (SOURCE_DATE_EPOCH), the same attributes and a fixed order. The Debian package is made from the
# native build directory build/ of the working tree.
set -euo pipefail
# One locale whatever the caller's: UTF-8, which the folders' Chinese names need (in the C locale
# cpack's archiver cannot read them, and unzip would change the names of the archive's files).
export LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
check=false
case "${1:-}" in
  --check) check=true ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--check]" >&2; exit 2 ;;
esac
jobs=${JOBS:-$(nproc)}
version=$(sed -n 's/^project(Tempoline VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct HEAD)}
work=$root/build-package
zip_name=Tempoline-$version-win64.zip
mkdir -p dist "$work"

# Builds the Windows programs of the commit in folder $1 and makes the archive $2 from them.
build_archive() {
  local tree=$1 archive=$2
  rm -rf "$tree"
  mkdir -p "$tree/src"
  git archive "$commit" | tar -x -C "$tree/src"
  cmake -S "$tree/src" -B "$tree/build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTEMPO_TESTS=OFF -DTEMPO_BENCHMARKS=OFF >/dev/null
  cmake --build "$tree/build" --target Tempoline tempo -j "$jobs" >"$tree/build.log" 2>&1 ||
    { tail -30 "$tree/build.log"; exit 1; }
  local stage=$tree/stage
  rm -rf "$stage"
  mkdir -p "$stage/licenses"
  for exe in Tempoline.exe tempo.exe; do
    x86_64-w64-mingw32-strip -o "$stage/$exe" "$tree/build/$exe"
  done
  # Text for Windows: UTF-8 with a byte-order mark (Notepad of every Windows reads it), CR LF.
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$tree/src/packaging/windows-readme.txt"; } >"$stage/说明.txt"
  sed 's/$/\r/' "$tree/src/LICENSE" >"$stage/LICENSE.txt"
  # The libraries linked into the programs, as Debian's MinGW-w64 and header packages name their
  # licences: the GCC runtime (libstdc++, libgcc, libssp: GPL 3 with the GCC Runtime Library Exception),
  # the MinGW-w64 runtime and winpthreads, and in tempo.exe CLI11 and nlohmann/json.
  local doc=/usr/share/doc
  for pair in "gcc-runtime:gcc-mingw-w64-x86-64-posix-runtime" "mingw-w64-runtime:mingw-w64-x86-64-dev" \
              "CLI11:libcli11-dev" "nlohmann-json:nlohmann-json3-dev"; do
    sed 's/$/\r/' "$doc/${pair#*:}/copyright" >"$stage/licenses/${pair%%:*}.txt"
  done
  sed 's/$/\r/' /usr/share/common-licenses/GPL-3 >"$stage/licenses/GPL-3.txt"
  python3 - "$archive" "Tempoline-$version" "$SOURCE_DATE_EPOCH" "$stage" <<'PY'
import os, sys, time, zipfile
archive, top, epoch, stage = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
# Zip times are local DOS times from 1980 on: the commit's time in UTC, the same on every machine.
stamp = time.gmtime(max(epoch, 315532800))[:6]
names = sorted(os.path.relpath(os.path.join(d, f), stage).replace(os.sep, "/")
               for d, _, files in os.walk(stage) for f in files)
with zipfile.ZipFile(archive + ".part", "w") as z:
    for name in names:
        info = zipfile.ZipInfo(top + "/" + name, stamp)
        # Made on Windows NTFS: attributes of Windows, no owner or mode of this machine, and the
        # UTF-8 names (flag 11) read as such, where unzip takes the names of a FAT archive as
        # code page 437.
        info.create_system = 10
        info.external_attr = 0x20       # "archive", as Windows sets it on a new file
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
os.replace(archive + ".part", archive)
PY
}

echo "== the Windows archive of $commit"
build_archive "$work/first" "dist/$zip_name"
unzip -l "dist/$zip_name"

echo "== the winget manifests"
sha256=$(sha256sum "dist/$zip_name" | cut -d" " -f1 | tr a-f A-F)
release_date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
rm -rf dist/winget
mkdir -p dist/winget
for manifest in packaging/winget/*.yaml; do
  sed -e "s/@VERSION@/$version/g" -e "s/@SHA256@/$sha256/g" -e "s/@DATE@/$release_date/g" "$manifest" \
    >"dist/winget/$(basename "$manifest")"
done
ls dist/winget

# Makes the Debian package of build/ in folder $1. cpack's archiver reads the paths through the
# locale, and in the C locale it cannot read a path with Chinese in it: UTF-8 whatever the caller's.
make_deb() {
  rm -rf "$1"
  (cd build && LC_ALL=C.UTF-8 cpack -G DEB -B "$1" >/dev/null)
}

echo "== the Debian package"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target tempo tempoline-web man_pages package_changelog -j "$jobs"
make_deb "$root/build/cpack"
deb=tempoline_${version}_$(dpkg --print-architecture).deb
cp "build/cpack/$deb" "dist/$deb"
dpkg-deb -c "dist/$deb"

if ! $check; then
  echo "== dist/$zip_name and dist/$deb"
  exit 0
fi

echo "== the winget manifests against the zip"
python3 tests/winget_test.py dist "$version"

echo "== lintian"
# Every tag is shown (information included); an error or a warning fails the check.
lintian --info --display-info --fail-on error,warning "dist/$deb" | tee "$work/lintian.txt"
# The programs are hardened (fortified functions, stack canaries, relocations read-only and bound
# at once): lintian's hardening tags, information though they are, fail the check.
if grep "hardening-" "$work/lintian.txt"; then
  echo "lintian finds the programs of the Debian package not hardened" >&2
  exit 1
fi
echo "lintian: no error, no warning, no hardening tag"

echo "== the Debian package's licences, and its modes made under umask 077 in the C locale"
(umask 077 && LC_ALL=C make_deb "$work/打包 二")
python3 tests/deb_package_test.py "dist/$deb" "$work/打包 二/$deb" build

echo "== the Windows programs: address randomisation (64-bit), no-execute data, stack canaries"
for exe in Tempoline.exe tempo.exe; do
  flags=$(x86_64-w64-mingw32-objdump -p "$work/first/stage/$exe" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
  # HIGH_ENTROPY_VA 0x20, DYNAMIC_BASE 0x40, NX_COMPAT 0x100
  if (( (0x$flags & 0x160) != 0x160 )); then
    echo "$exe: DllCharacteristics $flags lacks high-entropy ASLR, dynamic base or NX" >&2
    exit 1
  fi
  grep -q "stack smashing detected" "$work/first/stage/$exe" ||
    { echo "$exe has no stack protector (libssp)" >&2; exit 1; }
done
echo "hardened: Tempoline.exe and tempo.exe"

echo "== reproducible: the same commit built again elsewhere gives the same archive"
build_archive "$work/第二 份" "$work/second.zip"
if ! cmp "dist/$zip_name" "$work/second.zip"; then
  echo "the archives of two builds of $commit differ" >&2
  exit 1
fi
echo "identical: $(sha256sum "dist/$zip_name")"

echo "== the archive as a user has it: unzipped into a folder with Chinese and blanks, a fresh Wine prefix"
user="$work/用户 的 下载"
rm -rf "$user"
mkdir -p "$user"
unzip -q "dist/$zip_name" -d "$user"
programs=$user/Tempoline-$version
for f in Tempoline.exe tempo.exe 说明.txt LICENSE.txt licenses/CLI11.txt licenses/GPL-3.txt; do
  [ -f "$programs/$f" ] || { echo "the archive lacks $f" >&2; exit 1; }
done
prefix=$work/wineprefix
scripts/wine-prefix.sh "$prefix" --unmanaged
export WINEPREFIX=$prefix WINEDEBUG=-all
day=$(cd "$programs" && wine tempo.exe day 2024-02-10)
echo "$day"
grep -q "正月初一" <<<"$day" || { echo "tempo.exe day 2024-02-10 did not answer" >&2; exit 1; }
# 说明.txt names every command tempo.exe has.
for command in $(cd "$programs" && wine tempo.exe --help | sed -n 's/^  \([a-z][a-z-]*\)  .*/\1/p'); do
  grep -qw -- "$command" "$programs/说明.txt" || { echo "说明.txt does not name tempo.exe $command" >&2; exit 1; }
done
# Tempoline.exe from its folder, on a virtual display: its window (橙鹿日历) must appear. The Wine
# server of tempo.exe, started without the display, must end first, or it keeps the windows off it.
wineserver -w
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  cd "$1" && wine Tempoline.exe &
  for i in $(seq 60); do
    if xdotool search --onlyvisible --class "tempoline.exe" >/dev/null 2>&1; then
      sleep 2; import -window root "$2"; wineserver -k; exit 0
    fi
    sleep 1
  done
  wineserver -k; exit 1' sh "$programs" "$work/archive-screenshot.png" ||
  { echo "Tempoline.exe started from the archive showed no window" >&2; exit 1; }
echo "Tempoline.exe showed its window ($work/archive-screenshot.png)"

echo "== the Debian package installs and runs, where a tempoline-web group was left without its user"
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
if getent passwd tempoline-web >/dev/null; then $sudo userdel tempoline-web; fi
getent group tempoline-web >/dev/null || $sudo groupadd --system tempoline-web
$sudo dpkg -i "dist/$deb"
trap '$sudo dpkg --purge tempoline >/dev/null || true' EXIT
[ "$(id -gn tempoline-web)" = tempoline-web ] ||
  { echo "the service's user is not in the tempoline-web group that was there" >&2; exit 1; }
day=$(/usr/bin/tempo day 2024-02-10)
echo "$day"
grep -q "正月初一" <<<"$day" || { echo "the installed tempo day 2024-02-10 did not answer" >&2; exit 1; }
/usr/bin/tempoline-web --help >/dev/null
test -f /usr/share/man/man1/tempo.1.gz && test -f /usr/share/man/man1/tempoline-web.1.gz
LC_ALL=C.UTF-8 MANPAGER=cat man tempo | grep -q "妈妈生日" || { echo "man tempo does not show its Chinese" >&2; exit 1; }
test -f /usr/share/doc/tempoline/changelog.gz
getent passwd tempoline-web >/dev/null
grep -q '^TEMPOLINE_WEB_PORT=' /etc/default/tempoline-web
systemd-analyze verify /usr/lib/systemd/system/tempoline-web.service 2>&1 | grep -v "man tempoline-web" || true
$sudo dpkg --purge tempoline
trap - EXIT
# Purge leaves the system user (and its group), as Debian's policy advises: files it owned may remain.
getent passwd tempoline-web >/dev/null || { echo "purge removed the system user" >&2; exit 1; }
echo "== the release checks passed: dist/$zip_name, dist/$deb"
