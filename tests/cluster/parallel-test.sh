#!/usr/bin/env bash
# scripts/cluster/parallel-shards.sh over several "hosts" converts every picture of a list
# exactly once: two reached through a stand-in for ssh (which runs the command here, so the
# quoting a real remote shell sees is exercised) and this machine (":") with two slots.
# A rerun converts nothing. A host whose shell runs nothing leaves its shards not done, and a
# resume over working hosts completes them. Installs GNU parallel from Debian when missing (77 when it cannot).
#
#   tests/cluster/parallel-test.sh KESTROVA_CLI SOURCE_DIR
set -euo pipefail
cli=$(realpath "$1")
src=$(realpath "$2")
here=$src/tests/cluster
fail() {
    echo "parallel-test: FAIL: $*" >&2
    exit 1
}
if ! command -v parallel >/dev/null; then
    sudo=$([ "$(id -u)" = 0 ] || echo "sudo -n")
    { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q parallel; } >&2 ||
        { echo "parallel-test: SKIPPED: GNU parallel is missing and could not be installed" >&2; exit 77; }
fi
"$cli" --help | grep -q -- --shard || fail "$cli has no --shard"

tmp=$(mktemp -d /tmp/kestrova-parallel.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/bin" "$tmp/home"
export HOME=$tmp/home # parallel keeps its state under ~/.parallel
# The stand-in for ssh: drops its options, passes the host on to the converter's wrapper
# below, and runs the command with a shell as sshd would, but without SHELL, which parallel
# would otherwise take for the shell to run the command with.
cat >"$tmp/bin/fakessh" <<SH
#!/bin/sh
while [ \$# -gt 0 ]; do
    case \$1 in
    -l | -p | -o | -i | -S) shift 2 ;;
    --) shift; break ;;
    -*) shift ;;
    *) host=\$1; shift; break ;;
    esac
done
[ "\${1:-}" = -- ] && shift
export FAKE_HOST=\$host
unset SHELL
exec /bin/sh -c "\$*"
SH
# A host that accepts the command, runs nothing and reports success.
printf '#!/bin/sh\nexit 0\n' >"$tmp/bin/nullssh"
chmod +x "$tmp/bin/fakessh" "$tmp/bin/nullssh"
printf '#!/bin/sh\necho "${FAKE_HOST:-local} $*" >>"%s/hosts.log"\nexec "%s" "$@"\n' "$tmp" "$cli" \
    >"$tmp/bin/kestrova-cli"
chmod +x "$tmp/bin/kestrova-cli"
export PATH=$tmp/bin:$PATH
# Plain host names, as a real hosts file has: parallel reaches them through PARALLEL_SSH.
printf '%s\n' node1 node2 "2/:" >"$tmp/hosts"
export PARALLEL_SSH=$tmp/bin/fakessh

"$here/make-tree.sh" "$tmp/run" 200 >/dev/null
out="$tmp/out files"
run() { # run HOSTS EXPECTED_STATUS WHAT
    local status=0
    "$src/scripts/cluster/parallel-shards.sh" "$1" 8 "$tmp/run/list.txt" "$out" --quiet >"$tmp/log" 2>&1 ||
        status=$?
    [ "$status" = "$2" ] || {
        cat "$tmp/log" "$out-reports/joblog" 2>/dev/null
        fail "$3: status $status, expected $2"
    }
}
run "$tmp/hosts" 1 "first run (one broken picture)"
grep -q "shards with pictures that failed: [0-7] (" "$tmp/log" && ! grep -q "not done" "$tmp/log" ||
    { cat "$tmp/log"; fail "the one shard with the broken picture is not named alone"; }
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" written "$out-reports"/report-{0..7}.jsonl \
    --broken pictures/broken/notes.jpg --snapshot "$tmp/snapshot" || fail "first run"
for host in node1 node2; do
    grep -q "^$host .*--shard" "$tmp/hosts.log" || fail "$host ran no shard"
done
grep -q "^local .*--shard" "$tmp/hosts.log" || fail "this machine ran no shard"

run "$tmp/hosts" 1 rerun
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" skipped "$out-reports"/report-{0..7}.jsonl \
    --broken pictures/broken/notes.jpg --unchanged "$tmp/snapshot" || fail "rerun"

rm -rf "$out" "$out-reports"
echo node3 >"$tmp/null-hosts"
PARALLEL_SSH=$tmp/bin/nullssh run "$tmp/null-hosts" 1 "a host that runs nothing"
grep -q "shards not done: 0 1 2 3 4 5 6 7 " "$tmp/log" || { cat "$tmp/log"; fail "the shards node3 skipped are not named"; }
KESTROVA_RESUME=1 run "$tmp/hosts" 1 "resume"
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" written "$out-reports"/report-{0..7}.jsonl \
    --broken pictures/broken/notes.jpg || fail "resume"
echo "parallel-test: ok"
