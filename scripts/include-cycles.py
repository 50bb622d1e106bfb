#!/usr/bin/env python3
"""Counts includes that run back up: a unit (a header with its source file) including one
that, directly or through others, includes it again, and a unit including one of a folder
above its own. Layers from the bottom: fileio, formats, jobs, then ui/cli/app."""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYER = {"fileio": 0, "formats": 1, "l10n": 1, "jobs": 2, "ui": 3, "cli": 3, "app": 4}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def program_files():
    for folder in LAYER:
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if name.endswith((".h", ".cpp")):
                yield f"{folder}/{name}"


def includes(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return [i for i in INCLUDE.findall(f.read()) if os.path.exists(os.path.join(ROOT, i))]


def unit(path):
    return os.path.splitext(path)[0]


def main():
    graph = {}
    for f in program_files():
        graph.setdefault(unit(f), set()).update(unit(i) for i in includes(f) if unit(i) != unit(f))
    found = []
    for f, targets in graph.items():
        for t in targets:
            up = LAYER.get(t.split("/")[0], 0) > LAYER[f.split("/")[0]]
            seen, todo = set(), [t]
            while todo:
                n = todo.pop()
                if n in seen:
                    continue
                seen.add(n)
                todo.extend(graph.get(n, []))
            back = f in seen
            if up or back:
                found.append(f"{f} -> {t}" + (" (above)" if up else " (cycle)"))
    for line in found:
        print(line)
    print(f"{len(found)} includes run back up")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
