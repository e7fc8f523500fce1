#!/usr/bin/env bash
# WebP and AVIF at quality 75: kestrova-cli against sharp (libvips under Node) on the same
# photo-like JPEGs, full size. Runs are interleaved (ours, sharp, ours, sharp, ...) so a busy
# machine slows both alike; prints the median seconds and the median total bytes of each.
#
#   bench/modern-formats.sh [BUILD_DIR]          (default: build)
#
# Environment:
#   BENCH_PHOTOS   pictures in the corpus (default 4)
#   BENCH_REPS     runs of every measurement, the median is quoted (default 3)
#   BENCH_SIZE     WIDTHxHEIGHT of the pictures (default 1600x1200; AVIF is slow)
#   BENCH_CACHE    where the corpus and sharp are kept between runs (default /tmp/kestrova-bench-modern)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
ours=$build/cli/kestrova-cli
photos=${BENCH_PHOTOS:-4}
reps=${BENCH_REPS:-3}
size=${BENCH_SIZE:-1600x1200}
cache=${BENCH_CACHE:-/tmp/kestrova-bench-modern}
quality=75

for tool in "$ours" node npm; do
    if ! command -v "$tool" >/dev/null; then
        echo "modern-formats: $tool is missing" >&2
        exit 1
    fi
done

# sharp lives in the cache, never in the source tree.
if [ ! -d "$cache/node/node_modules/sharp" ]; then
    echo "modern-formats: installing sharp into $cache/node" >&2
    mkdir -p "$cache/node"
    (cd "$cache/node" && npm install --no-audit --no-fund --silent sharp >&2)
fi

corpus_dir=$cache/corpus-$size
"$here/bench/make-corpus.sh" "$corpus_dir" "$photos" "${size%x*}" "${size#*x}"
mapfile -t corpus < <(ls "$corpus_dir"/photo-"${size%x*}"-*.jpg | sort -V | head -n "$photos")

work=$(mktemp -d /tmp/kestrova-bench-modern.XXXXXX)
trap 'rm -rf "$work"' EXIT

# One file after the other, as kestrova-cli does; libvips threads inside each picture in both.
# sharp's AVIF defaults to 4:4:4 chroma; ours (libvips' default below quality 90) is 4:2:0, so
# sharp is asked for the same.
cat >"$work/sharp-convert.js" <<'JS'
const sharp = require('sharp');
const path = require('path');
const [format, quality, out, ...files] = process.argv.slice(2);
(async () => {
    for (const f of files) {
        const name = path.join(out, path.basename(f, path.extname(f)) + '.' + format);
        const options = { quality: Number(quality) };
        if (format === 'avif')
            options.chromaSubsampling = '4:2:0';
        await sharp(f)[format](options).toFile(name);
    }
})().catch((e) => { console.error(e.message); process.exit(1); });
JS

now() { date +%s.%N; }

# run TOOL FORMAT: converts the corpus once; prints "seconds bytes".
run() {
    local tool=$1 format=$2 t0 t1
    rm -rf "$work/out" && mkdir -p "$work/out"
    t0=$(now)
    if [ "$tool" = ours ]; then
        "$ours" --quiet -f "$format" -q "$quality" -o "$work/out" "${corpus[@]}"
    else
        NODE_PATH=$cache/node/node_modules node "$work/sharp-convert.js" "$format" "$quality" "$work/out" "${corpus[@]}"
    fi
    t1=$(now)
    local n
    n=$(find "$work/out" -type f -name "*.$format" | wc -l)
    if [ "$n" != "${#corpus[@]}" ]; then
        echo "modern-formats: $tool wrote $n of ${#corpus[@]} $format files" >&2
        exit 1
    fi
    echo "$(echo "$t1 - $t0" | bc -l) $(du -cb "$work/out"/*."$format" | tail -n 1 | cut -f1)"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "$photos pictures of $size, quality $quality, median of $reps interleaved runs"
printf '%-6s %-6s %10s %12s\n' format tool seconds bytes
for format in webp avif; do
    declare -A times=() bytes=()
    for ((r = 0; r < reps; r++)); do
        # Alternate which tool goes first, so neither always meets a warm or a cold cache.
        if ((r % 2)); then order=(sharp ours); else order=(ours sharp); fi
        for tool in "${order[@]}"; do
            read -r t b < <(run "$tool" "$format")
            times[$tool]+="$t "
            bytes[$tool]+="$b "
        done
    done
    for tool in ours sharp; do
        t=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
        b=$(tr ' ' '\n' <<<"${bytes[$tool]}" | grep . | median)
        printf '%-6s %-6s %10.2f %12.0f\n' "$format" "$tool" "$t" "$b"
        eval "last_${tool}_t=$t last_${tool}_b=$b"
    done
    printf '%-6s %-6s %10.2f %12.2f\n' "$format" "ratio" \
        "$(echo "$last_ours_t / $last_sharp_t" | bc -l)" "$(echo "$last_ours_b / $last_sharp_b" | bc -l)"
    unset times bytes
done
