#!/usr/bin/env bash
# The real program under a virtual display: its window "OVK Sensor Updater" appears, titled with
# the program's name in every language (here German).
# Usage: window_shows.sh UPDATER
set -euo pipefail
updater=$1
source "$(dirname "$0")/../../tools/xdrive.sh"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work" 2>/dev/null || true' EXIT

cd "$work"
LANGUAGE=de "$updater" &
pid=$!
window=$(wait_window "OVK Sensor Updater") || { echo "no window"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window $window: ${WIDTH}x${HEIGHT}"
[ "$WIDTH" -eq 480 ] || { echo "unexpected width $WIDTH"; exit 1; }
[ -d dl ] || { echo "no download directory"; exit 1; }
kill -0 "$pid"
