#!/usr/bin/env bash
# Installs what is missing, builds, and times Vistrel against the ffmpeg command line;
# with --scripts [PICTURES], times saving and opening a script instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ "${1:-}" = "--scripts" ]; then  # saving and opening a script of many pictures instead
  cmake --build build -j "$(nproc)" --target vistrel_script_bench
  exec build/bench/vistrel_script_bench "${@:2}"
fi
cmake --build build -j "$(nproc)" --target vistrel_bench
exec /usr/bin/python3 scripts/benchmark.py
