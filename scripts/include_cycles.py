#!/usr/bin/env python3
"""Lists include cycles among the files of one folder, counting a header and its source as
one module: a module that includes (directly or through others) one that includes it back."""
import pathlib
import re
import sys

folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "ui")
include = re.compile(r'#include "' + re.escape(folder.name) + r'/([^"]+)\.h"')
edges = {}
for file in sorted(folder.glob("*.[ch]*")):
    module = file.stem
    for target in include.findall(file.read_text(encoding="utf-8")):
        if target != module:
            edges.setdefault(module, set()).add(target)


def reaches(start, goal):
    seen, todo = set(), [start]
    while todo:
        at = todo.pop()
        for next_module in edges.get(at, ()):
            if next_module == goal:
                return True
            if next_module not in seen:
                seen.add(next_module)
                todo.append(next_module)
    return False


back = sorted((a, b) for a, targets in edges.items() for b in targets if reaches(b, a))
for a, b in back:
    print(f"{folder}/{a} -> {b} -> ... -> {a}")
print(f"{len(back)} includes that run back in {folder}/")
sys.exit(1 if back else 0)
