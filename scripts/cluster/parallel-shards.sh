#!/usr/bin/env bash
# Shares of one picture list over many hosts with GNU parallel and SSH: shard K of N runs
#   kestrova-cli --files-from LIST --base BASE --shard K/N --keep-tree --if-exists skip
#                --report-format jsonl --report REPORTS/report-K.jsonl -o OUT [OPTIONS...]
# on whichever host has a free slot. Every host must see LIST, the pictures, OUT and REPORTS at
# the same paths (a shared folder) and have the converter on its PATH (or KESTROVA_CLI).
#
#   scripts/cluster/parallel-shards.sh HOSTS N LIST OUT [converter options...]
#   scripts/cluster/parallel-shards.sh hosts 16 /shared/list.txt /shared/out --long-edge 1600 -q 80
#
# HOSTS is a GNU parallel --sshloginfile: one host a line ("user@node3"), ":" for this machine,
# "2/node4" for two shards side by side on node4 (otherwise one at a time per host, since each
# converter already uses every core of its host). N is usually a few times the host count so
# fast hosts take more shares.
# Environment: KESTROVA_BASE (default: the list's folder), KESTROVA_REPORTS (default:
# OUT-reports), KESTROVA_CLI (default: kestrova-cli), KESTROVA_RESUME=1 starts only the shards
# that did not finish last time (parallel --resume-failed over REPORTS/joblog).
# A plain rerun is safe as well: pictures already written are skipped.
# Exit status: 0 every shard done, 1 some pictures or shards failed, 2 bad usage.
set -euo pipefail

usage() {
    echo "parallel-shards: $*" >&2
    echo "usage: parallel-shards.sh HOSTS N LIST OUT [converter options...]" >&2
    exit 2
}
[ $# -ge 4 ] || usage "too few arguments"
hosts=$1 n=$2 list=$3 out=$4
shift 4
command -v parallel >/dev/null || usage "GNU parallel is missing (apt-get install parallel)"
[ -r "$hosts" ] || usage "cannot read the hosts file $hosts"
case $n in '' | 0 | *[!0-9]*) usage "N must be a number above 0, not '$n'" ;; esac
[ -r "$list" ] || usage "cannot read the list $list"

# Remote shells start in the home folder, so every path is made absolute.
list=$(realpath "$list")
out=$(realpath -m "$out")
base=$(realpath -m "${KESTROVA_BASE:-$(dirname "$list")}")
reports=$(realpath -m "${KESTROVA_REPORTS:-${out%/}-reports}")
mkdir -p "$out" "$reports"

cmd=$(printf '%q ' "${KESTROVA_CLI:-kestrova-cli}" --files-from "$list" --base "$base" \
    --keep-tree --if-exists skip --report-format jsonl -o "$out" "$@")
cmd+="--shard {}/$n --report $(printf '%q' "$reports")/report-{}.jsonl"

resume=()
[ "${KESTROVA_RESUME:-}" = 1 ] && resume=(--resume-failed)
set +e
parallel --sshloginfile "$hosts" --jobs 1 --joblog "$reports/joblog" "${resume[@]}" \
    --tag --line-buffer "$cmd" ::: $(seq 0 $((n - 1)))
set -e

# The joblog's Exitval and Signal columns for each shard; the last line per shard counts.
worst=$(awk -F'\t' 'NR > 1 { code[$NF] = ($8 != 0) ? 1 : $7 }
    END { w = 0; for (c in code) { if (code[c] == 2) w = 2; else if (code[c] != 0 && w == 0) w = 1 }
          print w }' "$reports/joblog")
failed=$(awk -F'\t' 'NR > 1 { code[$NF] = $7 + $8 } END { for (c in code) if (code[c] != 0) print c }' \
    "$reports/joblog" | sed 's/.*--shard \([0-9]*\)\/.*/\1/' | sort -n | tr '\n' ' ')
if [ -n "$failed" ]; then
    echo "parallel-shards: shards not done: $failed(reports in $reports)" >&2
    echo "parallel-shards: rerun with KESTROVA_RESUME=1 to start only those" >&2
fi
exit "$worst"
