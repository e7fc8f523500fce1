#!/usr/bin/env bash
# scripts/cluster/parallel-shards.sh over several "hosts" converts every picture of a list
# exactly once: two reached through a stand-in for ssh (which runs the command here, so the
# quoting a real remote shell sees is exercised) and this machine (":") with two slots.
# A rerun converts nothing. Installs GNU parallel from Debian when missing (77 when it cannot).
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
# below, and runs the command with a shell as sshd would.
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
exec /bin/sh -c "\$*"
SH
chmod +x "$tmp/bin/fakessh"
printf '#!/bin/sh\necho "${FAKE_HOST:-local} $*" >>"%s/hosts.log"\nexec "%s" "$@"\n' "$tmp" "$cli" \
    >"$tmp/bin/kestrova-cli"
chmod +x "$tmp/bin/kestrova-cli"
export PATH=$tmp/bin:$PATH
printf '%s\n' "$tmp/bin/fakessh node1" "$tmp/bin/fakessh node2" "2/:" >"$tmp/hosts"

"$here/make-tree.sh" "$tmp/run" 200 >/dev/null
out="$tmp/out files"
status=0
"$src/scripts/cluster/parallel-shards.sh" "$tmp/hosts" 8 "$tmp/run/list.txt" "$out" --quiet >"$tmp/log" 2>&1 ||
    status=$?
[ "$status" = 1 ] || { cat "$tmp/log"; fail "status $status, expected 1 for the one broken picture"; }
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" written "$out-reports"/report-{0..7}.jsonl \
    --broken pictures/broken/notes.jpg --snapshot "$tmp/snapshot" || fail "first run"
for host in node1 node2; do
    grep -q "^$host .*--shard" "$tmp/hosts.log" || fail "$host ran no shard"
done
grep -q "^local .*--shard" "$tmp/hosts.log" || fail "this machine ran no shard"

status=0
"$src/scripts/cluster/parallel-shards.sh" "$tmp/hosts" 8 "$tmp/run/list.txt" "$out" --quiet >"$tmp/log" 2>&1 ||
    status=$?
[ "$status" = 1 ] || { cat "$tmp/log"; fail "rerun: status $status, expected 1"; }
"$here/check-run.py" "$tmp/run/list.txt" "$tmp/run" "$out" skipped "$out-reports"/report-{0..7}.jsonl \
    --broken pictures/broken/notes.jpg --unchanged "$tmp/snapshot" || fail "rerun"
echo "parallel-test: ok"
