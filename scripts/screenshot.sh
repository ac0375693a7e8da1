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

# A free display number.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"

# Waits up to 30 s for a command to succeed.
wait_for() {
  for _ in $(seq 300); do
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

# "Add Picture..." has the focus first: Space opens the dialog; type the names.
xdotool key --window "$window" space
wait_for xdotool search --name '^Add Image$'
dialog=$(xdotool search --name '^Add Image$' | head -1)
xdotool windowfocus --sync "$dialog"
names=""
for f in out/samples/*.jpg; do names+="\"$PWD/$f\" "; done
xdotool type --delay 2 "$names"
xdotool key Return
wait_for bash -c "! xdotool search --name '^Add Image$'"

# The list now holds the pictures, all selected; a click on the first shows it on the monitor.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" 60 60 click 1
# The window is drawn once the click's repaint has gone through the event loop.
wait_for xdotool search --name '^JPG Images to AVI Video$'
import -window "$window" "$out"
echo "Wrote $out"
