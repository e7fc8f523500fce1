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
# that did not finish last time (parallel --resume-failed over REPORTS/joblog); a shard is done
# when it exited 0 and left its report.
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

# The command is quoted for bash (printf %q), and parallel would run it on a host with that
# host's login shell, which may be another one, or none when SHELL is unset there.
export PARALLEL_SHELL=${PARALLEL_SHELL:-/bin/bash}

resume=()
if [ "${KESTROVA_RESUME:-}" = 1 ]; then
    resume=(--resume-failed)
else
    # A report left from an earlier run must not pass for this run's.
    rm -f "$reports"/report-*.jsonl
fi
set +e
parallel --sshloginfile "$hosts" --jobs 1 --joblog "$reports/joblog" "${resume[@]}" \
    --tag --line-buffer "$cmd" ::: $(seq 0 $((n - 1)))
set -e

# A shard is done when its last joblog line says status 0 and it left its report: a remote shell
# that ran nothing also says 0. Such lines get status 255 in the joblog, so a resume reruns them.
# One pass rewrites the joblog and prints each shard's last status: the converter's 0, 1 or 2, or
# 255 when it was killed, could not be reached or left no report; "none" when it never started.
[ -e "$reports/joblog" ] || : >"$reports/joblog"
: >"$reports/joblog.new" # awk makes it only when there is a line to write
codes=$(awk -F'\t' -v OFS='\t' -v reports="$reports" -v n="$n" -v joblog="$reports/joblog.new" '
    NR == 1 { print > joblog; next }
    {
        k = $NF; sub(/.*--shard /, "", k); sub(/\/.*/, "", k); k += 0
        report = reports "/report-" k ".jsonl"
        if ($7 == 0 && $8 == 0 && (getline line < report) < 0) $7 = 255
        close(report)
        last[k] = ($8 != 0) ? 255 : $7
        print > joblog
    }
    END { for (k = 0; k < n; k++) print k, (k in last) ? last[k] : "none" }' "$reports/joblog")
mv "$reports/joblog.new" "$reports/joblog"
worst=0
failed='' unfinished=''
while read -r k code; do
    case $code in
    0) continue ;;
    1) failed+="$k " ;;
    2) failed+="$k " worst=2 ;;
    *) unfinished+="$k " ;;
    esac
    [ "$worst" = 2 ] || worst=1
done <<<"$codes"
[ -z "$failed" ] || echo "parallel-shards: shards with pictures that failed: $failed(reports in $reports)" >&2
[ -z "$unfinished" ] || echo "parallel-shards: shards not done: $unfinished(killed, unreachable or no report)" >&2
if [ -n "$failed$unfinished" ]; then
    echo "parallel-shards: rerun with KESTROVA_RESUME=1 to start only those; pictures written are skipped" >&2
fi
exit "$worst"
