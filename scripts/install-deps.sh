#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; skips apt when all are there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  libturbojpeg0-dev libgtest-dev
  clang libclang-rt-14-dev
  imagemagick imagemagick-6-doc sox python3-pyte
  qt6-base-dev xvfb xauth xdotool x11-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
