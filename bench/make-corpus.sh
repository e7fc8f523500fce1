#!/bin/sh
# make-corpus.sh DIR N [WIDTH HEIGHT]: N distinct photo-like JPEGs (default 4000 x 3000, quality 90).
# Each is a plasma fractal enlarged and given grain, so it compresses like a photo.
# Pictures already there are kept, so a second run costs nothing. With DISTINCT=k only k
# pictures are drawn and the others are hard links to them (decoding costs the same).
set -eu
dir=$1
n=$2
w=${3:-4000}
h=${4:-3000}
mkdir -p "$dir"
i=0
distinct=${DISTINCT:-$n}
while [ "$i" -lt "$n" ]; do
    f="$dir/photo-$w-$i.jpg"
    if [ ! -s "$f" ] && [ "$i" -ge "$distinct" ]; then
        ln -f "$dir/photo-$w-$((i % distinct)).jpg" "$f"
    elif [ ! -s "$f" ]; then
        convert -seed "$((i + 1))" -size "$((w / 8))x$((h / 8))" plasma:fractal -blur 0x1 -depth 8 "$dir/.seed.png"
        vips resize "$dir/.seed.png" "$dir/.big.v" 8 --kernel cubic
        vips gaussnoise "$dir/.noise.v" "$w" "$h" --sigma 6 --mean 0
        vips add "$dir/.big.v" "$dir/.noise.v" "$dir/.sum.v"
        vips cast "$dir/.sum.v" "$dir/.photo.v" uchar
        vips jpegsave "$dir/.photo.v" "$f.part" --Q 90
        mv "$f.part" "$f"
    fi
    i=$((i + 1))
done
rm -f "$dir"/.seed.png "$dir"/.big.v "$dir"/.noise.v "$dir"/.sum.v "$dir"/.photo.v
