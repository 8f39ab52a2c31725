#!/usr/bin/env python3
"""The folders' layers hold: no folder of core/ or gui/ includes a folder that includes it back (directly or round
a longer circle), and nothing in core/ includes gui/. With --print, lists what each folder includes."""
import collections
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
edges = collections.defaultdict(set)
wrong = []
for path in sorted(list(root.glob("core/**/*")) + list(root.glob("gui/**/*"))):
    if path.suffix not in (".cpp", ".h"):
        continue
    folder = "/".join(path.relative_to(root).parts[:2])
    for included in re.findall(r'#include "((?:core|gui)/[^"]+)"', path.read_text(encoding="utf-8")):
        target = "/".join(included.split("/")[:2])
        if target != folder:
            edges[folder].add(target)
        if folder.startswith("core/") and target.startswith("gui/"):
            wrong.append(f"{path.relative_to(root)} includes {included}")

if "--print" in sys.argv:
    for folder in sorted(edges):
        print(folder, "->", " ".join(sorted(edges[folder])))


def circle_from(start):
    """A path of includes that leads from start back to it, or None."""
    stack = [(start, [start])]
    seen = set()
    while stack:
        folder, path = stack.pop()
        for target in edges.get(folder, ()):
            if target == start:
                return path + [start]
            if target not in seen:
                seen.add(target)
                stack.append((target, path + [target]))
    return None


for folder in sorted(edges):
    circle = circle_from(folder)
    if circle:
        wrong.append("folders include each other: " + " -> ".join(circle))
for line in wrong:
    print(line, file=sys.stderr)
sys.exit(1 if wrong else 0)
