#!/usr/bin/env bash
# Installs what is missing, builds, and turns the sample pictures into out/demo.avi.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
scripts/make-samples.sh out/samples
# The demo keeps its settings beside its output instead of changing the user's.
export VISTREL_REGISTRY_FILE="$PWD/out/settings.reg"
build/console/vistrelc -x640 -y480 -f25 -d2 -t1 -q90 -o"$PWD/out/demo.avi" -i"$PWD/out/samples" </dev/null
echo "Wrote $PWD/out/demo.avi"
ffprobe -v error -show_entries stream=codec_name,width,height,nb_frames -of compact "$PWD/out/demo.avi" || true
