#!/usr/bin/env bash
# A real single-node Slurm cluster on localhost runs scripts/cluster/slurm-array.sbatch:
# four shards convert every picture of a list exactly once, a full rerun converts nothing,
# and a task cancelled mid-run and submitted again completes the set without converting
# anything twice. Installs slurm-wlm and munge from Debian when missing (77 when it cannot).
# Every daemon runs from a temporary folder with its own ports and is stopped on exit.
#
#   tests/cluster/slurm-test.sh KESTROVA_CLI SOURCE_DIR
set -euo pipefail

cli=$(realpath "$1")
src=$(realpath "$2")
sbatch_script=$src/scripts/cluster/slurm-array.sbatch
shards=4

say() { echo "slurm-test: $*"; }
fail() {
    echo "slurm-test: FAIL: $*" >&2
    exit 1
}
skip() {
    echo "slurm-test: SKIPPED: $*" >&2
    exit 77
}

# Daemons and job steps run as root; without root only passwordless sudo will do.
SUDO=
if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null || skip "needs root or passwordless sudo to run slurmd"
    SUDO="sudo -n"
fi
# The daemons are in /usr/sbin, which a user's PATH lacks on Debian.
export PATH=$PATH:/usr/sbin:/sbin
missing=()
for p in slurm-wlm munge; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    { $SUDO apt-get update -q && $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; } >&2 ||
        skip "could not install ${missing[*]} with apt-get"
fi
for tool in munged mungekey slurmctld slurmd sbatch squeue scancel scontrol sinfo vips python3; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
[ "${SLURM_TEST_SMOKE:-}" = 1 ] || "$cli" --help | grep -q -- --shard || fail "$cli has no --shard"

