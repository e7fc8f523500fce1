#!/usr/bin/env bash
# Peak memory and time of full-size conversions of one very large photo, against `vips copy`,
# and peak memory of batches of small pictures as the batch grows.
#
#   bench/memory.sh [BUILD_DIR]          (default: build)
#
# Environment:
#   BENCH_CACHE    where the pictures are kept between runs (default /tmp/kestrova-memory-bench)
#   BENCH_SIDE     side of the square photo (default 16000)
#   BENCH_FORMATS  output formats of the large photo (default "jpg png bmp pcx tif gif")
#   BENCH_BATCHES  batch sizes of small pictures (default "10 100 1000")
# Goal: at most 150 MB for the photo written as JPEG and as PNG; batches flat.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
ours=$build/cli/kestrova-cli
cache=${BENCH_CACHE:-/tmp/kestrova-memory-bench}
side=${BENCH_SIDE:-16000}
formats=${BENCH_FORMATS:-jpg png bmp pcx tif gif}
batches=${BENCH_BATCHES:-10 100 1000}
magick_convert=$(command -v convert-im6.q16 || command -v convert)

for tool in "$ours" vips "$magick_convert" /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "memory: $tool is missing (build the project; scripts/install-deps.sh installs the rest)" >&2
        exit 1
    fi
done

# ---- the pictures: one photo-like JPEG at quality 100, and small ones for the batches ----
mkdir -p "$cache"
big=$cache/photo-$side.jpg
if [ ! -s "$big" ]; then
    echo "memory: making $big (a minute or two)" >&2
    "$magick_convert" -seed 7 -size "$((side / 8))x$((side / 8))" plasma:fractal -blur 0x1 -depth 8 "$cache/seed.png"
    vips resize "$cache/seed.png" "$cache/big.v" 8 --kernel cubic
    vips gaussnoise "$cache/noise.v" "$side" "$side" --sigma 6 --mean 0
    vips add "$cache/big.v" "$cache/noise.v" "$cache/sum.v"
    vips cast "$cache/sum.v" "$cache/photo.v" uchar
    vips jpegsave "$cache/photo.v" "$big.part" --Q 100
    mv "$big.part" "$big"
    rm -f "$cache"/seed.png "$cache"/big.v "$cache"/noise.v "$cache"/sum.v "$cache"/photo.v
fi
small=$cache/small
max_batch=0
for n in $batches; do [ "$n" -gt "$max_batch" ] && max_batch=$n; done
# Eight distinct pictures; the others are hard links to them (decoding costs the same).
DISTINCT=8 "$here/bench/make-corpus.sh" "$small" "$max_batch" 1024 768 >/dev/null

work=$(mktemp -d /tmp/kestrova-memory.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Runs the command on a fresh output folder; prints "seconds peak_MB", or "failed".
measure() {
    rm -rf "$work/out" && mkdir -p "$work/out"
    local line status t m
    line=$(/usr/bin/time -f "%x %e %M" "$@" 2>&1 >/dev/null | tail -n 1)
    read -r status t m <<<"$line"
    if [ "$status" != 0 ]; then
        echo "failed -"
        return
    fi
    echo "$t $((m / 1024))"
}

printf '%s: %s x %s JPEG, %s MB, converted at full size\n\n' "$(basename "$big")" "$side" "$side" \
    "$(($(stat -c %s "$big") / 1048576))"
printf '%-6s %10s %10s %10s %10s\n' format ours_s ours_MB vips_s vips_MB
for fmt in $formats; do
    read -r ot om < <(measure "$ours" --quiet -o "$work/out" -f "$fmt" "$big")
    case $fmt in
    bmp | pcx) vt=n/a vm=n/a ;; # the library writes these only through ImageMagick
    *) read -r vt vm < <(measure vips copy "$big" "$work/out/copy.$fmt") ;;
    esac
    printf '%-6s %10s %10s %10s %10s\n' "$fmt" "$ot" "$om" "$vt" "$vm"
done

echo
printf '%-24s %10s %10s\n' "batch (1024x768 JPEGs)" seconds peak_MB
for n in $batches; do
    mapfile -t files < <(ls "$small"/photo-1024-*.jpg | sort -t- -k3 -n | head -n "$n")
    read -r t m < <(measure "$ours" --quiet -o "$work/out" "${files[@]}")
    printf '%-24s %10s %10s\n' "$n pictures" "$t" "$m"
done
