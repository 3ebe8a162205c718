#!/usr/bin/env python3
"""Prints the include cycles between the units of src/.

A unit is a .h/.cpp pair (or a lone header or source) named by its path
under src/ without the extension; unit A depends on unit B when either file
of A has `#include "B.h"`. Every strongly connected component of more than
one unit is a cycle: its units can only be understood, built and tested
together. Prints one component a line, largest first, and exits with 1 when
there is any, so a check can call it. With --edges, each component is
followed by the includes that hold it together.

usage: unit-cycles.py [--edges] [SRC]
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def read_units(src):
    """Maps each unit to the set of units its files include."""
    units = {}
    for folder, _, files in os.walk(src):
        for name in files:
            stem, ext = os.path.splitext(name)
            if ext not in (".h", ".cpp"):
                continue
            path = os.path.join(folder, name)
            unit = os.path.relpath(os.path.join(folder, stem), src)
            deps = units.setdefault(unit, set())
            with open(path, encoding="utf-8") as text:
                for target in INCLUDE.findall(text.read()):
                    deps.add(resolve(src, folder, target))
    return {u: {d for d in deps if d in units and d != u}
            for u, deps in units.items()}


def resolve(src, folder, target):
    """Turns an include into a unit name: beside the file first, then src/."""
    beside = os.path.join(folder, target)
    path = beside if os.path.exists(beside) else os.path.join(src, target)
    return os.path.relpath(os.path.splitext(path)[0], src)


def components(graph):
    """Tarjan's strongly connected components, iteratively."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = len(index)
        stack.append(root)
        on_stack.add(root)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in index:
                    index[nxt] = low[nxt] = len(index)
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph[nxt]))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                part = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    part.append(member)
                    if member == node:
                        break
                found.append(sorted(part))
    return found


def main():
    args = sys.argv[1:]
    edges = "--edges" in args
    args = [a for a in args if a != "--edges"]
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    src = args[0] if args else os.path.join(root, "src")
    graph = read_units(src)
    cycles = [c for c in components(graph) if len(c) > 1]
    for cycle in sorted(cycles, key=lambda c: (-len(c), c)):
        print(" <-> ".join(cycle))
        for unit in cycle if edges else []:
            for dep in sorted(graph[unit] & set(cycle)):
                print(f"    {unit} -> {dep}")
    return 1 if cycles else 0


if __name__ == "__main__":
    sys.exit(main())