tmp=$(mktemp -d /tmp/kestrova-slurm.XXXXXX)
chmod 755 "$tmp"
pids=()
cleanup() {
    local rc=$?
    if [ -n "${SLURM_CONF:-}" ] && [ -e "$SLURM_CONF" ]; then
        scancel --quiet --user="$(id -un)" 2>/dev/null || true
        for _ in $(seq 50); do
            [ -z "$(squeue -h 2>/dev/null)" ] && break
            sleep 0.2
        done
    fi
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        $SUDO kill "${pids[i]}" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        $SUDO kill -9 "$pid" 2>/dev/null || true
    done
    # Job steps can outlive slurmd; ours carry this test's SLURM_CONF from slurmd.
    for pid in $(pgrep -x slurmstepd || true); do
        $SUDO cat "/proc/$pid/environ" 2>/dev/null | tr '\0' '\n' | grep -qx "SLURM_CONF=$tmp/slurm.conf" &&
            $SUDO kill -9 "$pid" 2>/dev/null || true
    done
    if [ $rc -ne 0 ] && [ $rc -ne 77 ]; then
        for log in "$tmp"/log/*.log; do
            [ -s "$log" ] && { echo "--- $log" >&2; tail -n 15 "$log" >&2; }
        done
    fi
    $SUDO rm -rf "$tmp"
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# munge: its own key, socket, pid and seed files; the socket folder must belong to munged's user.
mkdir -p "$tmp/munge" "$tmp/log" "$tmp/state" "$tmp/spool" "$tmp/work"
# Clients of every user reach the socket through this folder; the key itself stays root's alone.
chmod 755 "$tmp/munge"
mungekey -c -k "$tmp/munge/munge.key" -b 1024
chmod 600 "$tmp/munge/munge.key"
$SUDO chown -R root:root "$tmp/munge"
$SUDO munged -F --force --socket="$tmp/munge/socket" --key-file="$tmp/munge/munge.key" \
    --pid-file="$tmp/munge/munged.pid" --seed-file="$tmp/munge/seed" \
    --log-file="$tmp/log/munged.log" 2>>"$tmp/log/munged.log" &
pids+=($!)
for _ in $(seq 50); do
    [ -S "$tmp/munge/socket" ] && break
    sleep 0.1
done
[ -S "$tmp/munge/socket" ] || fail "munged did not start"

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
ctld_port=$(free_port)
slurmd_port=$(free_port)
[ "$ctld_port" != "$slurmd_port" ] || slurmd_port=$(free_port)
export SLURM_CONF=$tmp/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=kestrovatest
SlurmctldHost=localhost
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
AuthType=auth/munge
AuthInfo=socket=$tmp/munge/socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
SchedulerParameters=bf_interval=1
MpiDefault=none
ReturnToService=2
KillWait=5
MinJobAge=600
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/slurmctld.pid
SlurmdPidFile=$tmp/slurmd.pid
SlurmctldLogFile=$tmp/log/slurmctld.log
SlurmdLogFile=$tmp/log/slurmd.log
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/filetxt
JobCompLoc=$tmp/log/jobcomp.txt
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=debug Nodes=localhost Default=YES MaxTime=INFINITE State=UP
CONF
$SUDO env SLURM_CONF="$SLURM_CONF" slurmctld -D -i -f "$SLURM_CONF" >>"$tmp/log/slurmctld.out" 2>&1 &
pids+=($!)
$SUDO env SLURM_CONF="$SLURM_CONF" slurmd -D -N localhost -f "$SLURM_CONF" >>"$tmp/log/slurmd.out" 2>&1 &
pids+=($!)
state=
for _ in $(seq 150); do
    state=$(sinfo -h -n localhost -o %T 2>/dev/null || true)
    [ "$state" = idle ] && break
    sleep 0.2
done
[ "$state" = idle ] || fail "the node did not come up (state '$state')"
say "cluster up: slurmctld on port $ctld_port, slurmd on $slurmd_port, $(nproc) CPUs"

# wait_job ID: until no task of the job is queued or running.
wait_job() {
    for _ in $(seq 600); do
        [ -z "$(squeue -h -j "$1" 2>/dev/null)" ] && return 0
        sleep 0.2
    done
    fail "job $1 still queued or running after 120 s"
}
# task_states ID: "task state exit" for each task of an array job, sorted by task.
task_states() {
    scontrol -o show job "$1" | python3 -c '
import re, sys
rows = []
for line in sys.stdin:
    f = dict(re.findall(r"(\w+)=(\S*)", line))
    rows.append((int(f["ArrayTaskId"]), f["JobState"], f["ExitCode"]))
for r in sorted(rows):
    print(*r)'
}

if [ "${SLURM_TEST_SMOKE:-}" = 1 ]; then
    cd "$tmp/work"
    job=$(sbatch --parsable --array=0-1 --output="$tmp/work/smoke-%a.out" --wrap='hostname; echo task $SLURM_ARRAY_TASK_ID of $SLURM_ARRAY_TASK_COUNT')
    wait_job "$job"
    task_states "$job"
    cat "$tmp"/work/smoke-*.out
    exit 0
fi

# Pictures big enough that one shard takes a few seconds on one core, so a task can be
# cancelled while it runs.
"$src/tests/cluster/make-tree.sh" "$tmp/run" 300 2400 1800 >/dev/null
cd "$tmp/work"
export KESTROVA_LIST=$tmp/run/list.txt KESTROVA_CLI=$cli KESTROVA_JOBS=1
export KESTROVA_OPTIONS="--long-edge 1600 --quiet"
check() { "$src/tests/cluster/check-run.py" "$KESTROVA_LIST" "$tmp/run" "$@"; }
# submit OUT [sbatch options...]: the job's id
submit() {
    KESTROVA_OUT=$1 sbatch --parsable --output="$tmp/work/slurm-%A_%a.out" "${@:2}" "$sbatch_script"
}
# expect_states JOB OUT TASK...: each task ended COMPLETED 0:0, or FAILED 1:0 when its report
# names the broken picture.
expect_states() {
    local job=$1 reports=$2-reports want=
    for k in "${@:3}"; do
        if grep -q 'broken/notes.jpg' "$reports/report-$k.jsonl"; then
            want+="$k FAILED 1:0"$'\n'
        else
            want+="$k COMPLETED 0:0"$'\n'
        fi
    done
    got=$(task_states "$job")
    [ "$got"$'\n' = "$want" ] || fail "job $job ended as"$'\n'"$got"$'\n'"expected"$'\n'"$want"
}

say "four shards"
out=$tmp/out
job=$(submit "$out" --array=0-$((shards - 1)))
wait_job "$job"
expect_states "$job" "$out" 0 1 2 3
check "$out" written "$out-reports"/report-{0..3}.jsonl --broken pictures/broken/notes.jpg \
    --snapshot "$tmp/snapshot" || fail "the first run"

say "a full rerun"
job=$(submit "$out" --array=0-$((shards - 1)))
wait_job "$job"
expect_states "$job" "$out" 0 1 2 3
check "$out" skipped "$out-reports"/report-{0..3}.jsonl --broken pictures/broken/notes.jpg \
    --unchanged "$tmp/snapshot" || fail "the full rerun"
[ "$(ls "$out-reports"/report-*.jsonl.before-"$job" | wc -l)" = 4 ] || fail "earlier reports not kept"

say "part of an array without KESTROVA_SHARDS is refused"
job=$(submit "$tmp/refused" --array=1-2)
wait_job "$job"
[ "$(task_states "$job" | tr '\n' ' ')" = "1 FAILED 2:0 2 FAILED 2:0 " ] ||
    fail "a part without KESTROVA_SHARDS: $(task_states "$job")"
[ ! -e "$tmp/refused-reports/report-1.jsonl" ] || fail "a refused task wrote a report"

say "a task cancelled mid-run and submitted again"
# Where each shard's outputs go, from the first run's reports.
out2=$tmp/out2
for k in 0 1 2 3; do
    python3 -c 'import json, sys
for line in open(sys.argv[1]):
    o = json.loads(line)["output"]
    if o:
        print(sys.argv[3] + o[len(sys.argv[2]):])' "$out-reports/report-$k.jsonl" "$out" "$out2" >"$tmp/shard-$k.txt"
done
count_done() { # SHARD: how many of its outputs exist
    local n=0
    while IFS= read -r f; do [ -e "$f" ] && n=$((n + 1)); done <"$tmp/shard-$1.txt"
    echo "$n"
}
job=$(submit "$out2" --array=0-$((shards - 1)))
cancelled=
for _ in $(seq 1200); do
    for k in $(squeue -h -j "$job" -t R -o %K 2>/dev/null); do
        total=$(wc -l <"$tmp/shard-$k.txt")
        done_now=$(count_done "$k")
        if [ "$done_now" -gt 0 ] && [ $((done_now * 2)) -lt "$total" ]; then
            scancel "${job}_$k"
            cancelled=$k
            break 2
        fi
    done
    sleep 0.05
done
[ -n "$cancelled" ] || fail "no task was caught running with some of its pictures written"
wait_job "$job"
state=$(task_states "$job" | grep "^$cancelled ")
[[ $state == "$cancelled CANCELLED"* ]] || fail "task $cancelled ended as $state, not cancelled"
before=$(count_done "$cancelled")
total=$(wc -l <"$tmp/shard-$cancelled.txt")
[ "$before" -lt "$total" ] || fail "task $cancelled finished before it was cancelled"
check "$out2" partial /dev/null --snapshot "$tmp/snapshot2" >/dev/null
say "task $cancelled cancelled with $before of its $total pictures written; submitting it again"
job=$(KESTROVA_SHARDS=$shards submit "$out2" --array="$cancelled")
wait_job "$job"
expect_states "$job" "$out2" "$cancelled"
check "$out2" done "$out2-reports"/report-{0..3}.jsonl --broken pictures/broken/notes.jpg \
    --unchanged "$tmp/snapshot2" || fail "after the cancelled task ran again"
skipped=$(grep -c '"status":"skipped"' "$out2-reports/report-$cancelled.jsonl" || true)
[ "$skipped" = "$before" ] ||
    fail "the rerun of task $cancelled skipped $skipped pictures; $before were already there"
say "ok"
