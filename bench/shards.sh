#!/usr/bin/env bash
# Pictures per second on this machine as one shard or as four shards side by side, the way a
# scheduler runs shares of a list on one node:
#   1 shard    one kestrova-cli --shard 0/1 with a picture per core (-j nproc)
#   4 shards   kestrova-cli --shard K/4 for K = 0..3 started together, -j 1 each
# Both over the same list of photo-like JPEGs (bench/make-corpus.sh, 2000 x 1500) shrunk to a
# 1024-pixel long edge at quality 75, into a fresh output folder each time (--keep-tree
# --if-exists skip). Runs alternate; the median of the repetitions is printed.
#
#   bench/shards.sh [BUILD_DIR]          (default: build)
# Environment: BENCH_PICTURES (300), BENCH_REPS (5), BENCH_CACHE (/tmp/kestrova-bench-shards)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cli=$build/cli/kestrova-cli
pictures=${BENCH_PICTURES:-300}
reps=${BENCH_REPS:-5}
cache=${BENCH_CACHE:-/tmp/kestrova-bench-shards}
command -v "$cli" >/dev/null || { echo "shards: $cli is missing" >&2; exit 1; }

DISTINCT=12 "$here/bench/make-corpus.sh" "$cache/corpus" "$pictures" 2000 1500
(cd "$cache/corpus" && ls photo-2000-*.jpg | sort -V | head -n "$pictures") >"$cache/corpus/list.txt"
work=$(mktemp -d /tmp/kestrova-bench-shards.XXXXXX)
trap 'rm -rf "$work"' EXIT

# run N JOBS: seconds for N shards started together, each with JOBS pictures side by side.
run() {
    local n=$1 jobs=$2 start end k
    rm -rf "$work/out"
    start=$(date +%s.%N)
    for ((k = 0; k < n; k++)); do
        "$cli" --files-from "$cache/corpus/list.txt" --base "$cache/corpus" --shard "$k/$n" \
            --keep-tree --if-exists skip --long-edge 1024 -q 75 -j "$jobs" --quiet -o "$work/out" &
    done
    wait
    end=$(date +%s.%N)
    [ "$(find "$work/out" -type f | wc -l)" = "$pictures" ] || { echo "shards: outputs missing" >&2; exit 1; }
    echo "$end - $start" | bc
}

declare -a one four
for ((r = 0; r < reps; r++)); do
    if ((r % 2)); then
        four+=("$(run 4 1)")
        one+=("$(run 1 "$(nproc)")")
    else
        one+=("$(run 1 "$(nproc)")")
        four+=("$(run 4 1)")
    fi
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "$pictures pictures of 2000 x 1500 to a 1024-pixel long edge, $(nproc) cores, median of $reps"
for name in one four; do
    declare -n times=$name
    m=$(median "${times[@]}")
    label=$([ $name = one ] && echo "1 shard,  -j $(nproc)" || echo "4 shards, -j 1 each")
    printf '%-22s %7.2f s  %6.1f pictures/s   (runs: %s)\n' "$label" "$m" "$(echo "$pictures / $m" | bc -l)" "${times[*]}"
done
