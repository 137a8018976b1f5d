#!/usr/bin/env python3
"""Fails when an include runs against the layering, or units include each other in a circle.

Each folder may include only the folders listed for it (and itself). Run from
anywhere; prints one line per offending include, or nothing.
"""
import collections, os, re, sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
Q = "libs/cpp/QMDrovebot/"
BASE = ["libs/cpp/MTools", "libs/cpp/QMWidgets"]
ALLOWED = {
    "app": ["app/window", "app/compress", "app/cli", Q + "*"] + BASE,
    "app/cli": ["app/window", "app/compress", Q + "*"] + BASE,
    "app/window": ["app/compress", Q + "*"] + BASE,
    "app/compress": ["libs/cpp/MTools"],
    "libs/cpp/QMAttach": [Q + "batch", Q + "editor", Q + "automation", Q + "engine", Q + "ids"] + BASE,
    Q + "batch": [Q + "editor", Q + "automation", Q + "engine", Q + "ids"] + BASE,
    Q + "editor": [Q + "automation", Q + "engine", Q + "ids"] + BASE,
    Q + "automation": [Q + "engine", Q + "ids"] + BASE,
    Q + "engine": BASE,
    Q + "ids": BASE,
    "libs/cpp/QMWidgets": [],
    "libs/cpp/MTools": [],
}


def sources():
    for top in ("app", "libs"):
        for folder, _, names in os.walk(os.path.join(ROOT, top)):
            for name in names:
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def allowed(src_dir, dst_dir):
    if src_dir == dst_dir:
        return True
    for pattern in ALLOWED.get(src_dir, []):
        if pattern.endswith("*") and dst_dir.startswith(pattern[:-1]) or dst_dir == pattern:
            return True
    return False


def main():
    files = list(sources())
    headers = {f for f in files if f.endswith(".h")}
    graph = collections.defaultdict(set)
    problems = []
    for f in files:
        folder = os.path.dirname(f)
        if folder not in ALLOWED:
            problems.append(f"{f}: folder {folder} has no place in the layering (tools/check-layers.py)")
            continue
        text = open(os.path.join(ROOT, f), encoding="utf-8", errors="replace").read()
        for inc in re.findall(r'^\s*#include\s+["<]([^">]+)[">]', text, re.M):
            target = next((c for c in (os.path.normpath(os.path.join(folder, inc)), "libs/cpp/" + inc, "app/" + inc)
                           if c in headers), None)
            if not target:
                continue
            if not allowed(folder, os.path.dirname(target)):
                problems.append(f"{f}: includes {target} against the layering")
            if os.path.splitext(target)[0] != os.path.splitext(f)[0]:
                graph[os.path.splitext(f)[0]].add(os.path.splitext(target)[0])
    # Circles between units, by Tarjan's strongly connected components.
    index, low, stack, on, counter = {}, {}, [], set(), [0]
    sys.setrecursionlimit(10000)

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in graph[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                problems.append("units include each other in a circle: " + ", ".join(sorted(component)))

    for v in list(graph):
        if v not in index:
            visit(v)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
