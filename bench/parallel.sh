#!/usr/bin/env bash
# Pictures side by side: kestrova-cli and kestrova-info with 1 and 2 jobs against sharp
# (npm, installed into the cache) and Pillow (Debian), on the same large photo-like JPEGs:
#   fit     fit inside 800 x 800 at quality 70: ours -j 1 / -j 2 vs sharp with 1 / 2 in flight
#   target  fit inside 1600 x 1600, JPEG at most 100 KB: ours vs sharp's and Pillow's in-memory
#           bisection over the quality
#   intake  80 x 60 thumbnail and information text: kestrova-info -j 1 / -j 2 vs
#           vipsthumbnail -s 80x60 and Pillow's draft thumbnail, both one at a time
# Runs are interleaved, the order rotating every round; medians and ratios are printed.
#
#   bench/parallel.sh [BUILD_DIR]          (default: build)
# Environment: BENCH_PHOTOS (20), BENCH_REPS (3), BENCH_CACHE (/tmp/kestrova-bench-parallel)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cli=$build/cli/kestrova-cli
info=$build/tools/kestrova-info
photos=${BENCH_PHOTOS:-20}
reps=${BENCH_REPS:-3}
cache=${BENCH_CACHE:-/tmp/kestrova-bench-parallel}

for tool in "$cli" "$info" node npm vipsthumbnail /usr/bin/python3 bc; do
    command -v "$tool" >/dev/null || { echo "parallel: $tool is missing" >&2; exit 1; }
done
if [ ! -d "$cache/node/node_modules/sharp" ]; then
    echo "parallel: installing sharp into $cache/node" >&2
    mkdir -p "$cache/node"
    (cd "$cache/node" && npm install --no-audit --no-fund --silent sharp >&2)
fi
if ! /usr/bin/python3 -c 'import PIL' 2>/dev/null; then
    echo "parallel: installing python3-pil" >&2
    $([ "$(id -u)" = 0 ] || echo sudo) apt-get install -y -qq python3-pil >&2
fi

"$here/bench/make-corpus.sh" "$cache/corpus" "$photos"
mapfile -t corpus < <(ls "$cache/corpus"/photo-4000-*.jpg | sort -V | head -n "$photos")
work=$(mktemp -d /tmp/kestrova-bench-parallel.XXXXXX)
trap 'rm -rf "$work"' EXIT

cat >"$work/sharp.js" <<'JS'
const sharp = require('sharp');
const path = require('path');
const [job, inFlight, out, ...files] = process.argv.slice(2);
const target = 100 * 1024;
async function one(f) {
    const name = path.join(out, path.basename(f, path.extname(f)) + '.jpg');
    if (job === 'fit')
        return sharp(f).resize(800, 800, { fit: 'inside' }).jpeg({ quality: 70 }).toFile(name);
    const { data, info } = await sharp(f).resize(1600, 1600, { fit: 'inside' }).raw().toBuffer({ resolveWithObject: true });
    const raw = { raw: { width: info.width, height: info.height, channels: info.channels } };
    const encode = (q) => sharp(data, raw).jpeg({ quality: q }).toBuffer();
    let lo = 1, hi = 100, best = await encode(1);
    while (lo <= hi) {
        const mid = (lo + hi) >> 1;
        const bytes = await encode(mid);
        if (bytes.length <= target) { best = bytes; lo = mid + 1; } else hi = mid - 1;
    }
    require('fs').writeFileSync(name, best);
}
(async () => {
    let next = 0;
    const worker = async () => { while (next < files.length) await one(files[next++]); };
    await Promise.all(Array.from({ length: Number(inFlight) }, worker));
})().catch((e) => { console.error(e.message); process.exit(1); });
JS
cat >"$work/pillow.py" <<'PY'
import io, os, sys
from PIL import Image
job, out, files = sys.argv[1], sys.argv[2], sys.argv[3:]
for f in files:
    stem = os.path.join(out, os.path.splitext(os.path.basename(f))[0])
    image = Image.open(f)
    if job == "intake":
        image.draft("RGB", (80, 60))
        image.thumbnail((80, 60))
        image.save(stem + ".png")
        print(f, image.size, os.path.getsize(f))
        continue
    image.thumbnail((1600, 1600), Image.BICUBIC)
    def encode(q):
        buffer = io.BytesIO()
        image.save(buffer, "JPEG", quality=q)
        return buffer.getvalue()
    lo, hi, best = 1, 100, encode(1)
    while lo <= hi:
        mid = (lo + hi) // 2
        data = encode(mid)
        if len(data) <= 100 * 1024:
            best, lo = data, mid + 1
        else:
            hi = mid - 1
    with open(stem + ".jpg", "wb") as w:
        w.write(best)
