#!/usr/bin/env bash
# The Kubernetes Indexed Job parses and holds together: N pods, each given its own
# --shard $(JOB_COMPLETION_INDEX)/N and its own report, every path on the shared claim.
# Structure only; no cluster is contacted. 77 when python3-yaml is missing and cannot be installed.
#
#   tests/cluster/k8s-manifest-test.sh [MANIFEST]
set -euo pipefail
manifest=${1:-$(dirname "$0")/../../scripts/cluster/k8s-indexed-job.yaml}
py=/usr/bin/python3
if ! "$py" -c 'import yaml' 2>/dev/null; then
    sudo=$([ "$(id -u)" = 0 ] || echo "sudo -n")
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q python3-yaml >&2 ||
        { echo "k8s-manifest-test: SKIPPED: python3-yaml is missing and could not be installed" >&2; exit 77; }
fi
exec "$py" - "$manifest" <<'PY'
import re, sys, yaml

docs = [d for d in yaml.safe_load_all(open(sys.argv[1])) if d]
problems = []
def check(ok, what):
    if not ok:
        problems.append(what)

check(len(docs) == 1, "one document")
job = docs[0]
check(job.get("apiVersion") == "batch/v1" and job.get("kind") == "Job", "a batch/v1 Job")
spec = job.get("spec", {})
pod = spec.get("template", {}).get("spec", {})
check(spec.get("completionMode") == "Indexed", "completionMode Indexed")
containers = pod.get("containers", [])
check(len(containers) == 1, "one container")
c = containers[0] if containers else {}
cmd = [str(a) for a in c.get("command", []) + c.get("args", [])]
check(cmd[:1] == ["kestrova-cli"], "runs kestrova-cli")

def value(flag):
    return cmd[cmd.index(flag) + 1] if flag in cmd and cmd.index(flag) + 1 < len(cmd) else None

shard = re.fullmatch(r"\$\(JOB_COMPLETION_INDEX\)/(\d+)", value("--shard") or "")
check(shard is not None, "--shard $(JOB_COMPLETION_INDEX)/N")
n = int(shard.group(1)) if shard else None
check(spec.get("completions") == n and spec.get("parallelism") == n,
      f"completions == parallelism == N ({spec.get('completions')}, {spec.get('parallelism')}, {n})")
check("--keep-tree" in cmd and value("--if-exists") == "skip", "--keep-tree --if-exists skip")
check(value("--report-format") == "jsonl", "--report-format jsonl")
check("$(JOB_COMPLETION_INDEX)" in (value("--report") or ""), "a report of each pod's own")
env = {e.get("name") for e in c.get("env", [])}
check(not env or "JOB_COMPLETION_INDEX" in env, "JOB_COMPLETION_INDEX given when env is")

# Every path the converter touches lies on a mounted persistent volume claim.
claims = {v["name"] for v in pod.get("volumes", []) if "persistentVolumeClaim" in v}
check(bool(claims), "a persistentVolumeClaim volume")
mounts = [m["mountPath"].rstrip("/") + "/" for m in c.get("volumeMounts", []) if m.get("name") in claims]
for flag in ("--files-from", "--base", "--report", "-o"):
    path = value(flag) or ""
    check(any((path + "/").startswith(m) for m in mounts), f"{flag} {path!r} on the shared claim")

policy = spec.get("podFailurePolicy")
if policy:
    check(pod.get("restartPolicy") == "Never", "restartPolicy Never with a podFailurePolicy")
    for rule in policy.get("rules", []):
        name = rule.get("onExitCodes", {}).get("containerName")
        check(name in (None, c.get("name")), f"podFailurePolicy names the container ({name})")
else:
    check(pod.get("restartPolicy") in ("Never", "OnFailure"), "restartPolicy Never or OnFailure")

for p in problems:
    print("k8s-manifest-test: FAIL:", p, file=sys.stderr)
print("k8s-manifest-test:", "ok" if not problems else f"{len(problems)} problems", f"(N = {n})")
sys.exit(1 if problems else 0)
PY
