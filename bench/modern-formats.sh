#!/usr/bin/env bash
# WebP and AVIF at quality 75: kestrova-cli against sharp (libvips under Node) on the same
# photo-like JPEGs, full size. Then WebP at a target size of 100 KB: ours against the usual
# script for it, a binary search over the quality encoding into memory, in sharp and in Pillow.
# Runs are interleaved (ours, sharp, ... in turn) so a busy machine slows all alike; prints the
# median seconds and the median total bytes of each.
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
target_kb=100

for tool in "$ours" node npm /usr/bin/python3; do
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

# Pillow from Debian, as users of it have it.
if ! /usr/bin/python3 -c 'import PIL.features, sys; sys.exit(not PIL.features.check("webp"))' 2>/dev/null; then
    echo "modern-formats: installing python3-pil" >&2
    $([ "$(id -u)" = 0 ] || echo sudo) apt-get install -y -qq python3-pil >&2
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

# The largest quality whose file fits, found by bisection on the decoded pixels, as a script
# would do it: sharp keeps the raw pixels, Pillow the loaded image.
cat >"$work/sharp-target.js" <<'JS'
const sharp = require('sharp');
const fs = require('fs');
const path = require('path');
const [targetKb, out, ...files] = process.argv.slice(2);
const target = Number(targetKb) * 1024;
(async () => {
    for (const f of files) {
        const { data, info } = await sharp(f).raw().toBuffer({ resolveWithObject: true });
        const raw = { raw: { width: info.width, height: info.height, channels: info.channels } };
        const encode = (q) => sharp(data, raw).webp({ quality: q }).toBuffer();
        let lo = 1, hi = 100, best = await encode(1);
        while (lo <= hi) {
            const mid = (lo + hi) >> 1;
            const bytes = await encode(mid);
            if (bytes.length <= target) { best = bytes; lo = mid + 1; } else hi = mid - 1;
        }
        fs.writeFileSync(path.join(out, path.basename(f, path.extname(f)) + '.webp'), best);
    }
})().catch((e) => { console.error(e.message); process.exit(1); });
JS
cat >"$work/pillow-target.py" <<'PY'
import io, os, sys
from PIL import Image
target = int(sys.argv[1]) * 1024
out = sys.argv[2]
for f in sys.argv[3:]:
    image = Image.open(f)
    image.load()
    def encode(q):
        buffer = io.BytesIO()
        image.save(buffer, "WEBP", quality=q)
        return buffer.getvalue()
    lo, hi, best = 1, 100, encode(1)
    while lo <= hi:
        mid = (lo + hi) // 2
        data = encode(mid)
        if len(data) <= target:
            best, lo = data, mid + 1
        else:
            hi = mid - 1
    with open(os.path.join(out, os.path.splitext(os.path.basename(f))[0] + ".webp"), "wb") as w:
        w.write(best)
PY

now() { date +%s.%N; }

# run TOOL JOB: converts the corpus once; prints "seconds bytes". JOB is a format at the
# quality, or "target" for WebP at the target size.
run() {
    local tool=$1 job=$2 format=$2 t0 t1
    [ "$job" = target ] && format=webp
    rm -rf "$work/out" && mkdir -p "$work/out"
    t0=$(now)
    case "$tool/$job" in
    ours/target) "$ours" --quiet -f webp -s "$target_kb" -o "$work/out" "${corpus[@]}" ;;
    ours/*) "$ours" --quiet -f "$format" -q "$quality" -o "$work/out" "${corpus[@]}" ;;
    sharp/target) NODE_PATH=$cache/node/node_modules node "$work/sharp-target.js" "$target_kb" "$work/out" "${corpus[@]}" ;;
    sharp/*) NODE_PATH=$cache/node/node_modules node "$work/sharp-convert.js" "$format" "$quality" "$work/out" "${corpus[@]}" ;;
    pillow/target) /usr/bin/python3 "$work/pillow-target.py" "$target_kb" "$work/out" "${corpus[@]}" ;;
    esac
    t1=$(now)
    local n
    n=$(find "$work/out" -type f -name "*.$format" | wc -l)
    if [ "$n" != "${#corpus[@]}" ]; then
        echo "modern-formats: $tool wrote $n of ${#corpus[@]} $format files" >&2
        exit 1
    fi
    if [ "$job" = target ] && [ -n "$(find "$work/out" -type f -size +$((target_kb * 1024))c)" ]; then
        echo "modern-formats: $tool wrote a file over $target_kb KB" >&2
        exit 1
    fi
    echo "$(echo "$t1 - $t0" | bc -l) $(du -cb "$work/out"/*."$format" | tail -n 1 | cut -f1)"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "$photos pictures of $size, quality $quality (target: WebP at most $target_kb KB), median of $reps interleaved runs"
printf '%-6s %-6s %10s %12s\n' job tool seconds bytes
for job in webp avif target; do
    tools=(ours sharp)
    [ "$job" = target ] && tools=(ours sharp pillow)
    declare -A times=() bytes=()
    for ((r = 0; r < reps; r++)); do
        # Rotate which tool goes first, so none always meets a warm or a cold cache.
        order=("${tools[@]:r % ${#tools[@]}}" "${tools[@]:0:r % ${#tools[@]}}")
        for tool in "${order[@]}"; do
            read -r t b < <(run "$tool" "$job")
            times[$tool]+="$t "
            bytes[$tool]+="$b "
        done
    done
    for tool in "${tools[@]}"; do
        t=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
        b=$(tr ' ' '\n' <<<"${bytes[$tool]}" | grep . | median)
        printf '%-6s %-6s %10.2f %12.0f\n' "$job" "$tool" "$t" "$b"
        eval "last_${tool}_t=$t last_${tool}_b=$b"
    done
    for peer in "${tools[@]:1}"; do
        eval "pt=\$last_${peer}_t pb=\$last_${peer}_b"
        printf '%-6s %-6s %10.2f %12.2f\n' "$job" "/$peer" \
            "$(echo "$last_ours_t / $pt" | bc -l)" "$(echo "$last_ours_b / $pb" | bc -l)"
    done
    unset times bytes
done
