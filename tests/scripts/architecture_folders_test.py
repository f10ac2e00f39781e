#!/usr/bin/env python3
"""scripts/architecture-folders.py on small trees: which folders need a row,
and which rows name folders that are gone."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "architecture-folders.py")

CASES = (
    # name, folders, rows, exit code, lines printed
    ("in step", ["src/a/b", "tests/unit/x", "fuzz/p/corpus"],
     ["src", "src/a", "src/a/b", "tests", "tests/unit", "fuzz", "fuzz/p"], 0, []),
    ("src is listed at every depth", ["src/a/b"], ["src", "src/a"], 1,
     ["docs/ARCHITECTURE.md has no row for src/a/b/"]),
    ("a row for a folder that is gone", ["src"], ["src", "src/old"], 1,
     ["docs/ARCHITECTURE.md lists src/old/, which is not there"]),
    ("deeper test folders may be listed or not", ["tests/unit/x"], ["tests", "tests/unit", "tests/unit/x"],
     0, []),
)


class ArchitectureFolders(unittest.TestCase):
    def test_cases(self):
        for name, folders, rows, code, lines in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for folder in folders:
                    os.makedirs(os.path.join(root, folder))
                os.makedirs(os.path.join(root, "docs"))
                with open(os.path.join(root, "docs", "ARCHITECTURE.md"), "w") as f:
                    f.write("| Folder | What |\n|---|---|\n")
                    f.writelines("| `%s/` | something |\n" % row for row in rows)
                run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
                self.assertEqual(run.returncode, code, run.stderr)
                self.assertEqual(run.stderr.splitlines(), lines)


if __name__ == "__main__":
    unittest.main()
