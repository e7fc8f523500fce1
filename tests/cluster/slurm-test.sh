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
old_steps=$(pgrep -x slurmstepd || true)
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
    # Job steps outlive slurmd; only those that appeared during this test are ours.
    for pid in $(pgrep -x slurmstepd || true); do
        grep -qx "$pid" <<<"$old_steps" || $SUDO kill -9 "$pid" 2>/dev/null || true
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
chmod 700 "$tmp/munge"
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
