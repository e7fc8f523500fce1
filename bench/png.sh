#!/usr/bin/env bash
# PNG at 800 px: our bytes against ImageMagick's default PNG of the same pixels, and our time
# against vipsthumbnail, on photos and on flat graphics (screens, diagrams, charts).
#
#   bench/png.sh [BUILD_DIR]          (default: build)
#
# Environment:
#   BENCH_PHOTOS   photos (default 6)
#   BENCH_REPS     interleaved runs, the median is quoted (default 3)
#   BENCH_CACHE    where the pictures are kept between runs (default /tmp/kestrova-png-bench)
# ImageMagick re-encodes our own output (`convert ours.png im.png`), so both files hold the same
# pixels. Goals: bytes ours / ImageMagick <= 1.0, time ours / vipsthumbnail <= 1.0.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
ours=$build/cli/kestrova-cli
photos=${BENCH_PHOTOS:-6}
reps=${BENCH_REPS:-3}
cache=${BENCH_CACHE:-/tmp/kestrova-png-bench}
magick_convert=$(command -v convert-im6.q16 || command -v convert)

for tool in "$ours" vipsthumbnail "$magick_convert" /usr/bin/time python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "png: $tool is missing (build the project; scripts/install-deps.sh installs the rest)" >&2
        exit 1
    fi
done

# ---- the pictures ----
"$here/bench/make-corpus.sh" "$cache/photos" "$photos" 4000 3000 >/dev/null
flat=$cache/flat
mkdir -p "$flat"
draw() { # name width height background draw-arguments...
    local name=$1 w=$2 h=$3 bg=$4
    shift 4
    [ -s "$flat/$name.png" ] && return
    "$magick_convert" -size "${w}x$h" "xc:$bg" "$@" -alpha off -depth 8 "$flat/$name.tmp.png"
    mv "$flat/$name.tmp.png" "$flat/$name.png"
}
text_lines() { # an editor's worth of text
    local i
    printf "fill '#2b5797' rectangle 0,0 %d,60 fill white font-size 28 text 20,42 'Window title - Editor' " "$1"
    printf "fill black font-size 16 "
    for ((i = 0; i < 40; i++)); do
        printf "text 40,%d 'Line %d: the quick brown fox jumps over the lazy dog 0123456789 ()[]{} %d' " \
            $((100 + i * 23)) "$i" $((i * 7919))
    done
}
boxes() { # a diagram of boxes joined by lines
    local i x y
    for ((i = 0; i < 12; i++)); do
        x=$((50 + (i % 4) * 390)) y=$((50 + (i / 4) * 380))
        printf "fill '#%02x%02x%02x' stroke black stroke-width 3 roundrectangle %d,%d %d,%d 20,20 " \
            $((40 + i * 17)) $((200 - i * 9)) $((120 + i * 11)) "$x" "$y" $((x + 300)) $((y + 200))
        printf "fill black stroke none font-size 30 text %d,%d 'Box %d' " $((x + 40)) $((y + 110)) "$i"
        printf "stroke '#333333' stroke-width 4 line %d,%d %d,%d " $((x + 150)) $((y + 200)) $((x + 150)) $((y + 380))
    done
}
draw screen 1920 1080 '#f0f0f0' -draw "$(text_lines 1920) fill '#dddddd' rectangle 1500,80 1900,1060
    fill '#c0392b' rectangle 1520,100 1880,300 fill '#27ae60' circle 1700,600 1700,700"
draw diagram 1600 1200 white -draw "$(boxes)"
draw chart 1280 1024 white -fill '#4477aa' -draw 'rectangle 100,600 200,1000' -draw 'rectangle 300,400 400,1000' \
    -fill '#ee6677' -draw 'rectangle 500,200 600,1000' -draw 'rectangle 700,500 800,1000' -stroke black \
    -strokewidth 2 -draw 'line 80,1000 1200,1000' -draw 'line 80,100 80,1000'
draw gradient-ui 1600 1000 white -fill 'gradient:#3a6ea5-#c4d8ee' -draw 'rectangle 0,0 1600,120' \
    -fill '#fafafa' -stroke '#999999' -draw 'roundrectangle 40,160 760,940 12,12' \
    -draw 'roundrectangle 840,160 1560,940 12,12' -stroke none -fill black -pointsize 22 \
    -draw "text 70,210 'Settings'" -draw "text 870,210 'Preview'"
