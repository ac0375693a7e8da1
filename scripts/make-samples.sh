#!/usr/bin/env bash
# Makes the sample pictures of the demo in the folder given (default out/samples):
# JPEGs of different shapes, so that letter-boxing shows.
set -euo pipefail
dir=${1:-out/samples}
mkdir -p "$dir"
convert -seed 7 -size 1024x768 plasma:orange-purple "$dir/01-sunset.jpg"
convert -size 600x900 gradient:skyblue-navy -fill gold -draw "circle 300,300 300,180" "$dir/02-moon.jpg"
convert -size 320x135 pattern:checkerboard -scale 400% -fill "#2a7" -colorize 40 "$dir/03-wide.jpg"
convert -size 800x800 radial-gradient:white-darkred "$dir/04-glow.jpg"
convert -seed 3 -size 960x640 plasma:green-blue -blur 0x4 "$dir/05-sea.jpg"
