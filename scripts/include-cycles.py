#!/usr/bin/env python3
"""Fails when the files in src/ include each other in a circle.

Reads every #include "..." of src/**/*.h and *.cpp. Includes are looked up
below src/, then beside the including file; those found in neither (system
and library headers) are left out.

With --units, a header and the .cpp of the same name are one unit
(application.h with application.cpp), so two units whose sources include each
other's headers (a.cpp includes b.h, b.cpp includes a.h) are a circle too.

Usage: scripts/include-cycles.py [--units] [SRC_DIR]   (default: src/ here)
Exit status 0 without a circle; 1 with each circle printed, one per line, as
"file -> file -> ... -> file".
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def includes(src, as_units):
    """{node: set of nodes it includes}, nodes named by their path below src
    (without the extension for units)."""
    graph = {}
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            unit = name_of(os.path.relpath(path, src), as_units)
            edges = graph.setdefault(unit, set())
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for included in INCLUDE.findall(text):
                for base in (src, folder):
                    target = os.path.normpath(os.path.join(base, included))
                    if os.path.isfile(target) and target.startswith(os.path.normpath(src) + os.sep):
                        other = name_of(os.path.relpath(target, src), as_units)
                        if other != unit:
                            edges.add(other)
                        break
    return graph


def name_of(path, as_units):
    return os.path.splitext(path)[0] if as_units else path


def circles(graph):
    """One circle per strongly connected group of more than one unit
    (Tarjan's algorithm, without recursion), as a list of units."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    found.append(walk(graph, set(group)))
    return found


def walk(graph, group):
    """A circle through the group, from its first unit back to it."""
    start = min(group)
    path, seen = [start], {start}
    # Breadth-first from start back to start inside the group.
    previous = {}
    frontier = [start]
    while frontier:
        following = []
        for node in frontier:
            for child in sorted(graph.get(node, ())):
                if child not in group:
                    continue
                if child == start:
                    path = [start]
                    while node != start:
                        path.append(node)
                        node = previous[node]
                    return [start] + path[1:][::-1] + [start]
                if child not in seen:
                    seen.add(child)
                    previous[child] = node
                    following.append(child)
        frontier = following
    return sorted(group)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    arguments = sys.argv[1:]
    as_units = "--units" in arguments
    folders = [a for a in arguments if a != "--units"]
    src = os.path.abspath(folders[0] if folders else os.path.join(here, "..", "src"))
    found = circles(includes(src, as_units))
    for circle in found:
        print("include circle: " + " -> ".join(circle))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
