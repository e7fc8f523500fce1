#!/usr/bin/python3
"""Checks a sharded run against its list: the merged JSONL reports name every listed picture
exactly once with the expected status, each output sits at its source's place under the output
folder (the tree mirrored), and the output folder holds nothing else.

  check-run.py LIST BASE OUT STATUS REPORT... [--broken PATH] [--snapshot FILE] [--unchanged FILE]

STATUS is the status every picture must have (written, skipped) or "done" for either, or
"partial" after a cancelled run: then only --snapshot is taken. The
--broken picture must have failed (any status but written or skipped) with a reason and no output. --snapshot saves each output's
inode, size and modification time; --unchanged fails when a saved output was written again.
"""
import argparse, json, os, sys

KEYS = {"source", "output", "width", "height", "bytes", "quality", "status", "reason", "shard",
        "host", "seconds"}
a = argparse.ArgumentParser()
a.add_argument("list"); a.add_argument("base"); a.add_argument("out"); a.add_argument("status")
a.add_argument("reports", nargs="+")
a.add_argument("--broken"); a.add_argument("--snapshot"); a.add_argument("--unchanged")
args = a.parse_args()
problems = []
listdir = os.path.dirname(os.path.abspath(args.list))
base, out = os.path.realpath(args.base), os.path.realpath(args.out)

def absolute(p):
    return os.path.realpath(os.path.join(listdir, p))

listed = [absolute(l.rstrip("\r\n")) for l in open(args.list, "rb").read().decode().splitlines() if l]
broken = absolute(args.broken) if args.broken else None
seen = {}
for report in args.reports:
    for n, line in enumerate(open(report, encoding="utf-8"), 1):
        try:
            row = json.loads(line)
        except ValueError as e:
            problems.append(f"{report}:{n} is not JSON ({e})")
            continue
        if set(row) != KEYS:
            problems.append(f"{report}:{n} keys {sorted(set(row) ^ KEYS)} missing or extra")
        src = absolute(row.get("source") or "")
        if src in seen:
            problems.append(f"{src} reported twice ({seen[src]['status']}, {row.get('status')})")
        seen[src] = row

present = {os.path.join(d, f) for d, _, fs in os.walk(out) for f in fs}
if args.status == "partial":
    listed, outputs = [], present
else:
    outputs = set()
for src in listed:
    row = seen.get(src)
    if row is None:
        problems.append(f"{src} in no report")
        continue
    if src == broken:
        if row["status"] in ("written", "skipped") or not row.get("reason") or row.get("output"):
            problems.append(f"{src}: expected failed with a reason and no output, got {row}")
        continue
    if args.status not in (row["status"], "done") or row["status"] not in ("written", "skipped"):
        problems.append(f"{src}: status {row['status']} ({row.get('reason')}), expected {args.status}")
        continue
    o = os.path.realpath(row["output"] or "")
    want = os.path.join(out, os.path.relpath(os.path.dirname(src), base))
    if os.path.dirname(o) != want:
        problems.append(f"{src}: output {o} not in {want}")
    if not os.path.isfile(o):
        problems.append(f"{src}: output {o} missing")
    outputs.add(o)
extra = set(seen) - set(listed)
if extra:
    problems.append(f"{len(extra)} reported pictures not in the list, e.g. {sorted(extra)[0]}")

if present != outputs:
    problems.append(f"output folder: {len(present - outputs)} files no report names, "
                    f"{len(outputs - present)} named but missing, e.g. {sorted(present ^ outputs)[:2]}")

def stamp(p):
    s = os.stat(p)
    return [s.st_ino, s.st_size, s.st_mtime_ns]

if args.unchanged:
    for p, old in json.load(open(args.unchanged)).items():
        if not os.path.exists(p) or stamp(p) != old:
            problems.append(f"{p} was written again")
if args.snapshot:
    json.dump({p: stamp(p) for p in present}, open(args.snapshot, "w"))

for p in problems[:20]:
    print("check-run: FAIL:", p, file=sys.stderr)
status = {}
for row in seen.values():
    status[row.get("status")] = status.get(row.get("status"), 0) + 1
print(f"check-run: {len(listed)} listed, {len(present)} outputs, statuses {status}"
      + (f", {len(problems)} problems" if problems else ""))
sys.exit(1 if problems else 0)
