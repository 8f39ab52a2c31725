#!/usr/bin/env python3
"""The folders' layers hold: no folder of core/ or gui/ includes a folder that includes it back (directly or round
a longer circle), nothing in core/ includes gui/, and the README and docs/layers.md name every file.
With --print, lists what each folder includes."""
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
# Every room is named where a newcomer looks: the README's folder table and the rooms table in docs/layers.md.
readme_rows = dict(re.findall(r"^\| `((?:core|gui)/[a-z]+)/` \| (.*) \|$", (root / "README.md").read_text(encoding="utf-8"), re.M))
layer_rows = dict(re.findall(r"^\| `((?:core|gui)/[a-z]+)` \| (`.*) \|$", (root / "docs/layers.md").read_text(encoding="utf-8"), re.M))
for path in sorted(list(root.glob("core/*/*")) + list(root.glob("gui/*/*"))):
    if path.suffix not in (".cpp", ".h"):
        continue
    folder = "/".join(path.relative_to(root).parts[:2])
    for where, rows in (("README.md", readme_rows), ("docs/layers.md", layer_rows)):
        if f"`{path.stem}" not in rows.get(folder, "") and f"`{path.name}`" not in rows.get(folder, ""):
            wrong.append(f"{where} does not name {path.relative_to(root)}")

for line in wrong:
    print(line, file=sys.stderr)
sys.exit(1 if wrong else 0)
