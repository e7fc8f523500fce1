#!/bin/sh
# Renders the program's icon, packaging/icons/kestrova.svg, into the hicolor PNG sizes that
# are installed and compiled into the window. Run it after changing the drawing and commit
# the PNGs: the build itself needs no SVG renderer. Needs rsvg-convert (librsvg2-bin);
# ImageMagick's own SVG reader loses the gradients.
set -eu
icons=$(cd "$(dirname "$0")/../packaging/icons" && pwd)
svg=$icons/kestrova.svg
command -v rsvg-convert >/dev/null 2>&1 || { echo "make-icons: needs rsvg-convert (apt-get install librsvg2-bin)" >&2; exit 1; }
for size in 16 32 48 64 128 256; do
    out=$icons/hicolor/${size}x${size}/apps/kestrova.png
    mkdir -p "$(dirname "$out")"
    rsvg-convert --width "$size" --height "$size" --output "$out" "$svg"
    echo "$out"
done
