#!/bin/sh
# Starts the window from a build folder (default: build). Without a display there is no
# window to show, so it says so and converts the sample pictures with the command-line
# converter instead.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/app/kestrova"
fi
out=${TMPDIR:-/tmp}/kestrova-samples
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): the window cannot open."
echo "Converting the sample pictures with kestrova-cli instead, into $out:"
exec "$build/cli/kestrova-cli" --mode width --unit pixel --width 320 --output "$out" "$here/samples"