draw plot 1400 1000 white -stroke '#1f77b4' -strokewidth 3 -fill none \
    -draw "polyline $(python3 -c "import math; print(' '.join(f'{60 + i * 4},{500 - 380 * math.sin(i / 25):.1f}' for i in range(320)))")" \
    -stroke '#ff7f0e' -draw "polyline $(python3 -c "import math; print(' '.join(f'{60 + i * 4},{500 - 300 * math.cos(i / 40):.1f}' for i in range(320)))")" \
    -stroke black -strokewidth 1 -draw 'line 60,500 1340,500' -draw 'line 60,60 60,940'
photo_files=("$cache"/photos/photo-4000-*.jpg)
photo_files=("${photo_files[@]:0:$photos}")
flat_files=("$flat"/*.png)

work=$(mktemp -d /tmp/kestrova-png.XXXXXX)
trap 'rm -rf "$work"' EXIT
results=$work/results

# label command...: appends "label wall_seconds cpu_seconds" to the results.
measure() {
    local label=$1
    shift
    /usr/bin/time -f "$label %e %U %S" -a -o "$results" "$@" >/dev/null 2>"$work/err" || {
        cat "$work/err" >&2
        exit 1
    }
}

for kind in photos flat; do
    if [ "$kind" = photos ]; then files=("${photo_files[@]}"); else files=("${flat_files[@]}"); fi
    for ((r = 0; r < reps; r++)); do
        rm -rf "$work/ours" "$work/vt" && mkdir -p "$work/ours" "$work/vt"
        measure "$kind-ours" "$ours" --quiet --resize 800x600 -f png -o "$work/ours" "${files[@]}"
        measure "$kind-vipsthumbnail" vipsthumbnail -s 800x600 -o "$work/vt/%s.png" "${files[@]}"
    done
    # The same pixels through ImageMagick.
    ours_bytes=0 magick_bytes=0
    for f in "$work/ours"/*.png; do
        "$magick_convert" "$f" "$work/magick.png"
        b=$(stat -c %s "$f") m=$(stat -c %s "$work/magick.png")
        printf '  %-28s ours %9d  ImageMagick %9d  %.3f\n' "$(basename "$f")" "$b" "$m" \
            "$(echo "$b $m" | awk '{ print $1 / $2 }')" >>"$work/detail"
        ours_bytes=$((ours_bytes + b)) magick_bytes=$((magick_bytes + m))
    done
    echo "$kind-bytes $ours_bytes $magick_bytes" >>"$work/bytes"
done

python3 - "$results" "$work/bytes" "$reps" <<'PY'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    label, wall, user, system = line.split()
    times.setdefault(label, []).append((float(wall), float(user) + float(system)))
sizes = {l.split()[0][:-6]: tuple(map(int, l.split()[1:])) for l in open(sys.argv[2])}
print(f"PNG at 800 px, medians of {sys.argv[3]} interleaved runs (wall; cpu = user + system)")
print(f"{'':8s} {'ours_B':>10s} {'magick_B':>10s} {'bytes':>6s}   {'ours_s':>7s} {'vt_s':>7s} {'wall':>6s}"
      f"   {'ours_cpu':>8s} {'vt_cpu':>7s} {'cpu':>6s}")
for kind in ("photos", "flat"):
    ob, mb = sizes[kind]
    o = times[kind + "-ours"]
    v = times[kind + "-vipsthumbnail"]
    ow, vw = statistics.median(t for t, _ in o), statistics.median(t for t, _ in v)
    oc, vc = statistics.median(c for _, c in o), statistics.median(c for _, c in v)
    print(f"{kind:8s} {ob:10d} {mb:10d} {ob / mb:5.2f}x   {ow:7.2f} {vw:7.2f} {ow / vw:5.2f}x"
          f"   {oc:8.2f} {vc:7.2f} {oc / vc:5.2f}x")
PY
echo
echo "per picture (last run):"
cat "$work/detail"