PY

now() { date +%s.%N; }
# run TOOL JOB: one pass over the corpus; prints the seconds.
run() {
    local tool=$1 job=$2 t0 t1
    rm -rf "$work/out" && mkdir -p "$work/out"
    local sharp=(env NODE_PATH="$cache/node/node_modules" node "$work/sharp.js")
    t0=$(now)
    case "$tool/$job" in
    ours-j1/fit) "$cli" --quiet -j 1 --resize 800x800 -q 70 -o "$work/out" "${corpus[@]}" ;;
    ours-j2/fit) "$cli" --quiet -j 2 --resize 800x800 -q 70 -o "$work/out" "${corpus[@]}" ;;
    sharp-1/fit) "${sharp[@]}" fit 1 "$work/out" "${corpus[@]}" ;;
    sharp-2/fit) "${sharp[@]}" fit 2 "$work/out" "${corpus[@]}" ;;
    ours-j1/target) "$cli" --quiet -j 1 --resize 1600x1600 -s 100 -o "$work/out" "${corpus[@]}" ;;
    ours-j2/target) "$cli" --quiet -j 2 --resize 1600x1600 -s 100 -o "$work/out" "${corpus[@]}" ;;
    sharp-1/target) "${sharp[@]}" target 1 "$work/out" "${corpus[@]}" ;;
    pillow/target) /usr/bin/python3 "$work/pillow.py" target "$work/out" "${corpus[@]}" ;;
    ours-j1/intake) "$info" -j 1 --thumbnails "$work/out" "${corpus[@]}" >/dev/null ;;
    ours-j2/intake) "$info" -j 2 --thumbnails "$work/out" "${corpus[@]}" >/dev/null ;;
    vipsthumbnail/intake) vipsthumbnail -s 80x60 -o "$work/out/%s.png" "${corpus[@]}" ;;
    pillow/intake) /usr/bin/python3 "$work/pillow.py" intake "$work/out" "${corpus[@]}" >/dev/null ;;
    esac
    t1=$(now)
    local n
    n=$(find "$work/out" -type f | wc -l)
    [ "$n" = "${#corpus[@]}" ] || { echo "parallel: $tool $job wrote $n of ${#corpus[@]} files" >&2; exit 1; }
    if [ "$job" = target ] && [ -n "$(find "$work/out" -type f -size +102400c)" ]; then
        echo "parallel: $tool wrote a file over 100 KB" >&2
        exit 1
    fi
    echo "$t1 - $t0" | bc -l
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "${#corpus[@]} JPEGs of 4000 x 3000, median seconds of $reps interleaved runs, $(nproc) cores"
declare -A med
for job in fit target intake; do
    case $job in
    fit) tools=(ours-j1 ours-j2 sharp-1 sharp-2) ;;
    target) tools=(ours-j1 ours-j2 sharp-1 pillow) ;;
    intake) tools=(ours-j1 ours-j2 vipsthumbnail pillow) ;;
    esac
    declare -A times=()
    for ((r = 0; r < reps; r++)); do
        order=("${tools[@]:r % ${#tools[@]}}" "${tools[@]:0:r % ${#tools[@]}}")
        for tool in "${order[@]}"; do
            times[$tool]+="$(run "$tool" "$job") "
        done
    done
    for tool in "${tools[@]}"; do
        med[$job/$tool]=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
        printf '%-7s %-14s %8.2f s\n' "$job" "$tool" "${med[$job/$tool]}"
    done
    unset times
done
ratio() { printf '%-44s %6.2f\n' "$1" "$(echo "${med[$2]} / ${med[$3]}" | bc -l)"; }
echo
ratio "fit, ours -j 2 / sharp 2 in flight (<= 0.8)" fit/ours-j2 fit/sharp-2
ratio "fit, ours -j 1 / sharp 1 at a time (<= 1.0)" fit/ours-j1 fit/sharp-1
best_target=$(printf '%s\n%s\n' "${med[target/sharp-1]}" "${med[target/pillow]}" | sort -g | head -n 1)
med[target/best]=$best_target
ratio "target, ours -j 1 / best peer (<= 0.75)" target/ours-j1 target/best
ratio "target, ours -j 2 / best peer" target/ours-j2 target/best
best_intake=$(printf '%s\n%s\n' "${med[intake/vipsthumbnail]}" "${med[intake/pillow]}" | sort -g | head -n 1)
med[intake/best]=$best_intake
ratio "intake, info -j 1 / best peer (<= 1.0)" intake/ours-j1 intake/best
ratio "intake, info -j 2 / best peer (<= 0.6)" intake/ours-j2 intake/best
