#!/usr/bin/env bash
# Installs what is missing, builds, and times Vistrel against the ffmpeg command line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target vistrel_bench
exec /usr/bin/python3 scripts/benchmark.py
