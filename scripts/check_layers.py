#!/usr/bin/env python3
"""Fails when the program's source folders include each other in a circle, or when a folder
includes one that lies above it in the order of the layers (README, "Layout of the source").

Usage: check_layers.py [TOP]   (TOP: the source tree, by default this script's parent)
"""
import os
import re
import sys

# Bottom first: a folder may include its own headers and those of the folders before it.
LAYERS = ["core", "res", "controls", "browse", "scan", "fileops", "pages", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"', re.M)


def edges(top):
    """(from folder, to folder, file) for every include of another folder of the program."""
    found = []
    for folder in LAYERS:
        path = os.path.join(top, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(path, name), encoding="utf-8", errors="replace") as f:
                for target in INCLUDE.findall(f.read()):
                    if target != folder and target in LAYERS:
                        found.append((folder, target, folder + "/" + name))
    return found


def circles(graph):
    """The folders of every circle of the graph, each circle once (as a sorted tuple)."""
    seen = set()
    result = []

    def walk(start, node, trail):
        for nxt in sorted(graph.get(node, ())):
            if nxt == start:
                key = tuple(sorted(trail))
                if key not in seen:
                    seen.add(key)
                    result.append(trail + [start])
            elif nxt not in trail:
                walk(start, nxt, trail + [nxt])

    for start in sorted(graph):
        walk(start, start, [start])
    return result


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found = edges(top)
    graph = {}
    for a, b, _ in found:
        graph.setdefault(a, set()).add(b)
    failed = False
    for circle in circles(graph):
        failed = True
        print("include circle: " + " -> ".join(circle))
    for a, b, where in found:
        if LAYERS.index(b) > LAYERS.index(a):
            failed = True
            print("%s includes %s, which lies above it" % (where, b))
    if failed:
        return 1
    print("folders in order, no circle: " + " < ".join(LAYERS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
