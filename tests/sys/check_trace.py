#!/usr/bin/env python3
"""Reads a profiler trace with Python's json and compares it with the tree
the profiler itself recorded: check_trace.py TRACE EXPECTED. EXPECTED is a
JSON list of frames, oldest first, each a node {name, cat, calls, total,
children}. The trace's complete events are nested back into trees by their
intervals alone; the trees must equal EXPECTED, with siblings in order and
never overlapping, and frames one after another on one track."""
import json, sys

trace = json.load(open(sys.argv[1]))
expected = json.load(open(sys.argv[2]))
events = [e for e in trace["traceEvents"] if e["ph"] == "X"]
assert events and all(e["pid"] == 1 and e["tid"] == 1 for e in events), "one track"
assert any(e["ph"] == "M" and e["name"] == "thread_name" for e in trace["traceEvents"])

frames, stack = [], []
for index, e in sorted(enumerate(events), key=lambda ie: (ie[1]["ts"], -ie[1]["dur"], ie[0])):
    start, end = e["ts"], e["ts"] + e["dur"]
    while stack and not (stack[-1][1] <= start and end <= stack[-1][2]):
        stack.pop()
    siblings = stack[-1][0]["children"] if stack else frames
    assert not siblings or siblings[-1]["end"] <= start, "siblings overlap at %s" % e["name"]
    node = {"name": e["name"], "cat": e["cat"], "calls": e["args"]["calls"], "total": e["dur"], "children": [], "end": end}
    siblings.append(node)
    stack.append((node, start, end))


def strip(node):
    return {k: ([strip(c) for c in v] if k == "children" else v) for k, v in node.items() if k != "end"}


actual = [strip(f) for f in frames]
if actual != expected:
    print("trace:    %s\nexpected: %s" % (json.dumps(actual), json.dumps(expected)))
    sys.exit(1)
