#!/usr/bin/env python3
"""Keeps the folder tables of docs/ARCHITECTURE.md in step with the tree.

    scripts/architecture-folders.py [ROOT]

Every folder of src/ (at any depth) and every folder directly in tests/,
bench/, tools/ and fuzz/ must have a row of its own, written `| \\`path/\\` |`;
every row must name a folder that exists. Prints what is missing or gone and
exits 1; exits 0 in silence when the two agree.
"""
import os
import re
import sys

DEEP = ("src",)
SHALLOW = ("tests", "bench", "tools", "fuzz")
ROW = re.compile(r"^\|\s*`([^`]+)/`\s*\|")


def tree_folders(root):
    found = set()
    for top in DEEP + SHALLOW:
        base = os.path.join(root, top)
        if not os.path.isdir(base):
            continue
        found.add(top)
        for current, folders, _ in os.walk(base):
            folders[:] = sorted(f for f in folders if not f.startswith((".", "__")))
            relative = os.path.relpath(current, root)
            if relative != top:
                found.add(relative)
            if top in SHALLOW:
                found.update(os.path.join(relative, f) for f in folders if f != "corpus")
                folders[:] = []
    return found


def documented_folders(document):
    with open(document, encoding="utf-8") as f:
        return {m.group(1) for m in map(ROW.match, f) if m}


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    document = os.path.join(root, "docs", "ARCHITECTURE.md")
    listed = documented_folders(document)
    present = tree_folders(root)
    problems = ["docs/ARCHITECTURE.md has no row for %s/" % f for f in sorted(present - listed)]
    problems += ["docs/ARCHITECTURE.md lists %s/, which is not there" % f
                 for f in sorted(f for f in listed - present if not os.path.isdir(os.path.join(root, f)))]
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
