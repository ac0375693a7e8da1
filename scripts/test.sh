#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: a normal build and an ASan+UBSan build;
# then the tests labelled "threaded" under ThreadSanitizer, where any race fails, and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVISTREL_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -LE slow)

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TSAN=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target vistrel_threaded_tests
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1:exitcode=66 ctest --output-on-failure -j "$jobs" -L threaded)

# Every fuzz target, built with clang, runs a bounded number of inputs.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzzers
(cd build-fuzz && ctest --output-on-failure -j "$jobs" -L fuzz)
