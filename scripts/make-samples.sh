#!/bin/sh
# Draws the sample pictures into samples/ with ImageMagick. Deterministic (fixed seeds),
# so running it again gives the same pictures.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/samples}
mkdir -p "$out"
cd "$out"

# Landscape photo-like JPEG: a plasma sky over a darker ground, with a sun.
convert -seed 11 -size 640x400 plasma:skyblue-steelblue \
    \( -size 640x140 gradient:olivedrab-darkgreen \) -gravity south -composite \
    -fill gold -draw "circle 500,90 540,90" -quality 88 landscape.jpg

# Portrait PNG: a gradient with a white frame.
convert -size 300x450 gradient:tomato-navy -fill none -stroke white -strokewidth 6 \
    -draw "rectangle 20,20 280,430" PNG24:portrait.png

# Palette GIF of 256 colours from a plasma fractal.
convert -seed 5 -size 320x240 plasma:fractal -colors 256 palette.gif

# PNG with an alpha channel: a soft disc on transparency.
convert -size 256x256 xc:none -fill "rgba(200,30,120,0.85)" -draw "circle 128,128 128,20" \
    -fill "rgba(30,160,220,0.6)" -draw "rectangle 20,150 236,236" PNG32:alpha.png

# Grey JPEG (one channel).
convert -seed 3 -size 400x300 plasma:grey50-grey80 -colorspace Gray -type Grayscale -quality 85 grey.jpg

# Stored 480 x 320, tagged with EXIF orientation 6: a viewer shows it upright as 320 x 480.
# The black arrow points right in the stored pixels, so down once shown upright.
convert -size 480x320 gradient:gold-firebrick -fill black \
    -draw "polygon 60,130 330,130 330,70 440,160 330,250 330,190 60,190" \
    -quality 88 -strip stored.jpg
# ImageMagick writes no EXIF of its own, so put a minimal one (Orientation = 6) right after SOI.
{
    printf '\377\330\377\341\000\042Exif\000\000MM\000\052\000\000\000\010'
    printf '\000\001\001\022\000\003\000\000\000\001\000\006\000\000\000\000\000\000'
    tail -c +3 stored.jpg
} >exif-orientation-6.jpg
rm stored.jpg

ls -l "$out"
