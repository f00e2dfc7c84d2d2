#!/usr/bin/env python3
"""The include structure of the sources: no circle between modules.

A module is a header with the source of the same name beside it; an arrow
runs from a module to every module its files include. The folders' direction
is enforced by the build (each folder's library sees only the folders below
it); this check finds what the build cannot: a circle inside a folder.
Prints each circle found and exits 1; exits 0 when there is none.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FOLDERS = ("base", "components", "ui", "app")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def modules():
    graph = {}
    for folder in FOLDERS:
        for dirpath, _, files in os.walk(os.path.join(ROOT, folder)):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), ROOT).replace(os.sep, "/")
                module = path.rsplit(".", 1)[0]
                with open(os.path.join(ROOT, path), encoding="utf-8") as f:
                    text = f.read()
                arrows = graph.setdefault(module, set())
                for target in INCLUDE.findall(text):
                    if target.endswith(".h") and target.split("/", 1)[0] in FOLDERS:
                        other = target.rsplit(".", 1)[0]
                        if other != module:
                            arrows.add(other)
    return graph


def circles(graph):
    found, state, stack = [], {}, []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return found


def main():
    sys.setrecursionlimit(10000)
    found = circles(modules())
    for c in found:
        print("include circle: " + " -> ".join(c))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
