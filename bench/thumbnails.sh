#!/bin/sh
# Thumbnails and information texts of N large JPEGs (what adding pictures to the list costs),
# against vipsthumbnail -s 80x60 on the same files in the same run.
#   bench/thumbnails.sh [BUILD_DIR]     env: N (default 20), RUNS (default 5), CORPUS (folder),
#                                       DISTINCT (draw only that many pictures, link the rest)
# kestrova-info does per picture what adding it to the window's list does: open, thumbnail,
# information text.
# Prints median wall times, the ratio ours / vipsthumbnail, and peak memory at N/4 and N pictures.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
info=$build/tools/kestrova-info
n=${N:-20}
runs=${RUNS:-5}
corpus=${CORPUS:-${TMPDIR:-/tmp}/kestrova-corpus}
[ -x "$info" ] || { echo "build kestrova-info first ($info)" >&2; exit 2; }
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail is missing (libvips-tools)" >&2; exit 2; }

"$here/make-corpus.sh" "$corpus" "$n"
files=$(ls "$corpus"/photo-4000-*.jpg | sort -t- -k3 -n | head -n "$n")
quarter=$(echo "$files" | head -n "$(( (n + 3) / 4 ))")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

measure() { # label command...: appends "label seconds peakKB" to the results
    label=$1
    shift
    rm -rf "$out/t" && mkdir -p "$out/t"
    /usr/bin/time -f "$label %e %M" -a -o "$out/results" "$@" >/dev/null 2>"$out/err" || {
        cat "$out/err" >&2
        exit 1
    }
}

# shellcheck disable=SC2086
for r in $(seq "$runs"); do
    measure ours "$info" --thumbnails "$out/t" $files
    measure vipsthumbnail vipsthumbnail -s 80x60 -o "$out/t/%s.png" $files
    measure ours-quarter "$info" --thumbnails "$out/t" $quarter
done

python3 - "$out/results" "$n" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    parts = line.split()
    if len(parts) == 3 and parts[0] in ("ours", "vipsthumbnail", "ours-quarter"):
        rows.setdefault(parts[0], []).append((float(parts[1]), int(parts[2])))
n = int(sys.argv[2])
med = {k: (statistics.median(t for t, _ in v), statistics.median(m for _, m in v)) for k, v in rows.items()}
print(f"{n} JPEGs 4000x3000 -> 80x60 thumbnails, median of {len(rows['ours'])} runs")
for k in ("ours", "vipsthumbnail"):
    t, m = med[k]
    print(f"  {k:14s} {t:7.2f} s  {t / n * 1000:7.1f} ms/picture  peak {m / 1024:6.1f} MB")
print(f"  ratio ours / vipsthumbnail: {med['ours'][0] / med['vipsthumbnail'][0]:.2f}x")
print(f"  peak memory, ours: {med['ours-quarter'][1] / 1024:.1f} MB at {(n + 3) // 4} pictures, "
      f"{med['ours'][1] / 1024:.1f} MB at {n}")
PY
