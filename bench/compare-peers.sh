#!/usr/bin/env bash
# Times kestrova-cli against vipsthumbnail and ImageMagick on a corpus of large
# JPEG photos, in one run, and prints medians, ratios (ours / peer) and peak memory.
#
#   bench/compare-peers.sh [BUILD_DIR]          (default: build)
#
# Environment:
#   BENCH_PHOTOS   photos in the corpus (default 6; e.g. 40 for a longer run)
#   BENCH_REPS     repetitions of every measurement, the median is quoted (default 3)
#   BENCH_SIZE     corpus photo size (default 4000x3000)
#   BENCH_CACHE    where the corpus is kept between runs (default /tmp/kestrova-bench-corpus)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
ours=$build/cli/kestrova-cli
photos=${BENCH_PHOTOS:-6}
reps=${BENCH_REPS:-3}
size=${BENCH_SIZE:-4000x3000}
cache=${BENCH_CACHE:-/tmp/kestrova-bench-corpus}/$size
# The ImageMagick 6 binaries themselves, whatever wrappers are on PATH.
magick_convert=$(command -v convert-im6.q16 || command -v convert)
magick_mogrify=$(command -v mogrify-im6.q16 || command -v mogrify)

for tool in "$ours" vipsthumbnail "$magick_convert" "$magick_mogrify" /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "compare-peers: $tool is missing (build the project; scripts/install-deps.sh installs the rest)" >&2
        exit 1
    fi
done

# ---- the corpus: plasma fractals with a little grain, like photos of skies and walls ----
mkdir -p "$cache"
for ((i = 1; i <= photos; i++)); do
    f=$cache/photo$(printf %03d "$i").jpg
    if [ ! -s "$f" ]; then
        echo "compare-peers: making $f" >&2
        "$magick_convert" -seed "$i" -size "$size" plasma:fractal -seed "$i" -attenuate 0.25 +noise Gaussian \
            -quality 92 "$f.tmp.jpg"
        mv "$f.tmp.jpg" "$f"
    fi
done
corpus=("$cache"/photo*.jpg)
corpus=("${corpus[@]:0:$photos}")
set -f # options below hold brackets ("%s.jpg[Q=70]") that are not patterns

work=$(mktemp -d /tmp/kestrova-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Runs a command REPS times on a fresh output folder; prints "median_seconds peak_rss_kb".
# A command that fails is reported, not timed.
measure() {
    local times=() rss=() line status t m
    for ((r = 0; r < reps; r++)); do
        rm -rf "$work/out" && mkdir -p "$work/out"
        line=$(/usr/bin/time -f "%x %e %M" "$@" 2>&1 >/dev/null | tail -n 1)
        read -r status t m <<<"$line"
        if [ "$status" != 0 ]; then
            echo "compare-peers: failed ($status): $*" >&2
            exit 1
        fi
        times+=("$t")
        rss+=("$m")
    done
    local mt mr
    mt=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    mr=$(printf '%s\n' "${rss[@]}" | sort -g | tail -n 1)
    echo "$mt $mr"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

printf '%d photos of %s, %d repetitions, medians of wall time; peak RSS is the highest seen\n\n' \
    "${#corpus[@]}" "$size" "$reps"
printf '%-22s %10s %9s %10s %9s %10s %9s %9s %9s\n' case ours_s ours_MB vips_s vips_MB magick_s magick_MB ours/vips ours/magick

row() { # name, ours-args, vips-args (or -), magick-args
    local name=$1 o=$2 v=$3 m=$4 ot orss vt=0 vrss=0 mt mrss
    read -r ot orss < <(measure "$ours" --quiet -o "$work/out" $o "${corpus[@]}")
    if [ "$v" != - ]; then
        read -r vt vrss < <(measure vipsthumbnail $v "${corpus[@]}")
    fi
    read -r mt mrss < <(measure "$magick_mogrify" -path "$work/out" $m "${corpus[@]}")
    printf '%-22s %10.2f %9d %10s %9s %10.2f %9d %9s %9s\n' "$name" "$ot" $((orss / 1024)) \
        "$([ "$v" = - ] && echo n/a || printf %.2f "$vt")" "$([ "$v" = - ] && echo n/a || echo $((vrss / 1024)))" \
        "$mt" $((mrss / 1024)) "$([ "$v" = - ] && echo n/a || ratio "$ot" "$vt")" "$(ratio "$ot" "$mt")"
    eval "t_${name//[^a-zA-Z0-9]/_}=$ot"
}

fit="--unit pixel --width 800 --height 600"
row "fit-800x600-q70" "$fit -q 70" "-s 800x600 -o $work/out/%s.jpg[Q=70]" "-resize 800x600 -quality 70 -format jpg"
half=$(echo "$size" | awk -Fx '{ printf "%dx%d", $1 / 2, $2 / 2 }')
row "50%-q70" "-w 50 -H 50 -q 70" "-s $half -o $work/out/%s.jpg[Q=70]" "-resize 50% -quality 70 -format jpg"
row "target-100KB-800x600" "$fit -s 100" - "-resize 800x600 -define jpeg:extent=100kb -format jpg"
for fmt in png gif tif bmp; do
    row "800x600-$fmt" "$fit -f $fmt" "-s 800x600 -o $work/out/%s.$fmt" "-resize 800x600 -format $fmt"
done
# libvips writes PCX only through its ImageMagick saver, reached by a .bmp name.
row "800x600-pcx" "$fit -f pcx" "-s 800x600 -o $work/out/%s.bmp[format=PCX]" "-resize 800x600 -format pcx"

echo
echo "target size / our fixed quality: $(ratio "$t_target_100KB_800x600" "$t_fit_800x600_q70") (goal <= 1.5)"

# ---- memory as the batch grows: the same photos listed over and over ----
batch() { local n=$1 list=() i; for ((i = 0; i < n; i++)); do list+=("${corpus[i % ${#corpus[@]}]}"); done; printf '%s\n' "${list[@]}"; }
mapfile -t b10 < <(batch 10)
mapfile -t b100 < <(batch 100)
reps_saved=$reps
reps=1
read -r t10 m10 < <(measure "$ours" --quiet -o "$work/out" $fit "${b10[@]}")
read -r t100 m100 < <(measure "$ours" --quiet -o "$work/out" $fit "${b100[@]}")
reps=$reps_saved
echo "peak RSS, fit 800x600: 10 photos $((m10 / 1024)) MB ($t10 s), 100 photos $((m100 / 1024)) MB ($t100 s), ratio $(ratio "$m100" "$m10")"
