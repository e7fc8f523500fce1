#!/usr/bin/env bash
# scripts/cluster/parallel-shards.sh over real SSH: an sshd of the test's own on a free port of
# localhost stands for two hosts. The shards run through a login shell, with paths that hold
# spaces; with sshd stopped every shard is named not done, and a resume once it is back
# completes the set. Installs openssh-server and GNU parallel from Debian when missing (77 when
# it cannot, or when sshd will not start here).
#
#   tests/cluster/ssh-test.sh KESTROVA_CLI SOURCE_DIR
set -euo pipefail
cli=$(realpath "$1")
src=$(realpath "$2")
here=$src/tests/cluster
fail() {
    echo "ssh-test: FAIL: $*" >&2
    exit 1
}
skip() {
    echo "ssh-test: SKIPPED: $*" >&2
    exit 77
}
sudo=$([ "$(id -u)" = 0 ] || echo "sudo -n")
missing=()
[ -x /usr/sbin/sshd ] || missing+=(openssh-server)
command -v ssh >/dev/null || missing+=(openssh-client)
command -v parallel >/dev/null || missing+=(parallel)
if [ ${#missing[@]} -gt 0 ]; then
    { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; } >&2 ||
        skip "could not install ${missing[*]}"
fi

tmp=$(mktemp -d /tmp/kestrova-ssh.XXXXXX)
chmod 755 "$tmp"
cleanup() {
    [ -e "$tmp/sshd.pid" ] && kill "$(cat "$tmp/sshd.pid")" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
ssh-keygen -q -t ed25519 -N '' -f "$tmp/hostkey"
ssh-keygen -q -t ed25519 -N '' -f "$tmp/userkey"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
# sshd wants its privilege separation folder; it is the package's own, made at boot.
[ -d /run/sshd ] || $sudo mkdir -p /run/sshd 2>/dev/null || true
cat >"$tmp/sshd_config" <<EOF
Port $port
ListenAddress 127.0.0.1
HostKey $tmp/hostkey
AuthorizedKeysFile $tmp/userkey.pub
StrictModes no
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
PermitRootLogin prohibit-password
PidFile $tmp/sshd.pid
EOF
/usr/sbin/sshd -f "$tmp/sshd_config" -E "$tmp/sshd.log" || skip "sshd does not start here: $(cat "$tmp/sshd.log")"
cat >"$tmp/ssh_config" <<EOF
Host node-a node-b
  HostName 127.0.0.1
  Port $port
  User $(id -un)
  IdentityFile $tmp/userkey
  StrictHostKeyChecking no
  UserKnownHostsFile $tmp/known_hosts
  BatchMode yes
  ConnectTimeout 10
EOF
export PARALLEL_SSH="ssh -F $tmp/ssh_config" KESTROVA_CLI=$cli HOME=$tmp
for _ in $(seq 50); do
    ssh -F "$tmp/ssh_config" node-a true 2>/dev/null && break
    sleep 0.1
done
ssh -F "$tmp/ssh_config" node-a true 2>"$tmp/ssh.err" || skip "no SSH login to this machine: $(cat "$tmp/ssh.err")"

"$here/make-tree.sh" "$tmp/run" 120 >/dev/null
printf '%s\n' node-a node-b >"$tmp/hosts"
out="$tmp/out files"
run() { # run EXPECTED_STATUS WHAT [environment...]
    local expected=$1 what=$2 status=0
    shift 2
    env "$@" "$src/scripts/cluster/parallel-shards.sh" "$tmp/hosts" 6 "$tmp/run/list.txt" "$out" --quiet \
        >"$tmp/log" 2>&1 || status=$?
    [ "$status" = "$expected" ] || {
        cat "$tmp/log" "$out-reports/joblog" 2>/dev/null
        fail "$what: status $status, expected $expected"
    }
}
run 1 "over SSH (one broken picture)"
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" written "$out-reports"/report-{0..5}.jsonl \
    --broken pictures/broken/notes.jpg || fail "over SSH"
for host in node-a node-b; do
    cut -f2 "$out-reports/joblog" | grep -qx "$host" || fail "$host ran no shard"
done

rm -rf "$out" "$out-reports"
kill "$(cat "$tmp/sshd.pid")"
for _ in $(seq 50); do
    ssh -F "$tmp/ssh_config" node-a true 2>/dev/null || break
    sleep 0.1
done
run 1 "with the hosts down"
grep -q "shards not done: 0 1 2 3 4 5 " "$tmp/log" || { cat "$tmp/log"; fail "the shards not run are not named"; }
/usr/sbin/sshd -f "$tmp/sshd_config" -E "$tmp/sshd.log" || fail "sshd does not start again"
sleep 0.3
run 1 "resume" KESTROVA_RESUME=1
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" written "$out-reports"/report-{0..5}.jsonl \
    --broken pictures/broken/notes.jpg || fail "resume"
echo "ssh-test: ok"
