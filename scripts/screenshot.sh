#!/usr/bin/env bash
# Starts the editor in a virtual X server, adds the sample pictures through its own
# file dialog with the keyboard, and saves a screenshot of the main window as
# docs/editor.png (or the file given).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/editor.png}
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target vistrel
scripts/make-samples.sh out/samples
mkdir -p "$(dirname "$out")"

# Xvfb picks a free display and tells its number through a pipe.
exec {numbers}< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfb <&"$numbers"
read -r display <&"$numbers"
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"

# Waits up to 60 s for a command to succeed.
wait_for() {
  for _ in $(seq 600); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "timed out waiting for: $*" >&2
  return 1
}
wait_for xdpyinfo

# The screenshot's settings stay beside it, not in the user's store.
export VISTREL_REGISTRY_FILE="$PWD/out/screenshot-settings.reg"
rm -f "$VISTREL_REGISTRY_FILE"
build/editor/vistrel &
app=$!
wait_for xdotool search --name '^JPG Images to AVI Video$'
window=$(xdotool search --name '^JPG Images to AVI Video$' | head -1)
xdotool windowfocus --sync "$window"

# "Add Picture..." is the top-right button of the Editor tab; its dialog takes the names typed.
xdotool mousemove --window "$window" 688 58 click 1
wait_for xdotool search --onlyvisible --name '^Add Image$'
dialog=$(xdotool search --onlyvisible --name '^Add Image$' | head -1)
xdotool windowfocus --sync "$dialog"
names=""
for f in out/samples/*.jpg; do names+="\"$PWD/$f\" "; done
xdotool type --delay 2 "$names"
xdotool key Return
wait_for bash -c "! xdotool search --onlyvisible --name '^Add Image$'"

# A click on the second entry shows it on the monitor; the click is repeated until
# the monitor's centre shows the picture rather than the grey of the multiple
# selection (a click while the pictures are still being added does nothing).
monitor_shows_picture() {
  xdotool mousemove --window "$window" 60 130 click 1
  import -window "$window" "$out"
  [ "$(convert "$out" -format '%[pixel:p{470,180}]' info:)" != "srgb(128,128,128)" ]
}
wait_for monitor_shows_picture
echo "Wrote $out"
