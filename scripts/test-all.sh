#!/usr/bin/env bash
# Builds and runs every test: the native build (unit tests, table checks, tempo, benchmark smoke
# run), the core's unit tests under ThreadSanitizer, the Windows build and its tests under Wine,
# and the fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

echo "== native build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== tempo alone: the CLI-only build of docs/building.md, GoogleTest, Boost and libical kept out"
# Finding any of them is made to fail (CMAKE_DISABLE_FIND_PACKAGE_*; libical is found through
# pkg-config), so the recipe is shown to need none of them.
cmake -S . -B build-cli -DCMAKE_BUILD_TYPE=Release -DTEMPO_TESTS=OFF -DTEMPO_BENCHMARKS=OFF -DTEMPO_WEB=OFF \
  -DTEMPO_ICS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_Boost=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON --no-warn-unused-cli >/dev/null
cmake --build build-cli --target tempo -j "$jobs"
build-cli/tempo day 2024-02-10 | grep -q "正月初一" || { echo "the CLI-only tempo did not answer" >&2; exit 1; }
if build-cli/tempo --help | grep -q "^  ics "; then echo "the CLI-only tempo has libical's ics command" >&2; exit 1; fi

echo "== the core's unit tests under ThreadSanitizer (the engine's memo is shared between threads)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-fsanitize=thread \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
  -DTEMPO_CLI=OFF -DTEMPO_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan --target core_tests -j "$jobs"
# Without address randomisation: ThreadSanitizer cannot map its shadow memory on kernels with more
# random bits than it expects.
setarch "$(uname -m)" -R build-tsan/tests/core_tests --gtest_brief=1

echo "== Windows build (MinGW-w64) and tests under Wine"
# The weather viewer's tests read the native tempoline-web built above.
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTEMPO_WEB_PROGRAM="$root/build/tempoline-web" >/dev/null
cmake --build build-win -j "$jobs"
ctest --test-dir build-win --output-on-failure

echo "== fuzz targets (clang, libFuzzer, ASan, UBSan)"
scripts/gbk-tree.sh . build-fuzz/src
cmake -S build-fuzz/src -B build-fuzz/build -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTEMPO_FUZZ=ON -DTEMPO_TESTS=OFF -DTEMPO_CLI=OFF -DTEMPO_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz/build -j "$jobs"
ctest --test-dir build-fuzz/build --output-on-failure -j "$jobs"
echo "== all tests passed"
